// The page output on the in-memory host: what goes into the page and where,
// the document list, the renumbering (also for the preview), the script
// template, and what the user is told and asked.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "common/files.h"
#include "common/paths.h"
#include "host/in_memory_host.h"
#include "output_support.h"
#include "seller/output/page_support.h"
#include "seller/shell/context.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"

using namespace tendrel;
using namespace outputtest;
namespace fs = std::filesystem;

namespace {

const char kCRLF[] = "\r\n";

class PageOutputTest : public ::testing::Test {
 protected:
  PageOutputTest() {
    auto h = std::make_unique<InMemoryHost>();
    host = h.get();
    ctx.AttachHost(std::move(h));
    TApplet& a = ctx.Applet();
    a.ProductID = "P9";
    a.ProductName = "Sunset";
    a.VendorID = "V1";
    a.Cost = "25";
    a.MediaType = "image/gif";
    a.SourceFile = "/pics/sunset.gif";
    a.Width = "200";
    a.Height = "300";
    ctx.State().SetSaleboxPlaced(false);
  }

  // Opens `page` with the text between the first "[" and "]" selected (the
  // markers go), or the caret at the end without them.
  void Load(std::string page) {
    const size_t open = page.find('['), close = page.find(']');
    host->doc.ReplaceAll(page);
    if (open == std::string::npos) {
      host->doc.SetSelection(static_cast<int>(page.size()), 0);
      return;
    }
    page.erase(close, 1);
    page.erase(open, 1);
    host->doc.ReplaceAll(page);
    host->doc.SetSelection(static_cast<int>(open), static_cast<int>(close - open - 1));
  }
  const std::string& Text() const { return host->doc.Text(); }
  // The current record's tag under the name the page gives it.
  std::string CurrentTagAs(const std::string& name) {
    TApplet copy = ctx.Applet();
    copy.AppletName = name;
    return copy.BuildTag();
  }
  std::string Comms() const { return std::string(kCommsAppletComment) + kCRLF + PublishedCommsApplet() + kCRLF; }
  std::vector<std::string> Shown() const { return dialogs.MessageTexts(); }

  TempHome home;
  ScriptedDialogs dialogs;
  BravantContext ctx{dialogs};
  InMemoryHost* host = nullptr;
  PageOutput output{ctx};
};

const std::string kShop =
    "<html>\r\n<head>\r\n<title>Shop</title>\r\n</head>\r\n<body bgcolor=\"#FFFFFF\">\r\n"
    "<p>Buy here: [old text]</p>\r\n</body>\r\n</html>\r\n";

}  // namespace

TEST_F(PageOutputTest, PutsTheSaleboxAndThePageSupportIntoThePage) {
  Load(kShop);
  int busyOn = 0, busyOff = 0;
  PageOutput::Hooks hooks;
  hooks.busy = [&](bool on) { ++(on ? busyOn : busyOff); };
  EXPECT_EQ(output.OutputAll(hooks), OutputResult::Placed);

  EXPECT_EQ(Text(), "<html>\r\n<head>" + ScriptBlockFor(1) +
                        "\r\n<title>Shop</title>\r\n</head>\r\n<body bgcolor=\"#FFFFFF\" onLoad=\"TillonOnLoad()\">\r\n" +
                        BrowserObjectBlock() + "<p>Buy here: " + CurrentTagAs("Tillon1") + "</p>\r\n" + Comms() +
                        "</body>\r\n</html>\r\n");
  EXPECT_EQ(host->doc.SelStart(), 0);
  EXPECT_EQ(host->doc.SelLength(), 0);
  EXPECT_EQ(busyOn, 1);
  EXPECT_EQ(busyOff, 1);
  // Only the question, and the Salebox counts as placed.
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, kCreateAnotherQuestion);
  EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::YesNo);
  EXPECT_TRUE(ctx.State().SaleboxPlaced());
  // The page is read and written through the document calls only.
  const std::set<std::string> allowed = {"IsOpenDoc",    "getselstart",    "puttextatcursor",
                                         "setselection", "getalltext",     "replacealltext"};
  for (const std::string& name : host->CallNames()) EXPECT_TRUE(allowed.count(name)) << name;
  // The template was written from the program's resource.
  std::ifstream in(ScriptTemplatePath(), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), ShippedTemplate());
}

TEST_F(PageOutputTest, WithoutAnOpenDocumentNothingIsWritten) {
  Load(kShop);
  const std::string before = Text();
  host->docOpen = false;
  EXPECT_EQ(output.OutputAll(), OutputResult::NoDocument);
  EXPECT_EQ(Text(), before);
  EXPECT_EQ(Shown(), std::vector<std::string>{kNoDocumentForSalebox});
  EXPECT_FALSE(ctx.State().SaleboxPlaced());

  // Nor without a host object at all.
  ScriptedDialogs otherDialogs;
  BravantContext noHost(otherDialogs);
  PageOutput alone(noHost);
  EXPECT_EQ(alone.OutputAll(), OutputResult::NoDocument);
  EXPECT_EQ(otherDialogs.MessageTexts(), std::vector<std::string>{kNoDocumentForSalebox});
}

TEST_F(PageOutputTest, AnUploadedSaleboxTellsWhatComesNextOnce) {
  EXPECT_EQ(WhatNextMessage(),
            "You have now accomplished the following things: \r\n\r\n"
            "1) Made an encoded version of the file you are selling.\r\n"
            "2) Placed this on your web server.\r\n"
            "3) Registered this product in the Tillon database.\r\n"
            "   If you chose a preview image this was uploaded as well.\r\n"
            "4) Added the necessary HTML code to your web page.\r\n\r\n"
            "If you are going to continue editing the web page you are working on please make sure you do not "
            "alter the code that was added by tln.  All that remains now is for you to upload the web page as you "
            "normally would do.");
  Load(kShop);
  ctx.Applet().UploadState = "Uploaded";
  ASSERT_EQ(output.OutputAll(), OutputResult::Placed);
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[0].text, WhatNextMessage());
  EXPECT_EQ(dialogs.shown[0].caption, kShowOnceCaption);
  EXPECT_EQ(dialogs.shown[1].text, kCreateAnotherQuestion);

  // Silenced, or not uploaded: only the question.
  for (const bool silenced : {true, false}) {
    dialogs.shown.clear();
    SilenceMessage(ctx.Settings(), kWhatNextKey, silenced);
    ctx.Applet().UploadState = silenced ? "Uploaded" : "";
    ASSERT_EQ(output.OutputAll(), OutputResult::Placed);
    EXPECT_EQ(Shown(), std::vector<std::string>{kCreateAnotherQuestion}) << silenced;
  }
}

TEST_F(PageOutputTest, YesToAnotherSaleboxHandsOverBeforeThePlacedFlagIsSet) {
  Load(kShop);
  dialogs.messageAnswers = {MsgResult::Yes};
  std::vector<bool> placedAtHandOver;
  PageOutput::Hooks hooks;
  hooks.createAnother = [&] { placedAtHandOver.push_back(ctx.State().SaleboxPlaced()); };
  ASSERT_EQ(output.OutputAll(hooks), OutputResult::Placed);
  EXPECT_EQ(placedAtHandOver, std::vector<bool>{false});
  EXPECT_TRUE(ctx.State().SaleboxPlaced());

  // No: no hand-over.
  placedAtHandOver.clear();
  ASSERT_EQ(output.OutputAll(hooks), OutputResult::Placed);
  EXPECT_TRUE(placedAtHandOver.empty());
}

TEST_F(PageOutputTest, AnExistingTemplateIsUsedAsItIs) {
  const std::string custom =
      "<!-- Start Tillon Script -->\n<script>var n = [numVendApplets]; // [NUMVENDAPPLETS]</script>\n"
      "<!-- End Tillon Script -->\n";
  std::ofstream(ScriptTemplatePath(), std::ios::binary) << custom;
  Load(kShop);
  ASSERT_EQ(output.OutputAll(), OutputResult::Placed);
  EXPECT_NE(Text().find("<head><!-- Start Tillon Script -->\r\n<script>var n = 1; // 1</script>\r\n"
                        "<!-- End Tillon Script -->\r\n<title>"),
            std::string::npos);
  std::ifstream in(ScriptTemplatePath(), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), custom);
}

TEST_F(PageOutputTest, ATemplateThatCannotBeWrittenStopsTheOutputAfterTheRenumbering) {
  // A folder where the file should be: neither found nor writable.
  fs::create_directories(ScriptTemplatePath());
  const std::string other = SaleboxTag(ctx.Settings(), "x", "A");
  Load("<html><head></head><body>\r\n" + other + "<p>[]</p>\r\n</body></html>");
  int busyOn = 0, busyOff = 0;
  PageOutput::Hooks hooks;
  hooks.busy = [&](bool on) { ++(on ? busyOn : busyOff); };
  EXPECT_EQ(output.OutputAll(hooks), OutputResult::TemplateFailed);

  EXPECT_EQ(Shown(), std::vector<std::string>{"An error occurred while writing " + ScriptTemplatePath()});
  // The tags are in and renumbered; nothing else was written.
  EXPECT_EQ(SaleboxNames(Text()), (std::vector<std::string>{"Tillon1", "Tillon2"}));
  EXPECT_EQ(Count(Text(), "onLoad"), 0u);
  EXPECT_EQ(Count(Text(), kScriptStartMarker), 0u);
  EXPECT_EQ(Count(Text(), kCommsAppletStart), 0u);
  const auto calls = host->CallNames();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "replacealltext"), 0);
  EXPECT_FALSE(ctx.State().SaleboxPlaced());
  EXPECT_EQ(busyOn, 1);
  EXPECT_EQ(busyOff, 1);
}

TEST_F(PageOutputTest, AnEmptyTemplateIsReportedAndTheOutputGoesOn) {
  std::ofstream(ScriptTemplatePath(), std::ios::binary).flush();
  Load(kShop);
  ASSERT_EQ(output.OutputAll(), OutputResult::Placed);
  EXPECT_EQ(Shown(), (std::vector<std::string>{
                         "Fatal Error !  The text file containing the JavaScript required by Tillon cannot be "
                         "found.\r\n\r\nIt should have been in " +
                             ScriptTemplatePath() +
                             "\r\n\r\nIt should have been created during installation.  If you have deleted it "
                             "please reinstall Bravant.",
                         kCreateAnotherQuestion}));
  EXPECT_EQ(Text().find("<head>\r\n<title>"), 8u);
  EXPECT_EQ(Count(Text(), "onLoad=\"TillonOnLoad()\""), 1u);
  EXPECT_EQ(Count(Text(), kCommsAppletStart), 1u);
  EXPECT_TRUE(ctx.State().SaleboxPlaced());
}

TEST_F(PageOutputTest, AHostFailureEndsTheOutputWithTheHourglassOff) {
  Load(kShop);
  host->failing.insert("replacealltext");
  int busyOn = 0, busyOff = 0;
  PageOutput::Hooks hooks;
  hooks.busy = [&](bool on) { ++(on ? busyOn : busyOff); };
  EXPECT_THROW(output.OutputAll(hooks), EHostError);
  EXPECT_EQ(busyOn, 1);
  EXPECT_EQ(busyOff, 1);
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_FALSE(ctx.State().SaleboxPlaced());
}

TEST_F(PageOutputTest, TheDocumentListHoldsTheSaleboxesWithTheirByteOffsets) {
  const std::string a = SaleboxTag(ctx.Settings(), "n1", "A");
  std::string b = SaleboxTag(ctx.Settings(), "n2", "B");
  b = "<APPLET" + b.substr(7, b.size() - 16) + "</APPLET>";  // another case
  const std::string page = "<p>\xE2\x82\xAC\xF0\x9F\x98\x80</p>" + a + "\r\n" +
                           std::string(kCommsAppletComment) + "\r\n" + PublishedCommsApplet() +
                           "<applet code=\"Other\" width=1 height=1></applet>" + b + "<applet code=\"VendorApplet\">";
  const auto& list = output.ReadDocumentApplets(page);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].ProductID, "A");
  EXPECT_EQ(list[0].DocPosition, static_cast<int32_t>(page.find(a)));
  EXPECT_EQ(list[0].DocPosition, 14);
  EXPECT_EQ(list[0].DocLength, static_cast<int32_t>(a.size()));
  EXPECT_EQ(list[1].ProductID, "B");
  EXPECT_EQ(list[1].DocPosition, static_cast<int32_t>(page.find(b)));
  EXPECT_EQ(list[1].DocLength, static_cast<int32_t>(b.size()));
  // Every reading replaces the list.
  EXPECT_EQ(output.ReadDocumentApplets(a).size(), 1u);
  EXPECT_TRUE(output.ReadDocumentApplets("").empty());
}

TEST_F(PageOutputTest, PreviewRenumberingDressesTheTagsAndRestoresTheRecords) {
  ctx.Settings().WriteText("Options", "Class Location", "java/");
  const std::string page = "<body>" + SaleboxTag(ctx.Settings(), "a", "A", "First") + "<p>\xC3\xA9</p>" +
                           SaleboxTag(ctx.Settings(), "b", "B") + "</body>";
  host->doc.ReplaceAll(page);
  output.NumberDocumentApplets(page, true);

  PageOutput reader(ctx);
  const auto& tags = reader.ReadDocumentApplets(Text());
  ASSERT_EQ(tags.size(), 2u);
  EXPECT_EQ(tags[0].ProductID, "salebox1");
  EXPECT_EQ(tags[1].ProductID, "salebox2");
  EXPECT_EQ(tags[0].Description, "PREVIEW ONLY ! First");
  EXPECT_EQ(tags[1].Description, "PREVIEW ONLY !");  // written trimmed
  const std::string classes = "codebase=\"" + PathToFileURL(JoinPath(AppDir(), "classes/")) + "\"";
  EXPECT_EQ(classes.rfind("codebase=\"file:///", 0), 0u);
  EXPECT_EQ(Count(Text(), classes), 2u);
  EXPECT_EQ(SaleboxNames(Text()), (std::vector<std::string>{"Tillon1", "Tillon2"}));

  const auto& records = output.DocumentApplets();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].ProductID, "A");
  EXPECT_EQ(records[0].Description, "First");
  EXPECT_EQ(records[1].ProductID, "B");
  EXPECT_EQ(records[1].Description, "");
  EXPECT_EQ(records[0].ClassLocation, "java/");
  EXPECT_EQ(records[1].AppletName, "Tillon2");

  // Published renumbering of the page as it was writes the records as they are.
  host->doc.ReplaceAll(page);
  output.NumberDocumentApplets(page, false);
  EXPECT_EQ(Count(Text(), "PREVIEW ONLY"), 0u);
  EXPECT_EQ(Count(Text(), "codebase=\"java/\""), 2u);
}

TEST_F(PageOutputTest, PreviewPageSupportTakesThePreviewCommsApplet) {
  const std::string page = "<head></head><body>\r\n<p>x</p>\r\n" + Comms() + "</body>";
  output.ReadDocumentApplets(page);
  // Without a maker, the published applet.
  EXPECT_EQ(Count(*output.InsertPageSupport(page, true), kCommsAppletStart), 1u);

  output.SetPreviewCommsApplet([] { return std::string("<applet name=\"tilloncommsapplet\" code=\"Stand\">\r\n</applet>"); });
  const std::optional<std::string> preview = output.InsertPageSupport(page, true);
  ASSERT_TRUE(preview);
  EXPECT_EQ(Count(*preview, kCommsAppletStart), 1u);
  EXPECT_EQ(Count(*preview, "code=\"Stand\""), 1u);
  EXPECT_EQ(preview->find("com.tillon.tankard.comms.TillonCommsApplet"), std::string::npos);
  // The old applet's comment stays above where it stood.
  EXPECT_NE(preview->find(std::string(kCommsAppletComment) + "\r\n\r\n" + kCommsAppletComment +
                          "\r\n<applet name=\"tilloncommsapplet\" code=\"Stand\">\r\n</applet>\r\n</body>"),
            std::string::npos);
  // The published page support keeps the page's own applet.
  EXPECT_EQ(Count(*output.InsertPageSupport(page, false), "code=\"Stand\""), 0u);
}

TEST_F(PageOutputTest, RenumberingLeavesThePageAsRewritingTagByTagWould) {
  SettingsStore& s = ctx.Settings();
  const std::string between = "\r\n<p>caf\xC3\xA9 \xF0\x9F\x98\x80</p>\r\n";
  const std::vector<std::string> pages = {
      // Every tag renamed; one holding quotes written before as they were.
      "<body>" + SaleboxTag(s, "x", "A", "\"quoted\"") + between + SaleboxTag(s, "", "B") + between +
          SaleboxTag(s, "Tillon9", "C") + "</body>",
      // Named already: nothing changes.
      "<body>" + SaleboxTag(s, "Tillon1", "A") + between + SaleboxTag(s, "Tillon2", "B") + "</body>",
      // Only the last, only the first.
      "<body>" + SaleboxTag(s, "Tillon1", "A") + between + SaleboxTag(s, "Tillon2", "B") + between +
          SaleboxTag(s, "Box", "C") + "</body>",
      "<p>\xE2\x82\xAC</p>" + SaleboxTag(s, "Box", "A") + between + SaleboxTag(s, "Tillon2", "B"),
      // None at all.
      "<body><applet code=\"Other\"></applet></body>",
  };
  for (const bool preview : {false, true}) {
    for (const std::string& page : pages) {
      // The reference: each record rewritten by itself, the last first.
      InMemoryHost reference;
      reference.doc.ReplaceAll(page);
      reference.doc.SetSelection(3, 2);
      PageOutput reader(ctx);
      std::vector<TApplet> records = reader.ReadDocumentApplets(page);
      for (size_t i = records.size(); i-- > 0;) {
        TApplet& r = records[i];
        r.SetHost(&reference);
        r.AppletName = "Tillon" + std::to_string(i + 1);
        if (preview) {
          r.ProductID = "salebox" + std::to_string(i + 1);
          r.ClassLocation = PathToFileURL(JoinPath(AppDir(), "classes/"));
          r.Description = "PREVIEW ONLY ! " + r.Description;
        }
        r.UpdateInDocument();
      }

      host->doc.ReplaceAll(page);
      host->doc.SetSelection(3, 2);
      output.NumberDocumentApplets(page, preview);
      EXPECT_EQ(Text(), reference.doc.Text()) << preview << page;
      EXPECT_EQ(host->doc.SelStart(), reference.doc.SelStart()) << preview << page;
      EXPECT_EQ(host->doc.SelLength(), reference.doc.SelLength()) << preview << page;
      EXPECT_EQ(output.DocumentApplets().size(), records.size());
    }
  }
}
