#include "common/paths.h"

#include <gtest/gtest.h>

namespace tendrel {
namespace {

struct Pair { std::string_view a, b, want; };

TEST(JoinPath, OneSeparatorBetween) {
  const Pair cases[] = {
      {"", "a.htm", "a.htm"},
      {"dir/", "/a.htm", "dir/a.htm"},
      {"dir", "a.htm", "dir/a.htm"},
      {"C:\\web\\", "\\a.htm", "C:\\web\\a.htm"},
      {"C:\\web", "img/a.gif", "C:\\web\\img/a.gif"},
      {"/", "a.htm", "/a.htm"},
      {"dir//", "a", "dir//a"},  // only one separator is dropped
  };
  for (const auto& c : cases) EXPECT_EQ(JoinPath(c.a, c.b), c.want) << c.a << " + " << c.b;
}

TEST(CanonicalizeURL, Escaping) {
  struct Case { std::string_view in, url, value; };
  const Case cases[] = {
      {"https://h/p?a=1&b=2", "https://h/p?a=1&b=2", "https://h/p?a%3D1%26b%3D2"},
      {"Smith & Sons", "Smith%20&%20Sons", "Smith%20%26%20Sons"},
      {"O'Neil", "O%60Neil", "O%60Neil"},  // apostrophe becomes a grave accent, which is unsafe
      {"100% #1 a+b", "100%%20#1%20a+b", "100%25%20%231%20a%2Bb"},
      {"\"<>[\\]^`{}~|", "%22%3C%3E%5B%5C%5D%5E%60%7B%7D%7E%7C", "%22%3C%3E%5B%5C%5D%5E%60%7B%7D%7E%7C"},
      {"caf\xC3\xA9\t\x7F", "caf%C3%A9%09%7F", "caf%C3%A9%09%7F"},
      {"?/:;@,$!*()-._Az09", "?/:;@,$!*()-._Az09", "?/:;@,$!*()-._Az09"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CanonicalizeURL(c.in), c.url) << c.in;
    EXPECT_EQ(EscapeURLValue(c.in), c.value) << c.in;
  }
}

TEST(CanonicalizeURL, ResultMustFitThousandBytes) {
  EXPECT_EQ(CanonicalizeURL(std::string(999, 'a')).size(), 999u);
  EXPECT_EQ(CanonicalizeURL(std::string(1000, 'a')), "");
  EXPECT_EQ(CanonicalizeURL(std::string(333, ' ')).size(), 999u);
  EXPECT_EQ(CanonicalizeURL(std::string(334, ' ')), "");  // grows past the buffer
  EXPECT_EQ(EscapeURLValue(std::string(334, '&')), "");
}

TEST(FileURLs, BothForms) {
  EXPECT_TRUE(IsLocalPath("C:\\web\\a.htm"));
  EXPECT_TRUE(IsLocalPath("/home/a/x.htm"));
  EXPECT_FALSE(IsLocalPath("http://h/a.htm"));
  EXPECT_FALSE(IsLocalPath("file:///home/a/x.htm"));
  EXPECT_FALSE(IsLocalPath("a.htm"));

  const Pair toUrl[] = {
      {"C:\\web\\a.htm", "", "file:///C|/web/a.htm"},
      {"/home/a/x.htm", "", "file:///home/a/x.htm"},
      {"http://h//a.htm", "", "http://h//a.htm"},  // a URL comes back unchanged
      {"a.htm", "", "a.htm"},
  };
  for (const auto& c : toUrl) EXPECT_EQ(PathToFileURL(c.a), c.want) << c.a;

  const Pair toPath[] = {
      {"file:///C|/web/a.htm", "", "C:\\web\\a.htm"},
      {" \"file:///C|/web/a.htm\" ", "", "C:\\web\\a.htm"},
      {"file:///home/a/x.htm", "", "/home/a/x.htm"},
      {"C|/web/a.htm", "", "C:\\web\\a.htm"},
      {"a/b.htm", "", "a/b.htm"},
  };
  for (const auto& c : toPath) EXPECT_EQ(FileURLToPath(c.a), c.want) << c.a;
}

TEST(ResolveRelativePath, BothForms) {
  const Pair cases[] = {
      {"C:\\site\\pages\\index.htm", "..\\img\\a.gif", "C:\\site\\img\\a.gif"},
      {"C:\\site\\pages\\index.htm", "../img/a.gif", "C:\\site\\img\\a.gif"},
      {"C:\\site\\pages\\index.htm", "\"a.gif\"", "C:\\site\\pages\\a.gif"},
      {"C:\\site\\pages\\index.htm", "D:\\x\\a.gif", "D:\\x\\a.gif"},
      {"C:\\site\\index.htm", "..\\..\\..\\a.gif", "C:\\a.gif"},  // never above the root
      {"/home/a/site/pages/index.htm", "../img/a.gif", "/home/a/site/img/a.gif"},
      {"/home/a/site/pages/index.htm", "img/a.gif", "/home/a/site/pages/img/a.gif"},
      {"/home/a/site/pages/index.htm", "/srv/a.gif", "/srv/a.gif"},
      {"/home/a/site/pages/index.htm", "..\\img\\a.gif", "/home/a/site/img/a.gif"},
      {"/index.htm", "../../a.gif", "/a.gif"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ResolveRelativePath(c.a, c.b), c.want) << c.a << " + " << c.b;
}

TEST(MakeRelativePath, BothForms) {
  const Pair cases[] = {
      {"C:\\web\\pages\\index.htm", "C:\\web\\img\\a.gif", "..\\img\\a.gif"},
      {"c:\\WEB\\index.htm", "C:\\web\\img\\a.gif", "img\\a.gif"},
      {"C:\\web\\", "C:\\web\\a.cdf", "a.cdf"},  // a base folder gets a dummy file name
      {"C:\\web\\index.htm", "D:\\other\\a.gif", "D:\\other\\a.gif"},
      {"/home/a/site/pages/index.htm", "/home/a/site/img/x.gif", "../img/x.gif"},
      {"/home/a/site/index.htm", "/home/a/site/index.htm", "index.htm"},
      {"/home/a/index.htm", "/var/www/x.gif", "/var/www/x.gif"},
      {"/home/a/b/c/index.htm", "/home/x.gif", "../../../x.gif"},
      {"", "C:\\a.gif", "C:\\a.gif"},
      {"C:\\web\\index.htm", "", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MakeRelativePath(c.a, c.b), c.want) << c.a << " -> " << c.b;
}

TEST(FileNameParts, SplitAtLastSeparator) {
  const Pair cases[] = {
      {"C:\\web\\a.htm", "C:\\web", "a.htm"},
      {"/home/a/x.htm", "/home/a", "x.htm"},
      {"dir/sub\\x", "dir/sub", "x"},
      {"x.htm", "", "x.htm"},
      {"/x.htm", "/", "x.htm"},
      {"C:\\x.htm", "C:\\", "x.htm"},
      {"dir/", "dir", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFileDir(c.a), c.b) << c.a;
    EXPECT_EQ(ExtractFileName(c.a), c.want) << c.a;
  }
}

}  // namespace
}  // namespace tendrel
