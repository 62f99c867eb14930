// The Salebox runtime and the script block's loader in Chromium, on pages
// made of the program's own tags, script block and comms applets.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "classes_support.h"
#include "common/paths.h"
#include "seller/authoring/applet.h"

using namespace classestest;
using namespace tendrel;

namespace {

const char kCRLF[] = "\r\n";

// A 1x1 GIF.
const QByteArray kGif = QByteArray::fromHex(
    "47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b");

std::string ScriptBlock(size_t saleboxes) {
  InitResources();
  std::string text = ReadBytes(QStringLiteral(":/text/jvscript")).toStdString();
  std::string block;
  for (const char c : text) block += c == '\n' ? std::string(kCRLF) : std::string(1, c);
  const std::string placeholder = "[NUMVENDAPPLETS]";
  block.replace(block.find(placeholder), placeholder.size(), std::to_string(saleboxes));
  return block;
}

std::string CommsApplet(const std::string& codebase, const std::string& code, const std::string& lines = {}) {
  return std::string("<!-- Tillon 1.2 Super Comms Applet.  Do not remove ! -->") + kCRLF +
         "<applet name=\"tilloncommsapplet\"" + kCRLF + "codebase=\"" + codebase + "\"" + kCRLF + "code=\"" + code +
         "\"" + kCRLF + "width=2 height=1>" + kCRLF + lines + "</applet>" + kCRLF;
}

std::string Page(const std::vector<std::string>& tags, const std::string& comms) {
  std::string page = std::string("<html><head>") + ScriptBlock(tags.size()) +
                     "<title>Saleboxes</title><link rel=\"icon\" href=\"data:,\"></head>" + kCRLF +
                     "<body bgcolor=\"#ffffff\" onLoad=\"TillonOnLoad()\">" + kCRLF + "<h1>Shop</h1>" + kCRLF;
  for (const std::string& tag : tags) page += "<p>" + tag + "</p>" + kCRLF;
  return page + comms + "</body></html>" + kCRLF;
}

TApplet Product(int n, const std::string& id, const std::string& name, const std::string& cost,
                const std::string& width, const std::string& height, const std::string& type = "text/plain") {
  TApplet a;
  a.AppletName = "Tillon" + std::to_string(n);
  a.ClassLocation = "classes/";
  a.ProductID = id;
  a.ProductName = name;
  a.VendorID = "1001";
  a.Cost = cost;
  a.Width = width;
  a.Height = height;
  a.MediaType = type;
  a.SourceFile = "/home/x/report.txt";
  return a;
}

class SaleboxRuntime : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string missing = BrowserMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    ASSERT_TRUE(dir.isValid());
  }
  QString Site() const { return dir.path() + "/site"; }
  bool Write(const QString& relative, const std::string& text) {
    return WriteBytes(Site() + "/" + relative, QByteArray::fromStdString(text));
  }
  void Scenario(const char* name) {
    const ProcessRun run = RunProgram(Python(), {ScenarioScript(), QString::fromLatin1(name), Site()});
    if (run.code == 77) GTEST_SKIP() << run.output.toStdString();
    EXPECT_EQ(run.code, 0) << run.output.toStdString();
  }

  // The preview as the program lays it out: the class folder in the
  // program's folder with the encoded products, the preview page elsewhere
  // with the teaser beside it and the stand-alone comms applet holding the
  // keys.
  void MakePreview() {
    const QString classes = dir.path() + "/app/classes";
    ASSERT_TRUE(CopyShippedScripts(classes));
    struct Item {
      const char* file;
      QByteArray bytes;
      const char* type;
      bool frame;
      const char* name;
    };
    const QByteArray html = "<!DOCTYPE html><p>Bought page</p><script>parent.tillonFrameRan = 1;</script>\n";
    const std::vector<Item> items = {
        {"report.txt", QByteArray("Line one\nGr\xC3\xBC\xC3\x9F" "e <b>not bold</b>\n\tend"), "text/plain", false,
         "Report"},
        {"pic.gif", kGif, "image/gif", false, "Picture"},
        {"page.htm", html, "text/html", true, "Framed page"},
        {"other.htm", html, "text/html", false, "Windowed page"},
        {"junk.gif", RandomBytes(300, 9), "image/gif", false, "Junk"},
    };
    std::vector<std::string> tags;
    std::string lines;
    int n = 0;
    for (const Item& item : items) {
      ++n;
      const QString source = Site() + "/" + QString::fromLatin1(item.file);
      ASSERT_TRUE(WriteBytes(source, item.bytes));
      TApplet a = Product(n, "salebox" + std::to_string(n), item.name, "150", "260", "160", item.type);
      a.UseFrame = item.frame;
      a.Description = "PREVIEW ONLY ! A product";
      a.ClassLocation = PathToFileURL(classes.toStdString()) + "/";
      if (n == 1) a.PreviewURL = "teaser.gif";
      a.EncodedFile = (classes + "/products/").toStdString() + EncodedFileName(item.file);
      a.Key = TTillonCipher::NewRandomKey();
      Encode(source, QString::fromStdString(a.EncodedFile), a.Key);
      lines += a.BuildPreviewURL(n, TTillonCipher::KeyToHex(a.Key)) + kCRLF;
      tags.push_back(a.BuildTag());
    }
    ASSERT_TRUE(WriteBytes(Site() + "/teaser.gif", kGif));
    const std::string comms =
        CommsApplet(PathToFileURL(classes.toStdString()), "StandAloneCommsApplet", lines + kCRLF);
    ASSERT_TRUE(Write("preview.html", Page(tags, comms)));
    ASSERT_TRUE(Write("manifest.json", QJsonDocument(QJsonObject{{"text", "report.txt"}, {"html", "page.htm"}})
                                           .toJson()
                                           .toStdString()));
  }

  QTemporaryDir dir;
};

}  // namespace

TEST_F(SaleboxRuntime, APublishedPageGetsOneHtmlSaleboxPerTag) {
  ASSERT_TRUE(CopyShippedScripts(Site() + "/classes"));
  ASSERT_TRUE(WriteBytes(Site() + "/teaser.gif", kGif));
  TApplet report = Product(1, "5001", "<script>window.tillonRan = 1</script>", "150", "300", "200");
  report.Description = "A short report";
  TApplet broken = Product(2, "", "Broken", "150", "300", "200");
  TApplet teased = Product(3, "5003", "Teased", "1.50", "120", "90", "image/gif");
  teased.Description = "A description long enough that it has to wrap inside a narrow box";
  teased.PreviewURL = "teaser.gif";
  TApplet unsized = Product(4, "5004", "Unsized", "5", "", "");
  const std::string comms =
      CommsApplet("https://127.0.0.1:9/Salebox/classes/", "com.tillon.tankard.comms.TillonCommsApplet");
  ASSERT_TRUE(Write("published.html", Page({report.BuildTag(), broken.BuildTag(), teased.BuildTag(),
                                            unsized.BuildTag()},
                                           comms)));
  Scenario("published");
}

TEST_F(SaleboxRuntime, ARuntimeThatCannotBeLoadedIsNamedInEachSalebox) {
  TApplet first = Product(1, "5001", "First", "150", "300", "200");
  first.ClassLocation = "nowhere/";
  TApplet second = Product(2, "5002", "Second", "150", "300", "200");
  const std::string comms =
      CommsApplet("https://127.0.0.1:9/Salebox/classes/", "com.tillon.tankard.comms.TillonCommsApplet");
  ASSERT_TRUE(Write("load-failed.html", Page({first.BuildTag(), second.BuildTag()}, comms)));
  Scenario("load-failed");
}

TEST_F(SaleboxRuntime, ALocalPreviewSellsFromTheProductsFolder) {
  MakePreview();
  Scenario("preview");
}

TEST_F(SaleboxRuntime, ALocalPreviewTheBrowserMayNotReadSaysWhy) {
  MakePreview();
  Scenario("preview-refused");
}
