// The stand-in Tillon service's buyer side, asked directly over HTTPS: the
// purchase page, the test card, the hand-over pages, and the key exchange
// that releases a product's key once per purchase, for that product only,
// before the token expires, to any page origin (CORS).
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QThread>
#include <memory>
#include <string>

#include "browser_support.h"
#include "support/tillon_stand_in.h"

using namespace browsertest;

namespace {

const char kKey[] = "00112233445566778899AABBCCDDEEFF";
const char kOrigin[] = "http://127.0.0.1:8000";

class BuyerSide : public ::testing::Test {
 protected:
  // The service knowing vendor 1001 with products 5001 and 5002, and vendor
  // 1002 with none.
  void Start(const QStringList& options = {}) {
    statePath = work.filePath(QStringLiteral("state.json"));
    ASSERT_TRUE(WriteFile(statePath, QByteArray(R"({"next_vendor": 1003, "next_product": 5003,
 "vendors": {"1001": {"vendor_id": "1001", "vendor_password": "pw"},
             "1002": {"vendor_id": "1002", "vendor_password": "pw"}},
 "products": {
  "5001": {"vendor_id": "1001", "product_name": "Re<port> & Co", "product_description": "Figures",
           "product_price": "150", "product_url": "http://127.0.0.1:8000/www/report.etxt",
           "product_mime_type": "text/plain", "product_key": ")") + kKey + R"("},
  "5002": {"vendor_id": "1001", "product_name": "Other", "product_description": "",
           "product_price": "ten", "product_url": "http://127.0.0.1:8000/www/other.egif",
           "product_mime_type": "image/gif", "product_key": "FFEEDDCCBBAA99887766554433221100"}}})"));
    service = std::make_unique<TillonStandIn>(options + QStringList{QStringLiteral("--state"), statePath});
    ASSERT_NE(service->port(), 0);
  }
  std::string Base() const { return "https://127.0.0.1:" + std::to_string(service->port()); }
  Reply Get(const std::string& path, const QStringList& more = {}) {
    return Curl(service->CaFile(), more + QStringList{QString::fromStdString(Base() + path)});
  }
  Reply Pay(const std::string& card, const std::string& product = "5001", const std::string& vendor = "1001") {
    return Curl(service->CaFile(),
                {QStringLiteral("--data-urlencode"), QString::fromStdString("vendor_id=" + vendor),
                 QStringLiteral("--data-urlencode"), QString::fromStdString("product_id=" + product),
                 QStringLiteral("--data-urlencode"), QStringLiteral("origin=") + QLatin1String(kOrigin),
                 QStringLiteral("--data-urlencode"), QString::fromStdString("card=" + card),
                 QString::fromStdString(Base() + "/buyer/Pay")});
  }
  // Pays with the test card; the token the service gave.
  std::string Token(const std::string& product = "5001") {
    const Reply r = Pay("4242 4242 4242 4242", product);
    EXPECT_EQ(r.status, 303);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^/buyer/Done\\?token=([0-9a-f]{32})&vendor_id=1001&product_id=(\\d+)&"
                                          "origin=http%3A%2F%2F127.0.0.1%3A8000$"))
            .match(QString::fromStdString(r.Header("location")));
    EXPECT_TRUE(m.hasMatch()) << r.Header("location");
    EXPECT_EQ(m.captured(2).toStdString(), product);
    return m.captured(1).toStdString();
  }
  Reply Exchange(const std::string& token, const std::string& product, const QStringList& more = {}) {
    return Get("/buyer/KeyExchange?token=" + token + "&product_id=" + product, more);
  }
  QJsonArray Purchases() { return QJsonDocument::fromJson(Get("/buyer/Purchases").body).array(); }

  QTemporaryDir work;
  QString statePath;
  std::unique_ptr<TillonStandIn> service;
};

}  // namespace

TEST_F(BuyerSide, PurchasePageShowsTheProductAndOnlyTheTestCardPays) {
  Start();
  const Reply page = Get("/buyer/Purchase.html?vendor_id=1001&product_id=5001&origin=http%3A%2F%2F127.0.0.1%3A8000");
  EXPECT_EQ(page.status, 200);
  EXPECT_TRUE(page.body.contains("<title>Tillon - Buy Re&lt;port&gt; &amp; Co</title>")) << page.body.toStdString();
  for (const char* part : {"<label for=\"card\">Card number</label>", "id=\"card\"", "id=\"pay\">Pay</button>",
                           "id=\"cancel\">Cancel</button>", "$1.50", "4242 4242 4242 4242",
                           "name=\"origin\" value=\"http://127.0.0.1:8000\""})
    EXPECT_TRUE(page.body.contains(part)) << part;
  // A price that is no whole number of cents shows as typed.
  EXPECT_TRUE(Get("/buyer/Purchase.html?vendor_id=1001&product_id=5002&origin=x").body.contains("ten cents"));

  // Not for sale: an unknown product, or another vendor's; only Cancel.
  for (const char* query : {"vendor_id=1001&product_id=5999", "vendor_id=1002&product_id=5001"}) {
    const Reply none = Get(std::string("/buyer/Purchase.html?") + query + "&origin=x");
    EXPECT_EQ(none.status, 404) << query;
    EXPECT_TRUE(none.body.contains("This product is not for sale.")) << query;
    EXPECT_TRUE(none.body.contains("id=\"cancel\"")) << query;
    EXPECT_FALSE(none.body.contains("id=\"pay\"")) << query;
  }

  // Any other card is declined and nothing is bought.
  for (const char* card : {"4242 4242 4242 4241", "", "4242"}) {
    const Reply declined = Pay(card);
    EXPECT_EQ(declined.status, 200) << card;
    EXPECT_TRUE(declined.body.contains("The card was declined. Use the test card 4242 4242 4242 4242.")) << card;
  }
  EXPECT_EQ(Pay("4242424242424242", "5001", "1002").status, 404);  // not this vendor's product
  EXPECT_TRUE(Purchases().isEmpty());

  // The test card, blanks or not, buys.
  EXPECT_EQ(Pay("4242424242424242").status, 303);
  const std::string token = Token();
  const QJsonArray bought = Purchases();
  ASSERT_EQ(bought.size(), 2);
  EXPECT_EQ(Str(bought[1]["token"]), token);
  EXPECT_EQ(Str(bought[1]["vendor_id"]), "1001");
  EXPECT_EQ(Str(bought[1]["product_id"]), "5001");
  EXPECT_FALSE(bought[1]["redeemed"].toBool());
  EXPECT_GT(bought[1]["time"].toDouble(), 1.0e9);
  EXPECT_NE(Str(bought[0]["token"]), token);
}

TEST_F(BuyerSide, HandOverPagesPostToTheOpenerOnlyWhatTheyWereGiven) {
  Start();
  const Reply done = Get("/buyer/Done?token=abc&vendor_id=1001&product_id=5001&origin=http%3A%2F%2F127.0.0.1%3A8000");
  EXPECT_EQ(done.status, 200);
  EXPECT_TRUE(done.body.contains("Thank you. Your purchase is on its way to the page."));
  EXPECT_TRUE(done.body.contains(
      R"(window.opener.postMessage({"tillon": "purchase", "vendorID": "1001", "productID": "5001", "token": "abc"}, "http://127.0.0.1:8000");)"))
      << done.body.toStdString();
  EXPECT_TRUE(done.body.contains("window.close();"));

  const Reply cancelled = Get("/buyer/Cancelled?vendor_id=1001&product_id=5001&origin=http%3A%2F%2F127.0.0.1%3A8000");
  EXPECT_TRUE(cancelled.body.contains(
      R"(postMessage({"tillon": "purchase", "vendorID": "1001", "productID": "5001", "cancelled": true}, "http://127.0.0.1:8000");)"))
      << cancelled.body.toStdString();

  // Whatever the query holds cannot end the script early.
  const Reply hostile = Get("/buyer/Done?token=%3C/script%3E%3Cscript%3Ealert(1)%3C/script%3E&origin=%3C!--");
  EXPECT_FALSE(hostile.body.contains("</script><script>"));
  EXPECT_FALSE(hostile.body.contains("<!--"));
  EXPECT_TRUE(hostile.body.contains(R"("token": "\u003c/script\u003e\u003cscript\u003ealert(1)\u003c/script\u003e")"));
}

TEST_F(BuyerSide, ATokenReleasesItsProductsKeyOnceToAnyOrigin) {
  Start();
  const std::string token = Token();
  const QStringList fromPage = {QStringLiteral("-H"), QStringLiteral("Origin: ") + QLatin1String(kOrigin)};

  // Asked for another product, the token is refused and stays good.
  const Reply other = Exchange(token, "5002", fromPage);
  EXPECT_EQ(other.status, 403);
  EXPECT_EQ(Str(other.Json("error")), "mismatch");
  EXPECT_EQ(Str(other.Json("message")), "this purchase is for another product");

  const Reply key = Exchange(token, "5001", fromPage);
  ASSERT_EQ(key.status, 200) << key.body.toStdString();
  EXPECT_EQ(key.Header("content-type"), "application/json");
  EXPECT_EQ(key.Header("access-control-allow-origin"), kOrigin);
  EXPECT_EQ(key.Header("vary"), "Origin");
  EXPECT_EQ(key.Header("cache-control"), "no-store");
  EXPECT_EQ(Str(key.Json("product_id")), "5001");
  EXPECT_EQ(Str(key.Json("vendor_id")), "1001");
  EXPECT_EQ(Str(key.Json("key")), kKey);
  EXPECT_EQ(Str(key.Json("product_url")), "http://127.0.0.1:8000/www/report.etxt");
  EXPECT_EQ(Str(key.Json("media_type")), "text/plain");

  // Good once; the refusal carries the CORS headers too, so the page can
  // read why.
  const Reply again = Exchange(token, "5001", fromPage);
  EXPECT_EQ(again.status, 403);
  EXPECT_EQ(Str(again.Json("error")), "used");
  EXPECT_EQ(Str(again.Json("message")), "this purchase has already been collected");
  EXPECT_EQ(again.Header("access-control-allow-origin"), kOrigin);

  for (const std::string& unknown : {std::string(32, '0'), std::string()}) {
    const Reply r = Exchange(unknown, "5001");
    EXPECT_EQ(r.status, 403);
    EXPECT_EQ(Str(r.Json("error")), "unknown");
    EXPECT_EQ(Str(r.Json("message")), "this purchase is not known");
    EXPECT_EQ(r.Header("access-control-allow-origin"), "*");  // asked without an Origin
  }

  const Reply preflight = Get("/buyer/KeyExchange?token=x&product_id=5001",
                              fromPage + QStringList{QStringLiteral("-X"), QStringLiteral("OPTIONS"),
                                                     QStringLiteral("-H"),
                                                     QStringLiteral("Access-Control-Request-Method: GET")});
  EXPECT_EQ(preflight.status, 204);
  EXPECT_EQ(preflight.Header("access-control-allow-origin"), kOrigin);
  EXPECT_NE(preflight.Header("access-control-allow-methods").find("GET"), std::string::npos);
  EXPECT_EQ(preflight.Header("vary"), "Origin");

  // The purchase is kept in the state file, collected.
  const QJsonArray kept = QJsonDocument::fromJson(ReadFile(statePath)).object()["purchases"].toArray();
  ASSERT_EQ(kept.size(), 1);
  EXPECT_EQ(Str(kept[0]["token"]), token);
  EXPECT_TRUE(kept[0]["redeemed"].toBool());
}

TEST_F(BuyerSide, ATokenExpires) {
  Start({QStringLiteral("--token-lifetime"), QStringLiteral("2")});
  const std::string late = Token();
  const std::string prompt = Token();
  EXPECT_EQ(Exchange(prompt, "5001").status, 200);
  QThread::msleep(2500);
  const Reply r = Exchange(late, "5001");
  EXPECT_EQ(r.status, 403);
  EXPECT_EQ(Str(r.Json("error")), "expired");
  EXPECT_EQ(Str(r.Json("message")), "this purchase has expired");
  EXPECT_FALSE(Purchases().at(0)["redeemed"].toBool());
}
