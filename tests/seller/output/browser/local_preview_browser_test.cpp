// The local preview page opened from disk in headless Chromium: every
// Salebox is marked as a preview and Buy shows the product straight from the
// encoded copy the preview wrote, with no service at all; a browser that may
// not read local files says so instead.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QUrl>
#include <string>
#include <vector>

#include "browser_support.h"
#include "common/files.h"
#include "common/paths.h"
#include "host/in_memory_host.h"
#include "resources/resources.h"
#include "seller/authoring/applet.h"
#include "seller/output/local_preview.h"
#include "seller/output/page_output.h"
#include "seller/publish/class_install.h"
#include "seller/shell/context.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"

using namespace tendrel;
using namespace browsertest;

namespace {

const char kLocalFilesMessage[] =
    "This browser does not let a page read files on your disk, so the preview cannot be bought here. Open the "
    "preview in a browser that allows it (Chromium: start it with --allow-file-access-from-files), or publish the "
    "page and buy from your server.";

QByteArray Png(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb((x * 29) % 256, (y * 31) % 256, (x + y) % 256));
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  img.save(&buffer, "PNG");
  return data;
}

class PreviewInBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    auto h = std::make_unique<InMemoryHost>();
    host = h.get();
    ctx.AttachHost(std::move(h));
    InitResources();
    // A fresh installation: the class folder is not there until the preview
    // fills it, and the preview's Saleboxes run from it.
    ASSERT_FALSE(DirectoryExists(JoinPath(AppDir(), "classes")));
    site = QString::fromStdString(home.root() + "/site");
    ASSERT_TRUE(QDir().mkpath(site));
  }

  std::string File(const char* name, const QByteArray& data) {
    const QString path = site + QLatin1Char('/') + QLatin1String(name);
    EXPECT_TRUE(WriteFile(path, data));
    return path.toStdString();
  }
  std::string Tag(const std::string& id, const std::string& name, const std::string& cost, const std::string& type,
                  const std::string& source, bool frame = false, const std::string& preview = {}) {
    TApplet a(&ctx.Settings());
    a.ProductID = id;
    a.ProductName = name;
    a.Description = "About " + name;
    a.VendorID = "1001";
    a.Cost = cost;
    a.MediaType = type;
    a.SourceFile = source;
    a.UseFrame = frame;
    a.PreviewURL = preview;
    a.Width = "300";
    a.Height = "300";
    return a.BuildTag();
  }

  // Writes the preview of a page holding the three products; its path.
  std::string MakePreview() {
    const std::string page = "<html>\r\n<head>\r\n<title>Shop</title>\r\n<link rel=\"icon\" href=\"data:,\">\r\n"
                             "</head>\r\n<body>\r\n<p>" +
                             Tag("5001", "Notes", "150", "text/plain", File("notes.txt", text)) + "</p>\r\n<p>" +
                             Tag("5002", "Picture", "75", "image/png", File("pic.png", picture), false,
                                 File("teaser.png", Png(30, 20))) +
                             "</p>\r\n<p>" + Tag("5003", "Extra", "1.5", "text/html", File("extra.html", html), true) +
                             "</p>\r\n</body>\r\n</html>\r\n";
    host->doc.ReplaceAll(page);
    host->docName = File("shop.htm", QByteArray::fromStdString(page));
    PageOutput output(ctx);
    LocalPreview preview(ctx, output);
    return preview.PreviewWithBrowser("None");
  }

  QJsonObject Drive(const std::string& path, bool allowFiles, int productCount) {
    QJsonArray list;
    const char* types[] = {"text/plain", "image/png", "text/html"};
    const char* files[] = {"notes.txt", "pic.png", "extra.html"};
    for (int i = 0; i < productCount; ++i)
      list.append(QJsonObject{{"applet", QStringLiteral("Tillon%1").arg(i + 1)},
                              {"source", site + QLatin1Char('/') + QLatin1String(files[i])},
                              {"media", QLatin1String(types[i])}});
    return RunDriver(QJsonObject{{"mode", "preview"},
                                 {"page_url", QUrl::fromLocalFile(QString::fromStdString(path)).toString()},
                                 {"allow_files", allowFiles},
                                 {"box_count", 3},
                                 {"products", list}});
  }

  TempHome home;
  ScriptedDialogs dialogs;
  BravantContext ctx{dialogs};
  InMemoryHost* host = nullptr;
  QString site;
  const QByteArray text = "Preview notes\n\t\xc3\xa9t\xc3\xa9 <i>as typed</i>\n";
  const QByteArray picture = Png(23, 17);
  const QByteArray html = "<html><body><p>Extra &amp; more</p></body></html>";
};

}  // namespace

TEST_F(PreviewInBrowser, PreviewSaleboxesSellFromDiskWithoutTheService) {
  const std::string path = MakePreview();
  ASSERT_EQ(path, site.toStdString() + "/~tlnprev.htm");
  const QJsonObject report = Drive(path, true, 3);
  if (report.contains(QStringLiteral("skip"))) GTEST_SKIP() << Str(report[QStringLiteral("skip")]);
  ASSERT_EQ(DriverProblem(report), "");

  const QJsonArray boxes = report["initial"]["boxes"].toArray();
  ASSERT_EQ(boxes.size(), 3);
  const std::vector<std::string> names = {"Notes", "Picture", "Extra"}, prices = {"$1.50", "$0.75", "1.5 cents"};
  for (int i = 0; i < 3; ++i) {
    const QJsonObject box = boxes[i].toObject();
    SCOPED_TRACE(names[static_cast<size_t>(i)]);
    EXPECT_EQ(Str(box["product_id"]), "salebox" + std::to_string(i + 1));
    EXPECT_EQ(Str(box["preview_mark"]), "Preview");
    EXPECT_EQ(Str(box["name"]), names[static_cast<size_t>(i)]);
    EXPECT_EQ(Str(box["description"]), "PREVIEW ONLY ! About " + names[static_cast<size_t>(i)]);
    EXPECT_EQ(Str(box["price"]), prices[static_cast<size_t>(i)]);
    EXPECT_EQ(Str(box["state"]), "ready");
  }
  // The teaser was copied beside the preview page, which names it alone.
  EXPECT_TRUE(boxes[1]["teaser_loaded"].toBool()) << Str(boxes[1]["teaser_src"]);
  EXPECT_EQ(Str(boxes[1]["teaser_src"]), QUrl::fromLocalFile(site + "/teaser.png").toString().toStdString());

  const QJsonObject bought = report["purchases"].toObject();
  for (int i = 1; i <= 3; ++i) {
    const QJsonObject result = bought[QStringLiteral("Tillon%1").arg(i)].toObject();
    SCOPED_TRACE(i);
    EXPECT_EQ(Str(result["state"]), "done");
    EXPECT_EQ(Str(result["message"]), "Thank you for your purchase.");
    EXPECT_EQ(result["windows_opened"].toInt(-1), 0) << "a preview needs no purchase window";
  }
  EXPECT_EQ(bought["Tillon1"]["content"]["text"].toString(), QString::fromUtf8(text));
  const QJsonObject image = bought["Tillon2"]["image"].toObject();
  EXPECT_FALSE(image.contains("error")) << Str(image["error"]);
  EXPECT_EQ(image["width"].toInt(), 23);
  EXPECT_EQ(image["height"].toInt(), 17);
  EXPECT_EQ(image["differing_bytes"].toInt(-1), 0);
  // The first sample, (0, 0), is black in the source.
  EXPECT_EQ(image["samples"][0].toArray(), (QJsonArray{0, 0, 0, 0, 0, 255}));
  EXPECT_EQ(bought["Tillon3"]["content"]["frame_srcdoc"].toString(), QString::fromUtf8(html));
  EXPECT_EQ(Str(bought["Tillon3"]["content"]["frame_sandbox"]), "");
  EXPECT_TRUE(Severe(report, "first_look").empty()) << ::testing::PrintToString(Severe(report, "first_look"));
  EXPECT_TRUE(Severe(report, "purchases").empty()) << ::testing::PrintToString(Severe(report, "purchases"));
}

TEST_F(PreviewInBrowser, ABrowserThatMayNotReadLocalFilesSaysHowToPreview) {
  const std::string path = MakePreview();
  ASSERT_FALSE(path.empty());
  const QJsonObject report = Drive(path, false, 1);
  if (report.contains(QStringLiteral("skip"))) GTEST_SKIP() << Str(report[QStringLiteral("skip")]);
  ASSERT_EQ(DriverProblem(report), "");
  EXPECT_EQ(report["initial"]["boxes"].toArray().size(), 3);
  const QJsonObject result = report["purchases"]["Tillon1"].toObject();
  EXPECT_EQ(Str(result["state"]), "failed");
  EXPECT_EQ(Str(result["message"]), kLocalFilesMessage);
  EXPECT_TRUE(result["content"]["text"].isNull());
  // The refused read of the encoded copy is all the console shows.
  for (const std::string& entry : Severe(report, "purchases"))
    EXPECT_NE(entry.find("/classes/products/notes.etxt"), std::string::npos) << entry;
}
