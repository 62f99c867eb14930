// The product list, the editor's states and its requests, the exchanges run
// against the stand-in Tillon service.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <string>
#include <vector>

#include "seller/authoring/applet.h"
#include "seller/authoring/cipher.h"
#include "seller/core/settings.h"
#include "seller/products/product_editor.h"
#include "seller/products/product_list.h"
#include "seller/service/activity_log.h"
#include "seller/service/service_query.h"
#include "seller/service/transport.h"
#include "seller/shell/context.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"
#include "support/tillon_stand_in.h"

using namespace tendrel;

namespace {

constexpr char kKeyA[] = "00112233445566778899AABBCCDDEEFF";
constexpr char kKeyB[] = "0F1E2D3C4B5A69788796A5B4C3D2E1F0";

std::string Entry(const std::string& id, const std::string& name, const std::string& price,
                  const std::string& descr, const std::string& mime, const std::string& url, const std::string& key) {
  return "{PRODUCT}" + id + ";" + name + ";" + price + ";" + descr + ";" + mime + ";" + url + ";" + key + "{END}\n";
}

std::string ReadAll(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll().toStdString();
}

void Write(const std::string& path, const std::string& data) {
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data.data(), static_cast<qint64>(data.size()));
}

// ---- the reply ----

TEST(ProductListTest, SuccessWithNothingBeforeEndAllMeansNoProducts) {
  const ProductListReply r = ParseProductList("{success}\n{ENDALL}");
  EXPECT_TRUE(r.succeeded);
  EXPECT_TRUE(r.noProducts);
  EXPECT_TRUE(r.entries.empty());
  EXPECT_FALSE(ParseProductList("Your products:\n{ENDALL}").succeeded);
}

TEST(ProductListTest, EntriesKeepSevenFieldsWhateverTheirShape) {
  const std::string reply = "junk{SUCCESS}\nbefore" + Entry("1", "A", "5", "d", "text/plain", "u", kKeyA) +
                            "7;only;three{END}\n{ENDALL}trailer";
  const ProductListReply r = ParseProductList(reply);
  ASSERT_EQ(r.entries.size(), 2u);
  EXPECT_EQ(r.entries[0].fields[kFieldId], "1");  // the text before {PRODUCT} is dropped
  EXPECT_EQ(r.entries[0].fields[kFieldUrl], "u");
  EXPECT_TRUE(r.entries[0].keyOk);
  EXPECT_EQ(TTillonCipher::KeyToHex(r.entries[0].key), kKeyA);
  // Taken whole, short of fields: the missing ones are empty and so is the key.
  EXPECT_EQ(r.entries[1].fields[kFieldId], "7");
  EXPECT_EQ(r.entries[1].fields[kFieldPrice], "three");
  EXPECT_EQ(r.entries[1].fields[kFieldKey], "");
  EXPECT_FALSE(r.entries[1].keyOk);
  EXPECT_EQ(r.keyError, "Invalid hex encoded key (empty)");
}

TEST(ProductListTest, OneMalformedKeyIsNamedOnceAndTheOthersStayListed) {
  const std::string reply = "{SUCCESS}\n" + Entry("1", "A", "5", "d", "m", "u", kKeyA) +
                            Entry("2", "B", "6", "d", "m", "u", std::string(kKeyB).substr(1)) +
                            Entry("3", "C", "7", "d", "m", "u", "ABCD") + "{ENDALL}";
  const ProductListReply r = ParseProductList(reply);
  ASSERT_EQ(r.entries.size(), 3u);
  EXPECT_TRUE(r.entries[0].keyOk);
  EXPECT_FALSE(r.entries[1].keyOk);
  EXPECT_FALSE(r.entries[2].keyOk);
  EXPECT_EQ(r.keyError, "Invalid hex encoded key (must have even number of characters)");
  EXPECT_EQ(r.entries[2].keyError, "Invalid hex encoded key (too short - must be at least 32 chars)");
}

TEST(ProductListTest, TheLogKeepsNoProductKey) {
  const std::string reply = "{SUCCESS}\n" + Entry("1", "A", "5", "d", "m", "http://x/?a=b", kKeyA) +
                            Entry("2", "B", "6", "d", "m", "u", kKeyB) + "{ENDALL}";
  const std::string masked = MaskSecrets("[RECEIVED] " + reply);
  EXPECT_EQ(masked.find(kKeyA), std::string::npos);
  EXPECT_EQ(masked.find(kKeyB), std::string::npos);
  EXPECT_NE(masked.find("{PRODUCT}2;B;6;d;m;u;****{END}"), std::string::npos);
  EXPECT_NE(masked.find("http://x/?a=b;****"), std::string::npos);
  // An entry without "{PRODUCT}" is read whole, and masked the same way.
  EXPECT_EQ(MaskProductKeys(std::string("{SUCCESS}\n{P0;a;1;d;m;u;") + kKeyA + "{END}\n{ENDALL}"),
            "{SUCCESS}\n{P0;a;1;d;m;u;****{END}\n{ENDALL}");
  // An entry without a key has nothing to hide.
  EXPECT_EQ(MaskProductKeys("{PRODUCT}1;A;5;d;m;u;{END}"), "{PRODUCT}1;A;5;d;m;u;{END}");
}

// ---- the editor without the service ----

class ProductEditorTest : public ::testing::Test {
 protected:
  TempHome home_;
  SettingsStore settings_{"\\Software\\Tendrel\\Tillon"};
  ProductEditor editor_{settings_};
};

TEST_F(ProductEditorTest, RowsFollowTheColumnsAndSortByIdText) {
  settings_.WriteText("Vendor", "ID", "1001");
  const std::string reply = "{SUCCESS}\n" + Entry("9", "Nine", "900", "the ninth", "image/gif", "http://v/9.egif", kKeyA) +
                            Entry("10", "Ten", "1000", "the tenth", "text/plain", "http://v/10.etxt", kKeyB) +
                            "{ENDALL}";
  ASSERT_EQ(editor_.TakeList(reply), ListOutcome::Listed);
  ASSERT_EQ(editor_.Rows().size(), 2u);
  const ProductRow& first = editor_.Rows()[0];
  EXPECT_EQ(first.cells[kColId], "10");  // "10" before "9"
  const std::vector<std::string> cells(std::begin(first.cells), std::end(first.cells));
  EXPECT_EQ(cells, (std::vector<std::string>{"10", "Ten", "the tenth", "1000", "http://v/10.etxt", "text/plain"}));
  EXPECT_EQ(first.record.ProductID, "10");
  EXPECT_EQ(first.record.Cost, "1000");
  EXPECT_EQ(first.record.EncodedFile, "http://v/10.etxt");
  EXPECT_EQ(first.record.Width, "400");
  EXPECT_EQ(first.record.Height, "400");
  EXPECT_EQ(first.record.VendorID, "1001");
  EXPECT_EQ(TTillonCipher::KeyToHex(first.record.Key), kKeyB);
  EXPECT_EQ(editor_.Rows()[1].cells[kColId], "9");
}

TEST_F(ProductEditorTest, FailedOrEmptyListsLeaveTheRows) {
  ASSERT_EQ(editor_.TakeList("{SUCCESS}\n" + Entry("1", "A", "5", "d", "m", "u", kKeyA) + "{ENDALL}"),
            ListOutcome::Listed);
  EXPECT_EQ(editor_.TakeList("{SUCCESS}\n{ENDALL}"), ListOutcome::NoProducts);
  EXPECT_EQ(editor_.TakeList("{ERROR}Unknown vendor;"), ListOutcome::Failed);
  EXPECT_EQ(editor_.TakeList(""), ListOutcome::Failed);
  ASSERT_EQ(editor_.Rows().size(), 1u);
  EXPECT_EQ(editor_.Rows()[0].cells[kColId], "1");
}

TEST_F(ProductEditorTest, ButtonsFollowChoosingEditingAndCancelling) {
  ASSERT_EQ(editor_.TakeList("{SUCCESS}\n" + Entry("1", "A", "5", "d", "m", "u", kKeyA) +
                             Entry("2", "B", "6", "e", "m", "u", "F00") + "{ENDALL}"),
            ListOutcome::Listed);
  EXPECT_EQ(editor_.Buttons(), (ProductButtons{false, false, false, false, false, true}));
  EXPECT_FALSE(editor_.Choose(2));
  EXPECT_FALSE(editor_.SaveRequest({}));  // nothing chosen: nothing to send
  EXPECT_FALSE(editor_.DeleteRequest());

  const auto d = editor_.Choose(0);
  ASSERT_TRUE(d);
  EXPECT_EQ(*d, (ProductDetails{"d", "5", "u", "m"}));
  // Filling the fields is no edit.
  EXPECT_TRUE(editor_.Filling());
  editor_.FieldChanged();
  EXPECT_EQ(editor_.State(), EditorState::Shown);
  editor_.DoneFilling();
  EXPECT_EQ(editor_.Buttons(), (ProductButtons{true, false, true, true, true, true}));

  editor_.FieldChanged();
  EXPECT_EQ(editor_.State(), EditorState::Edited);
  EXPECT_EQ(editor_.Buttons(), (ProductButtons{true, true, true, true, true, false}));

  editor_.Cancel();
  EXPECT_EQ(editor_.Buttons(), (ProductButtons{false, false, false, true, true, true}));

  // The row whose key was malformed can be changed but not encoded or pasted.
  ASSERT_TRUE(editor_.Choose(1));
  editor_.DoneFilling();
  EXPECT_EQ(editor_.Buttons(), (ProductButtons{true, false, true, false, false, true}));
}

TEST_F(ProductEditorTest, NewContentsTakeTheFirstFreeNumberedName) {
  const std::string src = home_.root() + "/photo.gif";
  Write(src, "GIF89a");
  EXPECT_EQ(NewContentsTarget(src), home_.root() + "/photo.egif");
  Write(home_.root() + "/photo.egif", "x");
  EXPECT_EQ(NewContentsTarget(src), home_.root() + "/photo1.egif");
  Write(home_.root() + "/photo1.egif", "x");
  EXPECT_EQ(NewContentsTarget(src), home_.root() + "/photo2.egif");
  EXPECT_EQ(NewContentsTarget(home_.root() + "/README"), "");
  EXPECT_EQ(NewContentsMessage("/a/p.egif", "http://v/p.egif"),
            "/a/p.egif has been created on your local system. \r\nThis can be used to replace http://v/p.egif."
            "  Use any standard FTP client to transfer the file to your WWW host.");
  EXPECT_EQ(NotDeletedMessage("{ERROR}No such product;"), "The product could not be deleted.\r\n\r\n{ERROR}No such product;");
}

// ---- against the stand-in service ----

class ProductServiceTest : public ::testing::Test {
 protected:
  static ServiceConfig Config(const std::string& log) {
    ServiceConfig c;
    c.host = "127.0.0.1";
    c.timeouts.connectMs = 3000;
    c.timeouts.stallMs = 5000;
    c.logPath = log;
    return c;
  }

  void SetUp() override {
    ASSERT_NE(service_.port(), 0);
    ctx_.Settings().WriteInteger("", "Port", service_.port());
    ctx_.Settings().WriteText("Options", "Logging", "Yes");
    // A vendor, enrolled through the service itself.
    ASSERT_TRUE(ctx_.Service().Connect());
    ServiceQuery q("/vendor/VendorRegisterUpdate.html");
    q.Add("vendor_id", "").Add("vendor_password", "pa&ss77");
    const std::string reply = ctx_.Service().Request(q.Text());
    ASSERT_TRUE(ReplySucceeded(reply)) << reply;
    vendor_ = reply.substr(9, reply.find(';') - 9);
    ctx_.Settings().WriteText("Vendor", "ID", vendor_);
    ctx_.Settings().WriteText("Vendor", "Password", EncodePassword("pa&ss77", "ENC"));
  }

  // Registers a product as publishing does; its new ID.
  std::string Register(const std::string& name, const std::string& price, const std::string& key) {
    TApplet a(&ctx_.Settings());
    a.ProductName = name;
    a.Description = name + " described";
    a.Cost = price;
    a.MediaType = "image/gif";
    a.Key = TTillonCipher::HexToKey(key);
    const std::string reply = ctx_.Service().Request(a.BuildRegistrationURL("http://vendor.example/" + name + ".egif", true));
    EXPECT_TRUE(ReplySucceeded(reply)) << reply;
    return reply.substr(9, reply.find(';') - 9);
  }

  ListOutcome Fetch() {
    EXPECT_TRUE(ctx_.Service().Connect());
    return editor_.TakeList(ctx_.Service().Request(editor_.ListRequest()));
  }

  TillonStandIn service_;
  TrustedCa ca_{service_.CaFile()};
  TempHome home_;
  ScriptedDialogs dialogs_;
  BravantContext ctx_{dialogs_, "\\Software\\Tendrel\\Tillon", Config(home_.root() + "/tlnlog.txt")};
  ProductEditor editor_{ctx_.Settings()};
  std::string vendor_;
};

TEST_F(ProductServiceTest, AVendorWithoutProductsKeepsTheTable) {
  EXPECT_EQ(Fetch(), ListOutcome::NoProducts);
  EXPECT_TRUE(editor_.Rows().empty());
}

TEST_F(ProductServiceTest, SavedChangesReachTheServiceAndFailedOnesLeaveTheCells) {
  const std::string id = Register("Sunset", "150", kKeyA);
  ASSERT_EQ(Fetch(), ListOutcome::Listed);
  ASSERT_TRUE(editor_.Choose(0));
  editor_.DoneFilling();
  const ProductDetails changed{"at dusk's end", "275", "http://vendor.example/new.egif", "image/jpeg"};
  auto request = editor_.SaveRequest(changed);
  ASSERT_TRUE(request);
  EXPECT_TRUE(editor_.TakeSaveReply(ctx_.Service().Request(*request), changed));
  EXPECT_EQ(editor_.Rows()[0].cells[kColDescr], "at dusk's end");
  EXPECT_EQ(editor_.Rows()[0].cells[kColPrice], "275");
  EXPECT_EQ(editor_.State(), EditorState::Idle);

  // What the service now holds, key unchanged.
  ProductEditor again(ctx_.Settings());
  ASSERT_EQ(again.TakeList(ctx_.Service().Request(again.ListRequest())), ListOutcome::Listed);
  const ProductRow& row = again.Rows()[0];
  EXPECT_EQ(row.cells[kColId], id);
  EXPECT_EQ(row.cells[kColName], "Sunset");
  EXPECT_EQ(row.cells[kColDescr], "at dusk`s end");  // apostrophes travel as backquotes
  EXPECT_EQ(row.cells[kColUrl], "http://vendor.example/new.egif");
  EXPECT_EQ(row.cells[kColMime], "image/jpeg");
  EXPECT_EQ(TTillonCipher::KeyToHex(row.record.Key), kKeyA);

  // A refused change: the record keeps the new values, the row the old ones.
  ctx_.Settings().WriteText("Vendor", "Password", EncodePassword("wrong", "ENC"));
  ASSERT_TRUE(editor_.Choose(0));
  editor_.DoneFilling();
  const ProductDetails refused{"never", "1", "http://x/", "text/plain"};
  request = editor_.SaveRequest(refused);
  ASSERT_TRUE(request);
  EXPECT_FALSE(editor_.TakeSaveReply(ctx_.Service().Request(*request), refused));
  EXPECT_EQ(editor_.Rows()[0].cells[kColPrice], "275");
  EXPECT_EQ(editor_.Rows()[0].record.Cost, "1");
}

TEST_F(ProductServiceTest, DeleteRemovesTheRowAndTheProduct) {
  const std::string first = Register("One", "10", kKeyA);
  const std::string second = Register("Two", "20", kKeyB);
  ASSERT_EQ(Fetch(), ListOutcome::Listed);
  ASSERT_EQ(editor_.Rows().size(), 2u);
  ASSERT_TRUE(editor_.Choose(editor_.FindRow(first)));
  const auto request = editor_.DeleteRequest();
  ASSERT_TRUE(request);
  EXPECT_TRUE(editor_.TakeDeleteReply(ctx_.Service().Request(*request)));
  ASSERT_EQ(editor_.Rows().size(), 1u);
  EXPECT_EQ(editor_.Rows()[0].cells[kColId], second);
  EXPECT_EQ(editor_.Selected(), -1);
  EXPECT_FALSE(editor_.DeleteRequest());

  ProductEditor again(ctx_.Settings());
  ASSERT_EQ(again.TakeList(ctx_.Service().Request(again.ListRequest())), ListOutcome::Listed);
  ASSERT_EQ(again.Rows().size(), 1u);
  EXPECT_EQ(again.Rows()[0].cells[kColId], second);
  // A product that is gone cannot be deleted twice.
  EXPECT_FALSE(ReplySucceeded(ctx_.Service().Request(*request)));
}

TEST_F(ProductServiceTest, TheLogNeverHoldsThePasswordOrAKey) {
  Register("One", "10", kKeyA);
  Register("Two", "20", kKeyB);
  ASSERT_EQ(Fetch(), ListOutcome::Listed);
  ASSERT_TRUE(editor_.Choose(0));
  editor_.DoneFilling();
  const ProductDetails d{"x", "1", "http://x/", "m"};
  editor_.TakeSaveReply(ctx_.Service().Request(*editor_.SaveRequest(d)), d);
  ASSERT_TRUE(editor_.Choose(1));
  editor_.TakeDeleteReply(ctx_.Service().Request(*editor_.DeleteRequest()));
  const std::string log = ReadAll(home_.root() + "/tlnlog.txt");
  ASSERT_NE(log.find("[RECEIVED] {SUCCESS}\n{PRODUCT}"), std::string::npos) << log;
  EXPECT_NE(log.find("VendorProductDelete.html"), std::string::npos);
  EXPECT_EQ(log.find(kKeyA), std::string::npos) << log;
  EXPECT_EQ(log.find(kKeyB), std::string::npos) << log;
  EXPECT_EQ(log.find("pa%26ss77"), std::string::npos) << log;
  EXPECT_EQ(log.find("pa&ss77"), std::string::npos) << log;
}

TEST_F(ProductServiceTest, NewContentsDecodeWithTheProductsKey) {
  Register("Pic", "10", kKeyB);
  ASSERT_EQ(Fetch(), ListOutcome::Listed);
  const std::string src = home_.root() + "/photo.gif";
  std::string data;
  for (int i = 0; i < 20000; ++i) data += static_cast<char>((i * 7) % 251);
  Write(src, data);
  Write(home_.root() + "/photo.egif", "an older upload");
  const std::string target = NewContentsTarget(src);
  ASSERT_EQ(target, home_.root() + "/photo1.egif");
  TTillonCipher cipher;
  cipher.SetKey(editor_.Rows()[0].record.Key);
  cipher.EncodeFile(src, target);
  const std::string decoded = home_.root() + "/decoded.gif";
  const int rc = QProcess::execute(QStringLiteral("python3"),
                                   {QStringLiteral(TEST_SOURCE_DIR "/../standins/tillon_cipher.py"),
                                    QString::fromLatin1(kKeyB), QString::fromStdString(target),
                                    QString::fromStdString(decoded)});
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(ReadAll(decoded), data);
  EXPECT_NE(ReadAll(target), data);
}

}  // namespace
