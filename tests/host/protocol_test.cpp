// The protocol's table of calls and the typed calls over it.
#include <gtest/gtest.h>

#include <set>

#include "host/host_calls.h"
#include "host/host_protocol.h"
#include "host/html_document.h"
#include "host/in_memory_host.h"

using namespace tendrel;

TEST(HostProtocol, NamesAreFoundWithoutRegardToAsciiCaseOnly) {
  std::set<std::string_view> seen;
  for (const HostCallInfo& info : kHostCalls) {
    EXPECT_TRUE(seen.insert(info.name).second) << "two rows named " << info.name;
    std::string upper(info.name), lower(info.name);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_NE(FindHostCall(upper), nullptr) << upper;
    EXPECT_EQ(FindHostCall(upper)->call, info.call);
    ASSERT_NE(FindHostCall(lower), nullptr) << lower;
    EXPECT_EQ(FindHostCall(lower)->call, info.call);
  }
  EXPECT_EQ(FindHostCall(""), nullptr);
  EXPECT_EQ(FindHostCall("getalltex"), nullptr);
  EXPECT_EQ(FindHostCall("getalltextt"), nullptr);
  // A dotless capital I (U+0130) folds to "i" in some locales; call names do not.
  EXPECT_EQ(FindHostCall("\xC4\xB0sOpenDoc"), nullptr);
}

TEST(HostProtocol, OnlyTheSaveWaitsForTheUser) {
  for (const HostCallInfo& info : kHostCalls)
    EXPECT_EQ(info.wait == ReplyWait::User, info.call == HostCall::ForceSave) << info.name;
}

TEST(HostCalls, TypedCallsReachTheHostUnderTheirNames) {
  InMemoryHost host;
  host.doc.ReplaceAll("<html><head><title>T</title></head><body>abc</body></html>");
  host.docName = "/site/page.htm";
  HostCalls calls(host);
  EXPECT_EQ(calls.IsOpenDoc(), "true");
  calls.SetSelection(3, 2);
  EXPECT_EQ(calls.GetSelStart(), 3);
  EXPECT_EQ(calls.GetSelText(), "ml");
  calls.PutTextAtCursor("XY");
  calls.PutTextHead("<meta>");
  calls.InsertBeforeSlashBodyTag("<p>end</p>");
  EXPECT_EQ(calls.GetHtmlTitle(), "T");
  EXPECT_EQ(calls.GetWorkDir(), "/site");
  EXPECT_EQ(calls.CurrentDocName(), "/site/page.htm");
  EXPECT_EQ(calls.GetAllText(),
            "<htXY><head><meta><title>T</title></head><body>abc<p>end</p></body></html>");
  EXPECT_EQ(host.CallNames(),
            (std::vector<std::string>{"IsOpenDoc", "setselection", "getselstart", "getseltext",
                                      "puttextatcursor", "puttexthead", "TEXT_INSERTBEFORESLASHBODYTAG",
                                      "DOC_GETHTMLTITLE", "GetWorkDir", "CurrentDocName", "getalltext"}));
  calls.ReplaceAllText("");
  host.docOpen = false;
  EXPECT_EQ(calls.IsOpenDoc(), "false");
}

TEST(HostCalls, FailuresAndAnswersOfTheWrongKindRaise) {
  InMemoryHost host;
  host.failing = {"forcesave"};
  HostCalls calls(host);
  EXPECT_THROW(calls.ForceSave(), EHostError);

  // A host whose caret answer is not a number.
  class OddHost : public HostEditor {
   public:
    HostValue Invoke(const std::string&, const std::vector<HostValue>&) override {
      return std::string("12a");
    }
  } odd;
  EXPECT_THROW(HostCalls(odd).GetSelStart(), EHostError);
}

TEST(HtmlToText, ReferencesDecodedAsABrowserDoes) {
  const std::pair<std::string, std::string> cases[] = {
      {"Tom &amp; Jerry's Caf&eacute;", "Tom & Jerry's Caf\xC3\xA9"},
      {"&lt;b&gt; &quot;x&quot;", "<b> \"x\""},
      {"&#233;&#xE9;&#XE9;&#x1F600;", "\xC3\xA9\xC3\xA9\xC3\xA9\xF0\x9F\x98\x80"},
      {"&Alpha;&alpha;&euro;&nbsp;", "\xCE\x91\xCE\xB1\xE2\x82\xAC\xC2\xA0"},
      // What a browser would not decode stays as written.
      {"&amp &unknown; &; &#; &#x; &#12a; a&b", "&amp &unknown; &; &#; &#x; &#12a; a&b"},
      // Numbers that name no character give the replacement character.
      {"&#0;|&#xD800;|&#x110000;|&#99999999999999999999;", "\xEF\xBF\xBD|\xEF\xBF\xBD|\xEF\xBF\xBD|\xEF\xBF\xBD"},
      {"&amp;amp;", "&amp;"},
  };
  for (const auto& [html, text] : cases) EXPECT_EQ(HtmlToText(html), text) << html;
}

TEST(HtmlToText, BlanksFoldAfterDecodingAndTheEndsAreTrimmed) {
  EXPECT_EQ(HtmlToText("  My \r\n\t page  "), "My page");
  EXPECT_EQ(HtmlToText("a&#32;&#32; &#10;b"), "a b");
  EXPECT_EQ(HtmlToText("&#32;x&#9;"), "x");
  EXPECT_EQ(HtmlToText(" \r\n "), "");
  // A no-break space is not a blank to fold.
  EXPECT_EQ(HtmlToText("a&nbsp;&nbsp;b"), "a\xC2\xA0\xC2\xA0" "b");
}
