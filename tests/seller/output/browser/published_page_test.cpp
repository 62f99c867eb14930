// A page of Saleboxes as a vendor publishes it, bought from in a real browser:
// three products (a text, an image, an HTML page) are made as the Create
// wizard fills the record, published with the real pipeline to a real FTP
// server and the stand-in Tillon service (HTTPS), the classes installed on
// the server, the Saleboxes put into the page by the page output, and the
// page served over HTTP. Headless Chromium then buys each product through the
// service's purchase window and must show it exactly as the vendor's file
// holds it; a cancelled purchase, a token handed over twice, a product file
// missing from the server and a broken tag each show their message.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QImage>
#include <string>
#include <vector>

#include "browser_support.h"
#include "common/paths.h"
#include "host/in_memory_host.h"
#include "resources/resources.h"
#include "seller/authoring/cipher.h"
#include "seller/authoring/create_fields.h"
#include "seller/output/page_output.h"
#include "seller/publish/class_install.h"
#include "seller/publish/pipeline.h"
#include "seller/publish/publish_fixture.h"

using namespace tendrel;
using namespace browsertest;

namespace {

const char kCannotSell[] = "This Salebox is incomplete and cannot sell.";

// The vendor's page before any Salebox: each "[x]" is where one goes; the
// last paragraph holds a Salebox tag whose IDs were lost in editing.
const char kShop[] =
    "<html>\r\n<head>\r\n<title>Shop</title>\r\n<link rel=\"icon\" href=\"data:,\">\r\n</head>\r\n"
    "<body bgcolor=\"#FFFFFF\">\r\n<h1>Our shop</h1>\r\n<p>[A]</p>\r\n<p>[B]</p>\r\n<p>[C]</p>\r\n"
    "<p><applet name=\"Old\" codebase=\"classes/\" code=\"VendorApplet\" width=300 height=120 MAYSCRIPT>\r\n"
    "<param name=saleboxname value=\"Damaged box\">\r\n<param name=cost value=99>\r\n"
    "The Tillon Salebox requires a Java-capable browser such as Netscape Navigator 3.0, or Internet "
    "Explorer 3.01 or later.\r\n</applet></p>\r\n</body>\r\n</html>\r\n";

// A picture with no two neighbouring pixels alike, so a shifted, scaled or
// recoloured copy differs somewhere.
QImage Picture(int w, int h) {
  QImage img(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixelColor(x, y, QColor((x * 37 + y * 11) % 256, (x * 5 + y * 53) % 256, (x * y) % 256));
  return img;
}

QByteArray Png(const QImage& img) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  img.save(&buffer, "PNG");
  return data;
}

struct SoldProduct {
  std::string marker;  // where it goes in the page
  CreateFields fields;
  std::string mediaType;
  QByteArray source;
  std::string preview;  // a teaser image's file name, or empty
  TApplet record;       // as published
};

class PublishedPage : public publishtest::PublishFixture {
 protected:
  void SetUp() override {
    PublishFixture::SetUp();
    auto h = std::make_unique<InMemoryHost>();
    host = h.get();
    ctx.AttachHost(std::move(h));
    InitResources();
  }

  // The server definition's HTTP base: the web address of its starting
  // directory, so the registered product addresses can be fetched.
  void ServeFtpRoot(FtpStandIn& ftp) {
    web = std::make_unique<WebServer>(ftp.Home());
    ASSERT_NE(web->port(), 0);
    ServerStore(ctx.Settings()).Write(publishtest::kServerName, ServerField::HttpBase,
                                      web->Url() + "/" + publishtest::kStartDir);
  }

  bool InstallClasses() {
    dialogs.messageAnswers.push_back(MsgResult::Yes);
    ClassInstallation installation(ctx, runner, [](const std::string&) {});
    bool result = false;
    installation.Run(Server(), [&](bool ok) { result = ok; });
    return result;
  }

  // Fills the current Salebox as the Create wizard does, publishes it and
  // puts it into the page where its marker stands.
  void PublishAndOutput(SoldProduct& p) {
    ctx.Applet().Clear();
    CopyFieldsToRecord(p.fields, ctx.Settings(), ctx.Applet());
    ctx.Applet().MediaType = p.mediaType;
    PublishPipeline pipeline(ctx, runner, PublishView{[](size_t, const std::string&) {}, [](const std::string&) {}, [] {}});
    bool published = false;
    pipeline.Run({&ctx.Applet()}, Server(), [&](bool ok) { published = ok; });
    ASSERT_TRUE(published) << ::testing::PrintToString(dialogs.MessageTexts());
    // The tag keeps naming the teaser on the vendor's disk; the page finds
    // the uploaded copy beside itself by its file name.
    if (!p.preview.empty()) {
      EXPECT_EQ(ExtractFileName(ctx.Applet().PreviewURL), p.preview);
    }
    p.record = ctx.Applet();

    const std::string& text = host->doc.Text();
    const size_t at = text.find(p.marker);
    ASSERT_NE(at, std::string::npos);
    host->doc.SetSelection(static_cast<int>(at), static_cast<int>(p.marker.size()));
    PageOutput output(ctx);
    ASSERT_EQ(output.OutputAll(), OutputResult::Placed);
  }

  InMemoryHost* host = nullptr;
  InlineRunner runner;
  std::unique_ptr<WebServer> web;
};

}  // namespace

TEST_F(PublishedPage, EachSaleboxSellsItsProductInTheBrowser) {
  StartService();
  FtpStandIn& ftp = StartFtp();
  ServeFtpRoot(ftp);
  ASSERT_TRUE(InstallClasses());
  const std::string www = std::string(publishtest::kStartDir) + "/";
  for (const char* file : {"classes/salebox.js", "classes/tillon-cipher.js"})
    ASSERT_TRUE(ftp.Exists(www + file)) << file << " did not reach the server";

  // Text over several of the cipher's 8192-byte pieces, with markup and
  // letters beyond ASCII that must show as written.
  QByteArray text = "Quarterly report\n\t<b>not bold</b> & \"quoted\" \xc3\xa6sop \xe2\x82\xac 5\n";
  for (int i = 0; text.size() < 20000; ++i) text += "Line " + QByteArray::number(i) + " of the report.\n";
  const QImage picture = Picture(61, 37);
  const QByteArray html =
      "<!DOCTYPE html><html><head><title>Bought</title></head><body><h1>Members' page</h1>"
      "<p id=\"x\">Hello &amp; welcome</p><script>document.title = 'scripts ran';</script></body></html>";

  std::vector<SoldProduct> products(3);
  products[0] = {"[A]", {}, "text/plain", text, "", TApplet()};
  products[0].fields.file = File("report.txt", text);
  products[0].fields.name = "Report <2026> & Co";
  products[0].fields.description = "The year's figures";
  products[0].fields.cost = "150";
  products[1] = {"[B]", {}, "", Png(picture), "teaser.png", TApplet()};
  products[1].fields.file = File("chart.png", products[1].source);
  products[1].mediaType = ImageMediaType(products[1].fields.file);
  products[1].fields.name = "Chart";
  products[1].fields.description = "A picture of it";
  products[1].fields.cost = "5";
  products[1].fields.previewUrl = File("teaser.png", Png(Picture(40, 20)));
  products[2] = {"[C]", {}, "text/html", html, "", TApplet()};
  products[2].fields.file = File("members.html", html);
  products[2].fields.name = "Members";
  products[2].fields.cost = "1.5";
  products[2].fields.useFrame = true;
  for (SoldProduct& p : products) {
    p.fields.width = "320";
    p.fields.height = "300";
  }

  host->doc.ReplaceAll(kShop);
  {
    ScopedEnv secure("BRAVANT_SECURE_URL", "https://127.0.0.1:" + std::to_string(service->port()));
    for (SoldProduct& p : products) {
      PublishAndOutput(p);
      if (HasFatalFailure()) return;
    }
  }
  const std::string page = host->doc.Text();
  ASSERT_TRUE(WriteFile(QString::fromStdString(ftp.HomePath(www + "shop.html")), QByteArray::fromStdString(page)));
  EXPECT_NE(page.find("codebase=\"https://127.0.0.1:" + std::to_string(service->port()) + "/Salebox/classes/\""),
            std::string::npos);
  for (const SoldProduct& p : products) {
    EXPECT_EQ(p.record.ProductID.size(), 4u);
    EXPECT_EQ(page.find(TTillonCipher::KeyToHex(p.record.Key)), std::string::npos) << "a key is in the page";
  }

  const std::string encodedText = ftp.HomePath(www + "report.etxt");
  ASSERT_TRUE(QFile::exists(QString::fromStdString(encodedText)));
  QTemporaryDir work;
  QJsonArray list;
  for (size_t i = 0; i < products.size(); ++i)
    list.append(QJsonObject{{"applet", QStringLiteral("Tillon%1").arg(i + 1)},
                            {"source", QString::fromStdString(products[i].fields.file)},
                            {"media", QString::fromStdString(products[i].mediaType)}});
  const QString pageUrl = QString::fromStdString(web->Url() + "/" + www + "shop.html");
  const QString serviceUrl = QStringLiteral("https://127.0.0.1:%1").arg(service->port());
  const QJsonObject report = RunDriver(QJsonObject{
      {"mode", "published"},
      {"page_url", pageUrl},
      {"service", serviceUrl},
      {"tls_cert", QDir(service->TlsDir()).filePath(QStringLiteral("server.pem"))},
      {"ca_file", QString::fromStdString(service->CaFile())},
      {"box_count", 4},
      {"products", list},
      {"missing", QJsonObject{{"applet", "Tillon1"}, {"file", QString::fromStdString(encodedText)}}},
      {"dom_out", work.filePath(QStringLiteral("dom.html"))},
  });
  if (report.contains(QStringLiteral("skip"))) GTEST_SKIP() << Str(report[QStringLiteral("skip")]);
  ASSERT_EQ(DriverProblem(report), "");

  // One Salebox per tag, in page order, each as its record says; the broken
  // tag says why it cannot sell and keeps the others working.
  const QJsonObject initial = report[QStringLiteral("initial")].toObject();
  const QJsonArray boxes = initial[QStringLiteral("boxes")].toArray();
  ASSERT_EQ(boxes.size(), 4);
  const std::vector<std::string> prices = {"$1.50", "$0.05", "1.5 cents"};
  for (size_t i = 0; i < products.size(); ++i) {
    const QJsonObject box = boxes[static_cast<qsizetype>(i)].toObject();
    const TApplet& r = products[i].record;
    SCOPED_TRACE(r.ProductName);
    EXPECT_EQ(Str(box["applet"]), "Tillon" + std::to_string(i + 1));
    EXPECT_EQ(Str(box["product_id"]), r.ProductID);
    EXPECT_EQ(Str(box["name"]), r.ProductName);
    EXPECT_EQ(Str(box["label"]), "Salebox: " + r.ProductName);
    EXPECT_EQ(Str(box["description"]), r.Description);
    EXPECT_EQ(Str(box["price"]), prices[i]);
    EXPECT_EQ(Str(box["state"]), "ready");
    EXPECT_EQ(Str(box["message"]), "");
    EXPECT_EQ(Str(box["buy_text"]), "Buy");
    EXPECT_TRUE(box["buy_enabled"].toBool());
    EXPECT_EQ(Str(box["style_width"]), "320px");
    EXPECT_EQ(Str(box["style_min_height"]), "300px");
    EXPECT_TRUE(box["preview_mark"].isNull());
  }
  EXPECT_TRUE(boxes[1]["teaser_loaded"].toBool()) << Str(boxes[1]["teaser_src"]);
  EXPECT_EQ(Str(boxes[1]["teaser_src"]), web->Url() + "/" + www + "teaser.png");
  EXPECT_EQ(Str(boxes[1]["teaser_alt"]), "Preview of Chart");
  EXPECT_TRUE(boxes[0]["teaser_src"].isNull());
  EXPECT_EQ(Str(boxes[3]["applet"]), "Tillon4");
  EXPECT_EQ(Str(boxes[3]["state"]), "failed");
  EXPECT_EQ(Str(boxes[3]["message"]), kCannotSell);
  EXPECT_EQ(initial["vendor_applets_left"].toInt(-1), 0);
  // The browser object (for browsers with the Salebox plug-in) is in the
  // page once and takes no room.
  ASSERT_EQ(initial["browser_objects"].toArray().size(), 1);
  EXPECT_EQ(initial["browser_objects"].toArray()[0].toDouble(-1), 0.0);
  EXPECT_EQ(Str(initial["body_text"]).find("Java-capable"), std::string::npos);

  // Cancel in the purchase window: nothing charged, Buy ready again.
  const QJsonObject cancelWindow = report[QStringLiteral("cancel_window")].toObject();
  EXPECT_EQ(Str(cancelWindow["title"]), "Tillon - Buy Report <2026> & Co");
  EXPECT_EQ(Str(cancelWindow["card_label"]), "Card number");
  EXPECT_EQ(Str(cancelWindow["pay"]), "Pay");
  EXPECT_NE(Str(cancelWindow["text"]).find("4242 4242 4242 4242"), std::string::npos);
  EXPECT_NE(Str(cancelWindow["text"]).find("$1.50"), std::string::npos);
  const QJsonObject cancel = report[QStringLiteral("cancel")].toObject();
  EXPECT_EQ(Str(cancel["message"]), "The purchase was cancelled. Nothing was charged.");
  EXPECT_EQ(Str(cancel["state"]), "ready");
  EXPECT_TRUE(cancel["buy_enabled"].toBool());
  EXPECT_TRUE(cancel["closed_itself"].toBool());

  // The purchase window closed by the buyer without an answer: Buy again.
  const QJsonObject closed = report[QStringLiteral("window_closed")].toObject();
  EXPECT_EQ(Str(closed["message"]), "The purchase window was closed before the purchase was finished.");
  EXPECT_EQ(Str(closed["state"]), "ready");
  EXPECT_TRUE(closed["buy_enabled"].toBool());

  // Each purchase shows the vendor's file as it is.
  const QJsonObject bought = report[QStringLiteral("purchases")].toObject();
  for (size_t i = 0; i < products.size(); ++i) {
    const QJsonObject result = bought[QStringLiteral("Tillon%1").arg(i + 1)].toObject();
    SCOPED_TRACE(products[i].record.ProductName);
    EXPECT_EQ(Str(result["state"]), "done");
    EXPECT_EQ(Str(result["message"]), "Thank you for your purchase.");
    EXPECT_TRUE(result["window"]["closed_itself"].toBool());
    EXPECT_EQ(Str(result["window"]["title"]), "Tillon - Buy " + products[i].record.ProductName);
  }
  const QJsonObject shownText = bought["Tillon1"]["content"].toObject();
  EXPECT_EQ(shownText["text"].toString(), QString::fromUtf8(text));
  const QJsonObject image = bought["Tillon2"]["image"].toObject();
  ASSERT_FALSE(image.contains("error")) << Str(image["error"]);
  EXPECT_EQ(Str(bought["Tillon2"]["content"]["image_alt"]), "Chart");
  EXPECT_EQ(Str(bought["Tillon2"]["content"]["image_src_scheme"]), "blob");
  EXPECT_EQ(image["width"].toInt(), picture.width());
  EXPECT_EQ(image["height"].toInt(), picture.height());
  EXPECT_EQ(image["ref_width"].toInt(), picture.width());
  EXPECT_EQ(image["differing_bytes"].toInt(-1), 0);
  // The browser's decoding of the source is checked against the picture
  // itself, so two equally wrong decodings cannot pass.
  const QJsonArray samples = image["samples"].toArray();
  ASSERT_EQ(samples.size(), 4);
  for (const QJsonValue& s : samples) {
    const QColor c = picture.pixelColor(s[0].toInt(), s[1].toInt());
    EXPECT_EQ((std::vector<int>{s[2].toInt(), s[3].toInt(), s[4].toInt(), s[5].toInt()}),
              (std::vector<int>{c.red(), c.green(), c.blue(), c.alpha()}))
        << "pixel " << s[0].toInt() << "," << s[1].toInt();
  }
  const QJsonObject frame = bought["Tillon3"]["content"].toObject();
  EXPECT_EQ(frame["frame_srcdoc"].toString(), QString::fromUtf8(html));
  EXPECT_EQ(Str(frame["frame_sandbox"]), "");
  EXPECT_TRUE(frame["frame_sandbox"].isString()) << "the frame must be sandboxed";
  EXPECT_TRUE(Severe(report, "first_look").empty()) << ::testing::PrintToString(Severe(report, "first_look"));
  EXPECT_TRUE(Severe(report, "purchases").empty()) << ::testing::PrintToString(Severe(report, "purchases"));

  // The key went to the browser only inside the key exchange: the page as
  // shown after the purchases holds none.
  const QByteArray dom = ReadFile(work.filePath(QStringLiteral("dom.html")));
  ASSERT_FALSE(dom.isEmpty());
  for (const SoldProduct& p : products)
    EXPECT_FALSE(dom.contains(QByteArray::fromStdString(TTillonCipher::KeyToHex(p.record.Key))));

  // The service took one payment per product (none for the cancelled one),
  // each collected once.
  const QJsonArray recorded = report[QStringLiteral("service_purchases")].toArray();
  ASSERT_EQ(recorded.size(), 3);
  for (size_t i = 0; i < products.size(); ++i) {
    EXPECT_EQ(Str(recorded[static_cast<qsizetype>(i)]["product_id"]), products[i].record.ProductID);
    EXPECT_TRUE(recorded[static_cast<qsizetype>(i)]["redeemed"].toBool());
  }

  // A token already collected, handed to the page again, releases nothing.
  // The refused exchange is the one console entry the page gets.
  const QJsonObject reused = report[QStringLiteral("reused")].toObject();
  EXPECT_EQ(Str(reused["message"]),
            "The Tillon service did not release this product: this purchase has already been collected.");
  EXPECT_EQ(Str(reused["state"]), "failed");
  EXPECT_TRUE(Severe(report, "reused_load").empty()) << ::testing::PrintToString(Severe(report, "reused_load"));
  const std::vector<std::string> reusedLog = Severe(report, "reused");
  ASSERT_EQ(reusedLog.size(), 1u) << ::testing::PrintToString(reusedLog);
  EXPECT_NE(reusedLog[0].find("/buyer/KeyExchange?token=" + Str(report[QStringLiteral("reused_token")])),
            std::string::npos)
      << reusedLog[0];
  EXPECT_NE(reusedLog[0].find("403"), std::string::npos) << reusedLog[0];

  // The encoded file gone from the server: paid for, but nothing to show.
  // The failed fetch of that file is the one console entry.
  const QJsonObject missing = report[QStringLiteral("missing")].toObject();
  EXPECT_EQ(Str(missing["message"]), "The product's file could not be fetched from the vendor's server (HTTP 404).");
  EXPECT_EQ(Str(missing["state"]), "failed");
  EXPECT_TRUE(missing["content"]["text"].isNull());
  EXPECT_TRUE(Severe(report, "missing_load").empty());
  const std::vector<std::string> missingLog = Severe(report, "missing");
  ASSERT_EQ(missingLog.size(), 1u) << ::testing::PrintToString(missingLog);
  EXPECT_NE(missingLog[0].find(web->Url() + "/" + www + "report.etxt"), std::string::npos) << missingLog[0];
  EXPECT_NE(missingLog[0].find("404"), std::string::npos) << missingLog[0];
}
