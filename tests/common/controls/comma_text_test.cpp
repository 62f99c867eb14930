#include "common/controls/comma_text.h"

#include <gtest/gtest.h>

namespace tendrel {
namespace {

using Items = std::vector<std::string>;

TEST(CommaText, RoundTripsKeepEveryItem) {
  const Items cases[] = {
      {},           {""},          {"a"},           {"a", ""},     {"", "a"}, {"a", "", "b"},
      {"a b,c"},    {"say \"hi\""}, {"\"", "\"\""}, {"tab\tx", "nl\nx"}, {"über", "naïve"},
      {"http://x/a?b=1&c=2", "C:\\web\\a.htm"},
  };
  for (const Items& items : cases) {
    const std::string text = ToCommaText(items);
    EXPECT_EQ(FromCommaText(text), items) << text;
  }
}

TEST(CommaText, WrittenForm) {
  EXPECT_EQ(ToCommaText({}), "");
  EXPECT_EQ(ToCommaText({""}), "\"\"");
  EXPECT_EQ(ToCommaText({"a b,c", "d"}), "\"a b,c\",d");
  EXPECT_EQ(ToCommaText({"x\"y", "plain"}), "\"x\"\"y\",plain");
  EXPECT_EQ(ToCommaText({"a", ""}), "a,\"\"");
}

TEST(CommaText, ReadingHandWrittenText) {
  const std::pair<std::string, Items> cases[] = {
      {"", {}},
      {"   ", {}},
      {"a b", {"a", "b"}},          // an unquoted item ends at a blank
      {" a , b ", {"a", "b"}},
      {"a,,b", {"a", "", "b"}},
      {",a", {"", "a"}},
      {"a,", {"a"}},
      {"\"abc", {"abc"}},           // unterminated quote: the rest of the text
      {"\"a\"b,c", {"a", "b", "c"}},
      {"\"\"\"\"", {"\""}},
  };
  for (const auto& [text, items] : cases) EXPECT_EQ(FromCommaText(text), items) << text;
}

TEST(CommaText, ReadLimitIs4095Bytes) {
  EXPECT_EQ(FromCommaText(std::string(4095, 'x')), Items{std::string(4095, 'x')});
  EXPECT_EQ(FromCommaText(std::string(4095, 'x') + "y"), Items{std::string(4095, 'x')});
  // A two-byte character straddling the limit is dropped whole.
  EXPECT_EQ(FromCommaText(std::string(4094, 'x') + "\xC3\xBC"), Items{std::string(4094, 'x')});
  EXPECT_EQ(FromCommaText(std::string(4093, 'x') + "\xC3\xBC"),
            Items{std::string(4093, 'x') + "\xC3\xBC"});
}

TEST(CommaText, WriteStopsBeforeReaching4096Bytes) {
  const std::string fits = ToCommaText({std::string(4093, 'a'), "b", "c"});
  EXPECT_EQ(fits.size(), 4095u);
  EXPECT_EQ(FromCommaText(fits), (Items{std::string(4093, 'a'), "b"}));
  EXPECT_EQ(ToCommaText({std::string(4094, 'a'), "b"}), std::string(4094, 'a'));
  EXPECT_EQ(ToCommaText({std::string(4096, 'a'), "b"}), "");
  // A quoted item counts with its quotes.
  EXPECT_EQ(ToCommaText({std::string(4089, 'a'), "b c"}).size(), 4095u);
  EXPECT_EQ(ToCommaText({std::string(4090, 'a'), "b c"}), std::string(4090, 'a'));
}

}  // namespace
}  // namespace tendrel
