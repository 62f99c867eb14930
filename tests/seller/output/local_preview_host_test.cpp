// The local preview through the real stand-in editor: the preview page and
// its files come out where the applets look for them, the encoded copies
// decode to their sources with the keys the page carries, and the editor's
// page and cursor are left as they were. The private bus is the one the page
// output tests of this program start.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "common/files.h"
#include "common/paths.h"
#include "host/dbus_host_editor.h"
#include "output_support.h"
#include "seller/output/local_preview.h"
#include "seller/output/page_support.h"
#include "seller/shell/context.h"
#include "support/host_fixture.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"
#include "support/file_bytes.h"

using namespace tendrel;
using namespace outputtest;
namespace fs = std::filesystem;

namespace {

void WriteAll(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

std::vector<std::string> FileNames(const fs::path& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A product line of the preview page's communications applet.
struct ProductLine {
  std::string number, file, key;
};

std::vector<ProductLine> ProductLines(const std::string& page) {
  std::vector<ProductLine> lines;
  const std::regex line("<param name=\"product([0-9]+)\" value=\"salebox\\1;V1;10;([^;]*);([0-9A-F]*)\">\r\n");
  for (auto it = std::sregex_iterator(page.begin(), page.end(), line); it != std::sregex_iterator(); ++it)
    lines.push_back({(*it)[1], (*it)[2], (*it)[3]});
  return lines;
}

class PreviewThroughEditor : public ::testing::Test {
 protected:
  // A Salebox tag for the product whose file is `source`.
  std::string Salebox(const std::string& id, const fs::path& source, const std::string& image = "",
                      const std::string& name = "X") {
    TApplet a(&ctx.Settings());
    a.AppletName = name;
    a.ProductID = id;
    a.Description = "About " + id;
    a.VendorID = "V1";
    a.Cost = "10";
    a.MediaType = "text/plain";
    a.SourceFile = source.string();
    a.PreviewURL = image;
    a.Width = "200";
    a.Height = "300";
    return a.BuildTag();
  }
  // The tag as the preview page shows product `n` made by Salebox().
  std::string PreviewTag(int n, const std::string& id, const fs::path& source, const std::string& image = "") {
    TApplet a(&ctx.Settings());
    a.AppletName = "Tillon" + std::to_string(n);
    a.ProductID = "salebox" + std::to_string(n);
    a.Description = "PREVIEW ONLY ! About " + id;
    a.VendorID = "V1";
    a.Cost = "10";
    a.MediaType = "text/plain";
    a.SourceFile = source.string();
    a.PreviewURL = image;
    a.Width = "200";
    a.Height = "300";
    a.ClassLocation = PathToFileURL(AppDir() + "/classes/");
    return a.BuildTag();
  }
  // Starts the editor on `page` (saved as `pagePath`, or unsaved when that is
  // empty) and attaches it.
  void Open(const std::string& page, const fs::path& path, const QStringList& env = {}) {
    QStringList args;
    if (!path.empty()) {
      WriteAll(path, page);
      args << QString::fromStdString(path.string());
    }
    editor = std::make_unique<HostProcess>(args, env);
    ASSERT_TRUE(editor->WaitUntilServing()) << "the editor did not come onto the bus";
    ctx.AttachHost(DBusHostEditor::Create());
    if (path.empty()) ctx.Host()->Invoke("replacealltext", {page});
    ASSERT_EQ(Text(), page);
  }
  std::string Text() { return ctx.Host()->CallText("getalltext"); }
  // Decodes `encoded` with the independent decoder.
  std::string Decode(const std::string& keyHex, const fs::path& encoded) {
    const fs::path out = site / "decoded.bin";
    fs::remove(out);
    const int rc = QProcess::execute(QStringLiteral("python3"),
                                     {QStringLiteral(TEST_SOURCE_DIR "/../standins/tillon_cipher.py"),
                                      QString::fromStdString(keyHex), QString::fromStdString(encoded.string()),
                                      QString::fromStdString(out.string())});
    EXPECT_EQ(rc, 0);
    return ReadFile(out);
  }

  TempHome home;
  fs::path site = fs::path(home.root()) / "site";
  fs::path goods = fs::path(home.root()) / "goods";
  std::unique_ptr<HostProcess> editor;
  ScriptedDialogs dialogs;
  BravantContext ctx{dialogs};
  PageOutput output{ctx};
  LocalPreview preview{ctx, output};
};

const char kHead[] = "<html>\r\n<head>\r\n<title>Shop</title>\r\n</head>\r\n<body>\r\n<p>Goods</p>\r\n";
const char kTail[] = "\r\n</body>\r\n</html>\r\n";

}  // namespace

TEST_F(PreviewThroughEditor, SavedPageComesOutBesideItByteForByteAndTheEditorKeepsItsPage) {
  WriteAll(goods / "alpha.txt", std::string("alpha \0 bytes", 13));
  WriteAll(goods / "beta.txt", std::string(70000, 'b'));
  const std::string page = std::string(kHead) + Salebox("A", goods / "alpha.txt") + "\r\n<p>between</p>\r\n" +
                           Salebox("B", goods / "beta.txt") + kTail;
  Open(page, site / "shop.htm");
  ctx.Host()->Invoke("setselection", {20, 5});

  const std::string written = preview.PreviewWithBrowser("None");
  ASSERT_EQ(written, (site / kPreviewPageName).string());
  const std::string out = ReadFile(written);

  // The editor's page, its cursor and its selection are as they were.
  EXPECT_EQ(Text(), page);
  EXPECT_EQ(ctx.Host()->CallInt("getselstart"), 20);
  EXPECT_EQ(ctx.Host()->CallText("getseltext"), page.substr(20, 5));

  const std::vector<ProductLine> lines = ProductLines(out);
  ASSERT_EQ(lines.size(), 2u) << out;
  EXPECT_EQ(lines[0].file, "alpha.etxt");
  EXPECT_EQ(lines[1].file, "beta.etxt");
  EXPECT_NE(lines[0].key, lines[1].key);
  std::string comms = std::string(kCommsAppletStart) + "\r\ncodebase=\"" + PathToFileURL(AppDir() + "/classes") +
                      "\"\r\ncode=\"StandAloneCommsApplet\"\r\nwidth=2 height=1>\r\n";
  for (const ProductLine& l : lines)
    comms += "<param name=\"product" + l.number + "\" value=\"salebox" + l.number + ";V1;10;" + l.file + ";" +
             l.key + "\">\r\n";
  comms += "\r\n</applet>";
  const std::string expected = "<html>\r\n<head>" + ScriptBlockFor(2) + "\r\n<title>Shop</title>\r\n</head>\r\n" +
                               "<body onLoad=\"TillonOnLoad()\">\r\n" + BrowserObjectBlock() + "<p>Goods</p>\r\n" +
                               PreviewTag(1, "A", goods / "alpha.txt") + "\r\n<p>between</p>\r\n" +
                               PreviewTag(2, "B", goods / "beta.txt") + "\r\n" + kCommsAppletComment + "\r\n" +
                               comms + "\r\n</body>\r\n</html>\r\n";
  EXPECT_EQ(out, expected);

  // The keys on the page decode the copies to their sources.
  const fs::path products = PreviewProductsFolder();
  EXPECT_EQ(FileNames(products), (std::vector<std::string>{"alpha.etxt", "beta.etxt"}));
  EXPECT_EQ(Decode(lines[0].key, products / "alpha.etxt"), ReadFile(goods / "alpha.txt"));
  EXPECT_EQ(Decode(lines[1].key, products / "beta.etxt"), ReadFile(goods / "beta.txt"));
  EXPECT_NE(ReadFile(products / "beta.etxt"), ReadFile(goods / "beta.txt"));
  // "None" only announces the page.
  EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{PreviewSavedMessage(written)}));
}

TEST_F(PreviewThroughEditor, PreviewingTwiceLeavesOneFreshCopyPerProduct) {
  WriteAll(goods / "alpha.txt", "first product");
  WriteAll(goods / "beta.txt", "second product");
  Open(std::string(kHead) + Salebox("A", goods / "alpha.txt") + "\r\n" + Salebox("B", goods / "beta.txt") + kTail,
       site / "shop.htm");
  // Something left from before in the products folder goes.
  WriteAll(fs::path(PreviewProductsFolder()) / "old.etxt", "stale");

  preview.PreviewWithBrowser("None");
  const std::string firstKeys = ProductLines(ReadFile(site / kPreviewPageName))[0].key;
  preview.PreviewWithBrowser("none");
  const std::string out = ReadFile(site / kPreviewPageName);

  const fs::path products = PreviewProductsFolder();
  EXPECT_EQ(FileNames(products), (std::vector<std::string>{"alpha.etxt", "beta.etxt"}));
  // Beside the sources too, one encoded copy each: the old one gave way.
  EXPECT_EQ(FileNames(goods), (std::vector<std::string>{"alpha.etxt", "alpha.txt", "beta.etxt", "beta.txt"}));
  const std::vector<ProductLine> lines = ProductLines(out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].key, firstKeys);  // fresh keys every time
  EXPECT_EQ(Decode(lines[0].key, products / "alpha.etxt"), "first product");
  EXPECT_EQ(Decode(lines[1].key, products / "beta.etxt"), "second product");
  EXPECT_EQ(Count(out, kCommsAppletStart), 1u);
  EXPECT_EQ(Count(out, kScriptStartMarker), 1u);
}

TEST_F(PreviewThroughEditor, UnsavedPageGoesToTheProgramFolderWithItsImages) {
  WriteAll(goods / "guide.txt", "guide");
  WriteAll(goods / "images" / "teaser.gif", "GIF89a-teaser");
  WriteAll(goods / "full" / "cover.gif", "GIF89a-cover");
  const std::string cover = (goods / "full" / "cover.gif").string();
  const std::string page = std::string(kHead) + Salebox("G", goods / "guide.txt", "images/teaser.gif") + "\r\n" +
                           Salebox("H", goods / "guide.txt", cover) + "\r\n" +
                           Salebox("I", goods / "missing.txt", "http://example.invalid/x.gif") + kTail;
  Open(page, {});

  const std::string written = preview.PreviewWithBrowser("None");
  EXPECT_EQ(written, JoinPath(AppDir(), kPreviewPageName));
  const std::string out = ReadFile(written);
  // The relative image keeps its path in the page and is copied beside it;
  // the absolute one is reduced to its name; an address stays as it is.
  EXPECT_EQ(ReadFile(fs::path(AppDir()) / "teaser.gif"), "GIF89a-teaser");
  EXPECT_EQ(ReadFile(fs::path(AppDir()) / "cover.gif"), "GIF89a-cover");
  EXPECT_NE(out.find("<param name=previewURL value=\"images/teaser.gif\">"), std::string::npos);
  EXPECT_NE(out.find("<param name=previewURL value=\"cover.gif\">"), std::string::npos);
  EXPECT_EQ(out.find(cover), std::string::npos);
  EXPECT_NE(out.find("<param name=previewURL value=\"http://example.invalid/x.gif\">"), std::string::npos);
  EXPECT_EQ(Text(), page);
  // The missing source was reported; the page still came out.
  ASSERT_EQ(dialogs.MessageTexts().size(), 2u);
  EXPECT_EQ(dialogs.MessageTexts()[0], "Cannot find source file : " + (goods / "missing.txt").string());
  EXPECT_EQ(dialogs.MessageTexts()[1], PreviewSavedMessage(written));
}

TEST_F(PreviewThroughEditor, ExistingFilesBesideThePageAreNotOverwritten) {
  WriteAll(goods / "guide.txt", "guide");
  WriteAll(goods / "teaser.gif", "new teaser");
  WriteAll(site / "teaser.gif", "the vendor's own");
  Open(std::string(kHead) + Salebox("G", goods / "guide.txt", "teaser.gif") + kTail, site / "shop.htm");
  preview.PreviewWithBrowser("None");
  EXPECT_EQ(ReadFile(site / "teaser.gif"), "the vendor's own");
}

TEST_F(PreviewThroughEditor, ASingleBrowserRefusesWithTheWarning) {
  // With no browser on its path the editor offers only "None".
  Open(std::string(kHead) + "<p>x</p>" + kTail, site / "shop.htm", {QStringLiteral("PATH=/nonexistent")});
  EXPECT_FALSE(preview.OfferBrowsers().has_value());
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, kPreviewNeedsBrowsers);
  EXPECT_EQ(dialogs.shown[0].icon, MsgIcon::Warning);
  EXPECT_FALSE(fs::exists(site / kPreviewPageName));
}

TEST_F(PreviewThroughEditor, ARealBrowserIsOfferedByItsPath) {
  if (QStandardPaths::findExecutable(QStringLiteral("chromium")).isEmpty()) GTEST_SKIP() << "chromium is not installed";
  Open(std::string(kHead) + "<p>x</p>" + kTail, site / "shop.htm");
  const auto browsers = preview.OfferBrowsers();
  ASSERT_TRUE(browsers.has_value());
  ASSERT_GE(browsers->size(), 2u);
  EXPECT_EQ((*browsers)[0].caption, "None");
  EXPECT_EQ((*browsers)[0].program, "None");
  bool chromium = false;
  for (const BrowserEntry& b : *browsers) chromium = chromium || b.program == QStandardPaths::findExecutable(QStringLiteral("chromium")).toStdString();
  EXPECT_TRUE(chromium);
}

// The preview page in a browser without Java: the shipped script must load
// without an error on the console.
TEST_F(PreviewThroughEditor, ThePreviewPageLoadsInHeadlessChromiumWithoutScriptErrors) {
  const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
  if (chromium.isEmpty()) GTEST_SKIP() << "chromium is not installed";
  WriteAll(goods / "alpha.txt", "alpha");
  Open(std::string(kHead) + Salebox("A", goods / "alpha.txt") + kTail, site / "shop.htm");
  const std::string written = preview.PreviewWithBrowser("None");
  // A headless browser waits for ever on an alert box; the page's alerts go
  // to the console instead, where the log shows them.
  std::string page = ReadFile(written);
  const size_t head = page.find("<head>");
  ASSERT_NE(head, std::string::npos);
  page.insert(head + 6, "<script>window.alert = function (m) { console.log('ALERT: ' + m); };</script>");
  WriteAll(written, page);

  QProcess browser;
  browser.start(chromium, {QStringLiteral("--headless"), QStringLiteral("--disable-gpu"),
                           QStringLiteral("--no-sandbox"), QStringLiteral("--enable-logging=stderr"),
                           QStringLiteral("--v=0"),
                           QStringLiteral("--user-data-dir=") + QString::fromStdString(home.root() + "/chromium"),
                           QStringLiteral("--virtual-time-budget=7000"), QStringLiteral("--dump-dom"),
                           QString::fromStdString(PathToFileURL(written))});
  ASSERT_TRUE(browser.waitForFinished(60000)) << "chromium did not finish";
  const std::string dom = browser.readAllStandardOutput().toStdString();
  const std::string log = browser.readAllStandardError().toStdString();
  EXPECT_NE(dom.find("<p>Goods</p>"), std::string::npos) << dom;
  // Every console message is logged as INFO:CONSOLE(line); an uncaught error
  // reads "Uncaught ...".
  EXPECT_EQ(log.find("Uncaught"), std::string::npos) << log;
  EXPECT_EQ(log.find("SyntaxError"), std::string::npos) << log;
  // A browser without Java gets no alert: the script block's loader puts an
  // HTML Salebox in the applet's place instead.
  EXPECT_EQ(log.find("ALERT:"), std::string::npos) << log;
  EXPECT_NE(dom.find("class=\"tillon-salebox\""), std::string::npos) << dom;
}
