#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QTemporaryDir>

#include "host/document.h"
#include "host/html_document.h"
#include "host/in_memory_host.h"

using namespace tendrel;

TEST(HtmlDocument, HeadInsertionFindsTheHeadTagOnly) {
  struct Case {
    std::string page, insert, expected;
  } cases[] = {
      {"<html><HEAD><title>t</title></HEAD></html>", "<meta>",
       "<html><HEAD><meta><title>t</title></HEAD></html>"},
      {"<html><head lang=en>x</head></html>", "M", "<html><head lang=en>Mx</head></html>"},
      // "<header>" is not a head.
      {"<html><body><header>h</header></body></html>", "M",
       "<html><head>M</head><body><header>h</header></body></html>"},
      {"<p>plain</p>", "M", "<head>M</head><p>plain</p>"},
      {"", "M", "<head>M</head>"},
  };
  for (const auto& c : cases) {
    HtmlDocument d;
    d.ReplaceAll(c.page);
    d.InsertInHead(c.insert);
    EXPECT_EQ(d.Text(), c.expected) << c.page;
  }
}

TEST(HtmlDocument, BodyEndAndTitle) {
  HtmlDocument d;
  d.ReplaceAll("<html><head><TITLE>  My page </title></head><body>x</BODY></html>");
  EXPECT_EQ(d.Title(), "My page");
  d.InsertBeforeBodyEnd("<a>logo</a>");
  EXPECT_EQ(d.Text(), "<html><head><TITLE>  My page </title></head><body>x<a>logo</a></BODY></html>");

  HtmlDocument noBody;
  noBody.ReplaceAll("text");
  noBody.InsertBeforeBodyEnd("!");
  EXPECT_EQ(noBody.Text(), "text!");
  EXPECT_EQ(noBody.Title(), "");
}

TEST(HtmlDocument, SelectionCountsUtf8BytesAndNeverCutsACharacter) {
  HtmlDocument d;
  d.ReplaceAll("\xC3\xA9t\xC3\xA9 <b>");  // "été <b>"
  d.SetSelection(6, 3);
  EXPECT_EQ(d.SelectedText(), "<b>");
  d.SetSelection(1, 1);  // inside the first é: widened to whole characters
  EXPECT_EQ(d.SelStart(), 0);
  EXPECT_EQ(d.SelectedText(), "\xC3\xA9");
  d.SetSelection(100, 5);  // past the end: caret at the end
  EXPECT_EQ(d.SelStart(), static_cast<int>(d.Text().size()));
  EXPECT_EQ(d.SelLength(), 0);
  d.SetSelection(-3, 2);
  EXPECT_EQ(d.SelStart(), 0);
  EXPECT_EQ(d.SelLength(), 2);
}

TEST(HtmlDocument, InsertionBeforeTheCaretKeepsTheSelectionOnItsText) {
  HtmlDocument d;
  d.ReplaceAll("<head></head><body>abc</body>");
  d.SetSelection(19, 3);
  d.InsertInHead("<meta>");
  EXPECT_EQ(d.SelectedText(), "abc");
}

TEST(InMemoryHost, CallsAreMatchedWithoutRegardToCaseAndUnknownOnesFail) {
  InMemoryHost host;
  host.doc.ReplaceAll("abc");
  EXPECT_EQ(host.CallText("GETALLTEXT"), "abc");
  EXPECT_EQ(host.CallText("IsOpenDoc"), "true");
  EXPECT_THROW(host.Invoke("NoSuchCall", {}), EHostError);
  EXPECT_THROW(host.Invoke("setselection", {std::string("1")}), EHostError);
  host.failing.insert("getseltext");
  EXPECT_THROW(host.CallText("getSelText"), EHostError);
  EXPECT_EQ(host.CallNames(),
            (std::vector<std::string>{"GETALLTEXT", "IsOpenDoc", "NoSuchCall", "setselection",
                                      "getSelText"}));
}

TEST(InMemoryHost, ForceSaveAndCopyFilesWorkOnRealFiles) {
  QTemporaryDir tmp;
  const std::string dir = tmp.path().toStdString();
  InMemoryHost host;
  host.doc.ReplaceAll("<p>x</p>");
  EXPECT_EQ(host.CallText("GetWorkDir"), "");
  EXPECT_THROW(host.Invoke("copyfiles", {dir + "/none.gif"}), EHostError);  // unsaved page

  host.Invoke("ForceSave", {});  // save dialog cancelled
  EXPECT_EQ(host.CallText("CurrentDocName"), "");
  host.saveAsName = dir + "/page.htm";
  host.Invoke("ForceSave", {});
  EXPECT_EQ(host.CallText("CurrentDocName"), dir + "/page.htm");
  EXPECT_EQ(host.CallText("GetWorkDir"), dir);
  std::ifstream saved(dir + "/page.htm");
  std::string content((std::istreambuf_iterator<char>(saved)), {});
  EXPECT_EQ(content, "<p>x</p>");

  std::filesystem::create_directory(dir + "/prog");
  std::ofstream(dir + "/prog/logo.gif") << "GIF";
  host.Invoke("copyfiles", {dir + "/prog/logo.gif"});
  EXPECT_TRUE(std::filesystem::exists(dir + "/logo.gif"));
}

TEST(DocumentRoutines, DoNothingWithoutAHostOrAnOpenDocument) {
  EXPECT_FALSE(DocIsOpen(nullptr));
  EXPECT_EQ(DocRead(nullptr, true), "");
  EXPECT_FALSE(DocWrite(nullptr, "x", false, false));

  InMemoryHost host;
  host.doc.ReplaceAll("keep");
  host.docOpen = false;
  EXPECT_EQ(DocRead(&host, true), "");
  EXPECT_FALSE(DocWrite(&host, "x", true, true));
  EXPECT_FALSE(DocReplaceRange(&host, 0, 1, "x"));
  EXPECT_EQ(host.doc.Text(), "keep");
  // Only the open-document question was asked.
  for (const auto& name : host.CallNames()) EXPECT_EQ(name, "IsOpenDoc");
}

TEST(DocumentRoutines, WriteInsertsOrReplacesAndSelectsAsAsked) {
  InMemoryHost host;
  host.doc.ReplaceAll("0123456789");
  host.doc.SetSelection(2, 3);

  ASSERT_TRUE(DocWrite(&host, "AB", false, true));
  EXPECT_EQ(host.doc.Text(), "01AB56789");
  EXPECT_EQ(host.doc.SelStart(), 2);
  EXPECT_EQ(host.doc.SelectedText(), "AB");
  EXPECT_EQ(host.CallNames(), (std::vector<std::string>{"IsOpenDoc", "getselstart",
                                                        "puttextatcursor", "setselection"}));

  host.calls.clear();
  ASSERT_TRUE(DocWrite(&host, "new page", true, false));
  EXPECT_EQ(host.doc.Text(), "new page");
  EXPECT_EQ(host.doc.SelStart(), 0);
  EXPECT_EQ(host.doc.SelLength(), 0);
  EXPECT_EQ(host.CallNames(),
            (std::vector<std::string>{"IsOpenDoc", "replacealltext", "setselection"}));
}

TEST(DocumentRoutines, ReplaceRangeLeavesTheCaretAtTheStartOfTheNewText) {
  InMemoryHost host;
  host.doc.ReplaceAll("\xC3\xA9<old tag>rest");
  ASSERT_TRUE(DocReplaceRange(&host, 2, 9, "<new>"));
  EXPECT_EQ(host.doc.Text(), "\xC3\xA9<new>rest");
  EXPECT_EQ(host.doc.SelStart(), 2);
  EXPECT_EQ(host.doc.SelLength(), 0);
}
