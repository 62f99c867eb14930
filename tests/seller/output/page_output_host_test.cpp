// The page output through the real stand-in editor on a private bus: the
// Salebox, the renumbering and the page support land in the editor's page,
// with positions counted in bytes of the UTF-8 text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/dbus_host_editor.h"
#include "output_support.h"
#include "seller/output/page_support.h"
#include "seller/shell/context.h"
#include "support/host_fixture.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"

using namespace tendrel;
using namespace outputtest;
namespace fs = std::filesystem;

static auto* const kBus = ::testing::AddGlobalTestEnvironment(new PrivateBus);

namespace {

class OutputThroughEditor : public ::testing::Test {
 protected:
  // Opens `page` in a fresh editor and attaches it to the context.
  void Open(const std::string& page) {
    fs::create_directories(site);
    std::ofstream(pagePath, std::ios::binary) << page;
    editor = std::make_unique<HostProcess>(QStringList{QString::fromStdString(pagePath.string())});
    ASSERT_TRUE(editor->WaitUntilServing()) << "the editor did not come onto the bus";
    ctx.AttachHost(DBusHostEditor::Create());
    ASSERT_EQ(Text(), page);
    TApplet& a = ctx.Applet();
    a.ProductID = "NEW";
    a.ProductName = "The \"Best\" Guide > 2";
    a.VendorID = "V1";
    a.Cost = "25";
    a.MediaType = "text/plain";
    a.SourceFile = "/site/guide.txt";
    a.Width = "200";
    a.Height = "300";
  }
  std::string Text() { return ctx.Host()->CallText("getalltext"); }
  // Puts the caret right after the first occurrence of `after`.
  void CaretAfter(const std::string& after) {
    const std::string text = Text();
    const size_t at = text.find(after);
    ASSERT_NE(at, std::string::npos) << after;
    ctx.Host()->Invoke("setselection", {static_cast<int>(at + after.size()), 0});
  }
  void Output() { ASSERT_EQ(output.OutputAll(), OutputResult::Placed) << Text(); }

  TempHome home;
  fs::path site = fs::path(home.root()) / "site";
  fs::path pagePath = site / "shop.htm";
  std::unique_ptr<HostProcess> editor;
  ScriptedDialogs dialogs;
  BravantContext ctx{dialogs};
  PageOutput output{ctx};
};

}  // namespace

TEST_F(OutputThroughEditor, RenumbersInPageOrderAfterNonAsciiText) {
  const std::string first = SaleboxTag(ctx.Settings(), "A1", "A", "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC 5");
  const std::string second = SaleboxTag(ctx.Settings(), "B1", "B");
  Open("<html>\r\n<head>\r\n<title>Caf\xC3\xA9</title>\r\n</head>\r\n<body>\r\n<p>Na\xC3\xAFve \xF0\x9F\x98\x80 caf\xC3\xA9 "
       "\xE2\x82\xAC</p>\r\n" + first + "\r\n<p>\xC3\xA9t\xC3\xA9</p>\r\n" + second + "\r\n</body>\r\n</html>\r\n");
  CaretAfter("<p>\xC3\xA9t\xC3\xA9</p>\r\n");
  Output();

  const std::string page = Text();
  EXPECT_EQ(SaleboxNames(page), (std::vector<std::string>{"Tillon1", "Tillon2", "Tillon3"}));
  PageOutput reader(ctx);
  const auto& list = reader.ReadDocumentApplets(page);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].ProductID, "A");
  EXPECT_EQ(list[0].Description, "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC 5");
  EXPECT_EQ(list[1].ProductID, "NEW");
  EXPECT_EQ(list[1].ProductName, "The \"Best\" Guide > 2");
  EXPECT_EQ(list[2].ProductID, "B");
  EXPECT_NE(page.find("var TillonSaleboxCount = 3;"), std::string::npos);
  // The text around the tags is whole.
  EXPECT_NE(page.find("<p>Na\xC3\xAFve \xF0\x9F\x98\x80 caf\xC3\xA9 \xE2\x82\xAC</p>\r\n<applet name=\"Tillon1\""),
            std::string::npos);
  EXPECT_NE(page.find("</applet>\r\n<p>\xC3\xA9t\xC3\xA9</p>\r\n<applet name=\"Tillon2\""), std::string::npos);
  EXPECT_EQ(ctx.Host()->CallInt("getselstart"), 0);
}

TEST_F(OutputThroughEditor, RepeatedOutputsLeaveOneScriptObjectAndApplet) {
  Open("<html>\r\n<head>\r\n<!-- Start Tillon Script -->\r\n<script>old()</script>\r\n<!-- End Tillon Script -->\r\n"
       "<title>T</title>\r\n</head>\r\n<body bgcolor=\"#FFFFFF\">\r\n<p>one</p>\r\n<p>two</p>\r\n</body>\r\n</html>\r\n");
  CaretAfter("<p>one");
  Output();
  const std::string once = Text();
  CaretAfter("<p>two");
  Output();
  const std::string page = Text();

  EXPECT_EQ(Count(page, kScriptStartMarker), 1u);
  EXPECT_EQ(Count(page, kScriptEndMarker), 1u);
  EXPECT_EQ(page.find(kScriptStartMarker), page.find("<head>") + 6);
  EXPECT_EQ(page.find("old()"), std::string::npos);
  EXPECT_NE(page.find("<body bgcolor=\"#FFFFFF\" onLoad=\"TillonOnLoad()\">\r\n" + BrowserObjectBlock() + "<p>one"),
            std::string::npos);
  EXPECT_EQ(Count(page, BrowserObjectStart()), 1u);
  EXPECT_EQ(Count(page, kCommsAppletStart), 1u);
  EXPECT_NE(page.find("</p>\r\n" + std::string(kCommsAppletComment) + "\r\n" + PublishedCommsApplet() +
                      "\r\n</body>\r\n</html>\r\n"),
            std::string::npos);
  EXPECT_EQ(SaleboxNames(page), (std::vector<std::string>{"Tillon1", "Tillon2"}));
  // The second output changed the page only by its Salebox and the count.
  TApplet second = ctx.Applet();
  second.AppletName = "Tillon2";
  EXPECT_EQ(page.size() - once.size(), second.BuildTag().size());
}

TEST_F(OutputThroughEditor, AnInitHandlerRunsAfterTheStartupHandlerAndStaysSo) {
  Open("<html><head></head>\r\n<body onLoad=\"init()\" text=black>\r\n<p>x</p>\r\n</body></html>");
  CaretAfter("<p>");
  Output();
  CaretAfter("<p>");
  Output();
  const std::string page = Text();
  EXPECT_NE(page.find("<body onLoad=\"TillonOnLoad();init()\" text=black>\r\n"), std::string::npos);
  EXPECT_EQ(Count(page, "onLoad="), 1u);
  EXPECT_EQ(Count(page, "TillonOnLoad();init()"), 1u);
}

TEST_F(OutputThroughEditor, AppletAndObjectAlreadyThereAreNotAddedAgain) {
  const std::string body = "<body>\r\n" + BrowserObjectBlock() + "<p>x</p>\r\n" + std::string(kCommsAppletComment) +
                           "\r\n" + PublishedCommsApplet() + "\r\n</body>";
  Open("<html><head></head>\r\n" + body + "</html>");
  CaretAfter("<p>");
  Output();
  EXPECT_EQ(Count(Text(), BrowserObjectStart()), 1u);
  EXPECT_EQ(Count(Text(), kCommsAppletStart), 1u);
  EXPECT_EQ(Count(Text(), kCommsAppletComment), 1u);
}

TEST_F(OutputThroughEditor, AHeadWithAttributesGetsNoScriptAndNoBodyEndNoApplet) {
  Open("<html><head lang=\"en\"><title>x</title></head>\r\n<body>\r\n<p>x</p>\r\n");
  CaretAfter("<p>");
  Output();
  const std::string page = Text();
  EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{kNoHeadMessage, kCreateAnotherQuestion}));
  EXPECT_EQ(Count(page, kScriptStartMarker), 0u);
  EXPECT_EQ(Count(page, kCommsAppletStart), 0u);
  EXPECT_NE(page.find("<body onLoad=\"TillonOnLoad()\">\r\n" + BrowserObjectBlock()), std::string::npos);
  EXPECT_EQ(SaleboxNames(page), std::vector<std::string>{"Tillon1"});
}
