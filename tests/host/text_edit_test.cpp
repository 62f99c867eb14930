// The smallest edit between two document texts, as the editor applies it to
// its line-keeping widget.
#include <gtest/gtest.h>

#include "host/html_document.h"

using namespace tendrel;

TEST(SmallestEdit, NeverSplitsACharacterOrALineEnd) {
  struct Case {
    std::string before, after;
    size_t start, removed;
    std::string inserted;
  } cases[] = {
      {"abc", "abc", 3, 0, ""},
      {"", "x", 0, 0, "x"},
      {"abc", "aXc", 1, 1, "X"},
      {"abcabc", "abc", 3, 3, ""},
      // é (C3 A9) to è (C3 A8): the shared lead byte goes with the edit.
      {"\xC3\xA9", "\xC3\xA8", 0, 2, "\xC3\xA8"},
      {"a\xE2\x82\xAC", "a\xE2\x82\xAD", 1, 3, "\xE2\x82\xAD"},
      // A lone CR becoming CR LF: the CR is part of the edit.
      {"a\rb", "a\r\nb", 1, 1, "\r\n"},
      {"a\r\nb", "a\rb", 1, 2, "\r"},
      // LF after the edit is part of it too.
      {"a\nb", "a\r\nb", 1, 1, "\r\n"},
      {"x\r\n", "x\r\n\r\n", 3, 0, "\r\n"},
      {"x\r", "x\r\n", 1, 1, "\r\n"},
  };
  for (const auto& c : cases) {
    TextEdit e = SmallestEdit(c.before, c.after);
    EXPECT_EQ(e.start, c.start) << c.before;
    EXPECT_EQ(e.removed, c.removed) << c.before;
    EXPECT_EQ(e.inserted, c.inserted) << c.before;
    std::string applied = c.before;
    applied.replace(e.start, e.removed, e.inserted);
    EXPECT_EQ(applied, c.after);
  }
}

TEST(LineEnds, SplitsWhereATextViewSplits) {
  using V = std::vector<std::string>;
  EXPECT_EQ(LineEnds("no end"), V{});
  EXPECT_EQ(LineEnds("a\r\nb\nc\rd\r\r\n"), (V{"\r\n", "\n", "\r", "\r", "\r\n"}));
  EXPECT_EQ(LineEnds("a\xE2\x80\xA9" "b\xE2\x80\xA8" "c"), V{"\xE2\x80\xA9"}) << "U+2028 stays in its line";
  EXPECT_EQ(LineEnds("\xEF\xB7\x90\xE2\x82\xAC"), V{"\xEF\xB7\x90"});
}
