#include "common/text.h"

#include <gtest/gtest.h>

#include <random>

namespace tendrel {
namespace {

// Reference search: fold ASCII letters, try every position.
size_t NaivePos(std::string_view p, std::string_view t) {
  if (p.empty() || p.size() > t.size()) return 0;
  for (size_t i = 0; i + p.size() <= t.size(); ++i)
    if (SameText(t.substr(i, p.size()), p)) return i + 1;
  return 0;
}

TEST(PosCI, Basics) {
  struct Case { std::string_view pattern, text; size_t want; };
  const Case cases[] = {
      {"b", "abc", 2},        {"ABC", "xxabc", 3},     {"", "abc", 0},
      {"abc", "", 0},         {"abcd", "abc", 0},      {"z", "abc", 0},
      {"applet na", "<APPLET NAME=x", 2},              // 9 bytes: skip table
      {"</applet>", "x</applet>", 2},                   // 9 bytes at the very end
      {"0123456789abcdef", "0123456789ABCDE", 0},       // one short of the text
  };
  for (const auto& c : cases) EXPECT_EQ(PosCI(c.pattern, c.text), c.want) << c.pattern;
}

TEST(PosCI, AccentedLongPatternMatchesPlainSearch) {
  // Only ASCII folds: the bytes of "é"/"É" must match exactly.
  const std::string text = "Prix: CAFÉ crème, café crème brûlée";
  EXPECT_EQ(PosCI("café crème brûlée", text), 21u);
  EXPECT_EQ(PosCI("cafÉ CRème", text), 7u);   // ASCII letters fold, "É" matches itself
  EXPECT_EQ(PosCI("CAFÉ CRÈME", text), 0u);   // "È" does not fold to "è"
  for (std::string_view p : {"café crème brûlée", "cafÉ CRème", "CAFÉ CRÈME", "brûlée!!!!"})
    EXPECT_EQ(PosCI(p, text), NaivePos(p, text)) << p;
}

TEST(PosCI, AgreesWithPlainScanOnRandomInput) {
  // A small alphabet with both cases and high bytes makes partial matches and
  // near misses frequent, which is where a skip table goes wrong.
  const char alphabet[] = {'a', 'A', 'b', 'B', 'z', '\xC3', '\xA9', '\x89', '\0', ' '};
  std::mt19937 rng(1234);
  auto pick = [&](size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += alphabet[rng() % sizeof alphabet];
    return s;
  };
  for (int round = 0; round < 20000; ++round) {
    std::string text = pick(rng() % 120);
    std::string pattern = pick(1 + rng() % 20);
    if (!text.empty() && rng() % 2) {  // plant the pattern, in the other case
      std::string planted = pattern;
      for (char& c : planted) c = static_cast<char>(c ^ ((c | 0x20) >= 'a' && (c | 0x20) <= 'z' ? 0x20 : 0));
      text.insert(rng() % (text.size() + 1), planted);
    }
    ASSERT_EQ(PosCI(pattern, text), NaivePos(pattern, text)) << round;
    const size_t off = rng() % (text.size() + 2);
    const size_t inRest = off <= text.size() ? NaivePos(pattern, std::string_view(text).substr(off)) : 0;
    ASSERT_EQ(PosFrom(pattern, text, off), inRest ? inRest + off : 0) << round;
  }
}

TEST(PosCI, AdversarialInputsAgreeWithThePlainScan) {
  // Text lengths around the 16-byte blocks, the pattern at every place near
  // the very end, in texts that pass the first/last-byte filter everywhere.
  for (size_t n = 0; n < 70; ++n) {
    const std::string allA(n, 'a');
    for (std::string_view p : {"a", "aa", "A", "aaaaaaaaab", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "ba"}) {
      ASSERT_EQ(PosCI(p, allA), NaivePos(p, allA)) << n << " " << p;
      ASSERT_EQ(PosCIPlain(p, allA), NaivePos(p, allA)) << n << " " << p;
    }
    for (size_t at = 0; at <= n; ++at) {
      std::string text = allA;
      text.insert(at, "Q\xC3\xA9z");
      ASSERT_EQ(PosCI("q\xC3\xA9Z", text), at + 1) << n << " " << at;
      ASSERT_EQ(PosCI("aq\xC3\xA9Za", text), NaivePos("aq\xC3\xA9Za", text)) << n << " " << at;
    }
  }
  // Bytes that differ by 0x20 without being letters never fold: '@' and
  // '`', '[' and '{', 0xC3 and 0xE3.
  const std::string odd = std::string(40, '.') + "`{\xE3" + std::string(20, '.') + "@[\xC3";
  EXPECT_EQ(PosCI("@[\xC3", odd), 64u);
  EXPECT_EQ(PosCI("`{\xE3", odd), 41u);
  EXPECT_EQ(PosCI("@{\xC3", odd), 0u);
  EXPECT_EQ(PosCI(std::string(1, '\xC3'), odd), 66u);
}

TEST(PosCI, AgreesWithThePlainScanOnLongRandomText) {
  std::mt19937 rng(99);
  std::string text(1 << 16, ' ');
  for (char& c : text) c = static_cast<char>(rng() % 256);
  for (int round = 0; round < 300; ++round) {
    const size_t len = 1 + rng() % 24;
    const size_t at = rng() % (text.size() - len);
    std::string p = text.substr(at, len);
    if (round % 3 == 0) p[rng() % len] ^= 0x01;  // a near miss
    ASSERT_EQ(PosCI(p, text), PosCIPlain(p, text)) << round;
  }
}

TEST(TextCuts, MidLeftRightDrop) {
  EXPECT_EQ(Mid("abcdef", 2, 3), "bcd");
  EXPECT_EQ(Mid("abcdef", 4, -1), "def");
  EXPECT_EQ(Mid("abcdef", 0, 2), "ab");
  EXPECT_EQ(Mid("abcdef", 5, 10), "ef");
  EXPECT_EQ(Mid("abcdef", 7, 1), "");
  EXPECT_EQ(Mid("abcdef", 1, -2), "");
  EXPECT_EQ(LeftStr("abc", 2), "ab");
  EXPECT_EQ(LeftStr("abc", 9), "abc");
  EXPECT_EQ(RightStr("abc", 2), "bc");
  EXPECT_EQ(RightStr("abc", 9), "abc");
  EXPECT_EQ(DropRight("abc", 1), "ab");
  EXPECT_EQ(DropRight("abc", 3), "");
  EXPECT_EQ(DropRight("abc", 4), "");
}

TEST(TextCuts, BeforeAfterBetween) {
  struct Case { std::string_view text, marker; bool keep; std::string_view before, after; };
  const Case cases[] = {
      {"key=value", "=", false, "key", "value"},
      {"key=value", "=", true, "key", "value"},
      {"A<B>C", "<b>", false, "A", "C"},
      {"=value", "=", false, "", "value"},      // marker at 1 counts as absent for TextBefore
      {"=value", "=", true, "=value", "value"},
      {"plain", "=", false, "", ""},
      {"plain", "=", true, "plain", "plain"},
      {"plain", "", true, "plain", "plain"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextBefore(c.text, c.marker, c.keep), c.before) << c.text << " / " << c.marker;
    EXPECT_EQ(TextAfter(c.text, c.marker, c.keep), c.after) << c.text << " / " << c.marker;
  }
  EXPECT_EQ(TextBetween("x{ProductID=42}y", "{productid=", "}"), "42");
  EXPECT_EQ(TextBetween("x{ProductID=42", "{productid=", "}"), "");
  EXPECT_EQ(TextBetween("x42}", "{", "}"), "");
  EXPECT_EQ(TextBetween("{}", "{", "}"), "");
}

TEST(ReplaceText, Cases) {
  EXPECT_EQ(ReplaceText("aaaa", "aa", "a", true), "aa");  // replaced text is not searched again
  EXPECT_EQ(ReplaceText("Tag tag TAG", "tag", "x", true), "Tag x TAG");
  EXPECT_EQ(ReplaceText("Tag tag TAG", "tag", "x", false), "x x x");
  EXPECT_EQ(ReplaceText("abc", "", "x", false), "abc");
  EXPECT_EQ(ReplaceText("abc", "b", "", false), "ac");
  EXPECT_EQ(ReplaceText("<APPLET>1</applet><applet>2</APPLET>", "</applet>", "!", false),
            "<APPLET>1!<applet>2!");
  EXPECT_EQ(ReplaceText("<APPLET>1</applet><applet>2</APPLET>", "</applet>", "!", true),
            "<APPLET>1!<applet>2</APPLET>");
}

TEST(ReplaceBetween, Cases) {
  struct Case { std::string_view text, start, end, repl; bool cs; std::string_view want; };
  const Case cases[] = {
      {"abc", "", ">", "X", false, "abcX"},
      {"a<b>c<d>e", "<", ">", "", false, "ace"},
      {"a<b>c<d", "<", ">", "", false, "ac<d"},           // "<" without ">" keeps the rest
      {"a<b", "<", ">", "", false, "a<b"},
      {"x<TITLE>t</title>y", "<title>", "</title>", "", false, "xy"},
      {"x<TITLE>t</title>y", "<title>", "</title>", "", true, "x<TITLE>t</title>y"},
      {"[1] and [2]", "[", "]", "<[BETWEEN]>", false, "<1> and <1>"},
      {"[1] and [2]", "[", "]", "<[between]>", false, "<1> and <1>"},
      {"{SUCCESS}{ID=5} ok", "{", "}", "", false, " ok"},
      {"a<b>c", "<", "", "X", false, "a<b>c"},            // an empty end is never found
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReplaceBetween(c.text, c.start, c.end, c.repl, c.cs), c.want) << c.text;
}

TEST(ExtractBlocks, OffsetsOfTwoAppletTags) {
  const std::string first = "<applet name=\"a\">\r\n</applet>";
  const std::string second = "<APPLET name=\"b\"></APPLET>";
  const std::string text = "<html><body>" + first + "<p>between</p>" + second + "<applet>";
  std::vector<std::string> list{"stale"};
  ASSERT_EQ(ExtractBlocks(text, "<applet", "</applet>", true, list), 1);
  const size_t off1 = text.find(first), off2 = text.find(second);
  EXPECT_EQ(list[0], std::to_string(off1) + "," + first);
  EXPECT_EQ(list[1], std::to_string(off2) + "," + second);

  ASSERT_EQ(ExtractBlocks(text, "<applet", "</applet>", false, list), 1);
  EXPECT_EQ(list[0], first);
  EXPECT_EQ(ExtractBlocks("no blocks", "<applet", "</applet>", true, list), -1);
  EXPECT_TRUE(list.empty());
}

TEST(SplitText, Pieces) {
  using V = std::vector<std::string>;
  struct Case { std::string text, sep; int want; V pieces; };
  const Case cases[] = {
      {"a,b,", ",", 1, {"a", "b"}},          // no empty last piece
      {"", ",", -1, {}},
      {"a,,b", ",", 2, {"a", "", "b"}},
      {",a", ",", 1, {"", "a"}},
      {"1x2X3", "x", 2, {"1", "2", "3"}},
      {std::string("a\0b", 3), "", 1, {"a", "b"}},  // empty separator means NUL
      {"one<BR>two<br>", "<br>", 1, {"one", "two"}},
  };
  for (const auto& c : cases) {
    V list{"stale"};
    EXPECT_EQ(SplitText(c.text, c.sep, list), c.want) << c.text;
    EXPECT_EQ(list, c.pieces) << c.text;
  }
}

TEST(GetTagAttribute, Values) {
  struct Case { std::string_view tag, name, want; };
  const Case cases[] = {
      {"<applet name=\"a b\" width=10>", "name", "a b"},
      {"<applet name=ab>", "name", "ab"},
      {"<applet name=ab c>", "name", "ab"},
      {"<applet codename=\"x\" name=\"y\">", "name", "x"},  // found anywhere, codename first
      {"  <applet NAME=\"q\">  ", "name", "q"},
      {"<param name=cost value=150>", "VALUE", "150"},
      {"<applet name=\"open", "name", "open"},
      {"<applet name=ab\r\nwidth=1>", "name", "ab"},
      {"<applet name=>", "name", ""},
      {"<applet name=", "name", ""},
      {"<applet width=1>", "name", ""},
      {"<applet name=ab\"c\">", "name", "ab"},
  };
  for (const auto& c : cases) EXPECT_EQ(GetTagAttribute(c.tag, c.name), c.want) << c.tag;
}

TEST(SmallHelpers, QuotesAffixesTrim) {
  EXPECT_EQ(StripQuotes("  \"a b\"  "), "a b");
  EXPECT_EQ(StripQuotes("\"only"), "only");
  EXPECT_EQ(StripQuotes("\""), "");
  EXPECT_EQ(StripQuotes("\"\"x\"\""), "\"x\"");
  EXPECT_EQ(AddQuotes("a"), "\"a\"");
  EXPECT_EQ(AddQuotes("\"a"), "\"a\"");
  EXPECT_EQ(AddQuotes(""), "\"\"");
  EXPECT_EQ(AddQuotes("\""), "\"");
  EXPECT_EQ(StripPrefix("HTTP://x", "http://"), "x");
  EXPECT_EQ(StripPrefix("x", "http://"), "x");
  EXPECT_EQ(StripSuffix("page.HTM", ".htm"), "page");
  EXPECT_EQ(StripBoth("'x'", "'"), "x");
  EXPECT_EQ(StripBoth("'", "'"), "");
  EXPECT_EQ(Trim("\t\r\n a b \x01"), "a b");
  EXPECT_EQ(Trim("\xC3\xA9"), "\xC3\xA9");  // high bytes are not blanks
  EXPECT_EQ(LowerCase("AbC\xC3\x89"), "abc\xC3\x89");
  EXPECT_TRUE(SameText("Salebox", "SALEBOX"));
  EXPECT_FALSE(SameText("Salebox", "Saleboxes"));
}

TEST(IsInteger, Range) {
  for (std::string_view ok : {"0", "-1", "+7", "2147483647", "-2147483648", "00012"})
    EXPECT_TRUE(IsInteger(ok)) << ok;
  for (std::string_view bad : {"", "-", "+", "2147483648", "-2147483649", "99999999999999999999",
                               " 1", "1 ", "1.5", "$FF", "0x10", "12a"})
    EXPECT_FALSE(IsInteger(bad)) << bad;
}

}  // namespace
}  // namespace tendrel
