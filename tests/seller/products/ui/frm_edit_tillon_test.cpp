// The product editor's dialog against the stand-in Tillon service.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QAction>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QFile>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "common/controls/tendrel_edit.h"
#include "seller/authoring/applet.h"
#include "seller/authoring/cipher.h"
#include "seller/core/settings.h"
#include "seller/products/ui/frm_edit_tillon.h"
#include "seller/service/service_query.h"
#include "resources/resources.h"
#include "seller/shell/context.h"
#include "seller/shell/ui/main_form.h"
#include "seller/shell/ui/shell_support.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"
#include "support/tillon_stand_in.h"

using namespace tendrel;

namespace {

constexpr char kKeyA[] = "00112233445566778899AABBCCDDEEFF";
constexpr char kKeyB[] = "0F1E2D3C4B5A69788796A5B4C3D2E1F0";

ServiceConfig Loopback() {
  ServiceConfig c;
  c.host = "127.0.0.1";
  c.timeouts.connectMs = 3000;
  c.timeouts.stallMs = 5000;
  return c;
}

class FrmEditTillonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(service_.port(), 0);
    ctx_.Settings().WriteInteger("", "Port", service_.port());
    ASSERT_TRUE(ctx_.Service().Connect());
    ServiceQuery q("/vendor/VendorRegisterUpdate.html");
    q.Add("vendor_id", "").Add("vendor_password", "secret77");
    const std::string reply = ctx_.Service().Request(q.Text());
    ASSERT_TRUE(ReplySucceeded(reply)) << reply;
    ctx_.Settings().WriteText("Vendor", "ID", reply.substr(9, reply.find(';') - 9));
    ctx_.Settings().WriteText("Vendor", "Password", EncodePassword("secret77", "ENC"));
    form_ = std::make_unique<TfrmEditTillon>(ctx_);
    form_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  }

  std::string Register(const std::string& name, const std::string& price, const std::string& key) {
    TApplet a(&ctx_.Settings());
    a.ProductName = name;
    a.Description = name + " text";
    a.Cost = price;
    a.MediaType = "text/plain";
    a.Key = TTillonCipher::HexToKey(key);
    const std::string reply = ctx_.Service().Request(a.BuildRegistrationURL("http://v.example/" + name + ".etxt", true));
    EXPECT_TRUE(ReplySucceeded(reply)) << reply;
    return reply.substr(9, reply.find(';') - 9);
  }

  template <typename T>
  T* Find(const char* name) const {
    T* w = form_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QTreeWidget* Table() const { return Find<QTreeWidget>("lvProducts"); }
  std::string Status() const { return Find<QLabel>("lblStatus")->text().toStdString(); }
  std::string Cell(int row, int col) const { return Table()->topLevelItem(row)->text(col).toStdString(); }
  // With PRODUCT_EDITOR_SHOTS naming a folder, the dialog as it stands is
  // saved there for a look by eye.
  void Shot(const char* name) const {
    if (const char* dir = std::getenv("PRODUCT_EDITOR_SHOTS"))
      form_->grab().save(QString::fromUtf8(dir) + QLatin1Char('/') + QString::fromUtf8(name) + QStringLiteral(".png"));
  }
  bool Enabled(const char* name) const { return Find<QWidget>(name)->isEnabled(); }

  void Fetch() {
    QPushButton* get = Find<QPushButton>("btnGetProducts");
    get->click();
    // The button is disabled while the list is on its way.
    ASSERT_TRUE(QTest::qWaitFor([this, get] { return !form_->Fetching() && get->isEnabled(); }, 10000));
  }
  void ClickRow(int row, int column = 0) {
    QTreeWidget* t = Table();
    t->doItemsLayout();  // the rows were only just added
    const QRect r = t->visualItemRect(t->topLevelItem(row));
    const int x = t->header()->sectionViewportPosition(column) + 5;
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, QPoint(x, r.center().y()));
  }

  TillonStandIn service_;
  TrustedCa ca_{service_.CaFile()};
  TempHome home_;
  ScriptedDialogs dialogs_;
  BravantContext ctx_{dialogs_, "\\Software\\Tendrel\\Tillon", Loopback()};
  std::unique_ptr<TfrmEditTillon> form_;
};

TEST_F(FrmEditTillonTest, StartsIdleWithItsColumnsAndTexts) {
  EXPECT_EQ(form_->windowTitle().toStdString(), "Edit Tillon Product Details");
  QTreeWidget* t = Table();
  ASSERT_EQ(t->columnCount(), 6);
  const char* names[] = {"ID", "Name", "Descr", "Price", "URL", "MIME Type"};
  const int widths[] = {70, 130, 90, 60, 120};
  for (int c = 0; c < 6; ++c) EXPECT_EQ(t->headerItem()->text(c).toStdString(), names[c]);
  for (int c = 0; c < 5; ++c) EXPECT_EQ(t->header()->sectionSize(c), widths[c]);
  EXPECT_FALSE(t->header()->sectionsClickable());
  EXPECT_EQ(Find<QGroupBox>("gbDetails")->title().toStdString(), "Details");
  for (const char* b : {"btnSave", "btnCancel", "btnDelete", "btnNewContents", "btnPaste", "gbDetails"})
    EXPECT_FALSE(Enabled(b)) << b;
  EXPECT_TRUE(Enabled("lvProducts"));
  EXPECT_TRUE(Find<TTendrelEdit>("edtPrice")->NumericOnly());
  Shot("empty");
}

TEST_F(FrmEditTillonTest, NoProductsLeavesTheTableWithItsMessage) {
  Fetch();
  EXPECT_EQ(Table()->topLevelItemCount(), 0);
  EXPECT_EQ(dialogs_.MessageTexts(), (std::vector<std::string>{kNoProducts}));
  EXPECT_TRUE(Enabled("btnGetProducts"));
}

TEST_F(FrmEditTillonTest, ListedRowsAreChosenEditedSavedAndCancelled) {
  const std::string a = Register("Alpha", "100", kKeyA);
  const std::string b = Register("Beta", "250", kKeyB);
  Fetch();
  ASSERT_EQ(Table()->topLevelItemCount(), 2);
  EXPECT_EQ(Status(), "");
  EXPECT_EQ(Cell(0, 0), a);
  EXPECT_EQ(Cell(1, 1), "Beta");
  EXPECT_EQ(Cell(1, 2), "Beta text");
  EXPECT_EQ(Cell(1, 3), "250");
  EXPECT_EQ(Cell(1, 4), "http://v.example/Beta.etxt");
  EXPECT_EQ(Cell(1, 5), "text/plain");

  // A press right of the first column chooses the row; filling is no edit.
  ClickRow(1, 3);
  auto* price = Find<TTendrelEdit>("edtPrice");
  EXPECT_EQ(price->text().toStdString(), "250");
  EXPECT_EQ(Find<QPlainTextEdit>("memDescription")->toPlainText().toStdString(), "Beta text");
  EXPECT_FALSE(Enabled("btnSave"));
  EXPECT_TRUE(Enabled("btnDelete"));
  EXPECT_TRUE(Enabled("btnNewContents"));
  EXPECT_TRUE(Enabled("btnPaste"));
  Shot("filled");

  price->setFocus();
  price->end(false);
  QTest::keyClicks(price, "x5y");
  EXPECT_EQ(price->text().toStdString(), "2505");  // digits only
  EXPECT_TRUE(Enabled("btnSave"));
  EXPECT_FALSE(Enabled("lvProducts"));
  Shot("edited");
  Find<QPushButton>("btnSave")->click();
  EXPECT_EQ(Status(), kUpdateSucceeded);
  EXPECT_EQ(Cell(1, 3), "2505");
  EXPECT_FALSE(Enabled("btnSave"));
  EXPECT_TRUE(Enabled("lvProducts"));

  // The tag of the chosen product goes to the clipboard.
  ClickRow(1);
  Find<QPushButton>("btnPaste")->click();
  const std::string tag = QApplication::clipboard()->text().toStdString();
  EXPECT_NE(tag.find("<param name=productID value=\"" + b + "\">"), std::string::npos) << tag;
  EXPECT_NE(tag.find("<param name=cost value=2505>"), std::string::npos) << tag;

  Find<QLineEdit>("edtURL")->setText(QStringLiteral("http://elsewhere/"));
  EXPECT_TRUE(Enabled("btnCancel"));
  Find<QPushButton>("btnCancel")->click();
  for (const char* e : {"edtPrice", "edtURL", "edtMIME"}) EXPECT_TRUE(Find<QLineEdit>(e)->text().isEmpty()) << e;
  EXPECT_TRUE(Find<QPlainTextEdit>("memDescription")->toPlainText().isEmpty());
  EXPECT_TRUE(Enabled("lvProducts"));
  EXPECT_FALSE(Enabled("btnCancel"));
  EXPECT_EQ(Cell(1, 4), "http://v.example/Beta.etxt");
}

TEST_F(FrmEditTillonTest, ARefusedSaveLeavesTheCells) {
  Register("Alpha", "100", kKeyA);
  Fetch();
  ClickRow(0);
  ctx_.Settings().WriteText("Vendor", "Password", EncodePassword("wrong", "ENC"));
  Find<QLineEdit>("edtMIME")->setText(QStringLiteral("image/gif"));
  Find<QPushButton>("btnSave")->click();
  EXPECT_EQ(Status(), kUpdateFailed);
  EXPECT_EQ(Cell(0, 5), "text/plain");
}

TEST_F(FrmEditTillonTest, DeleteAsksAndRemovesTheRow) {
  const std::string a = Register("Alpha", "100", kKeyA);
  const std::string b = Register("Beta", "250", kKeyB);
  Fetch();
  ClickRow(0);
  dialogs_.messageAnswers = {MsgResult::No};
  Find<QPushButton>("btnDelete")->click();
  EXPECT_EQ(Table()->topLevelItemCount(), 2);
  dialogs_.messageAnswers = {MsgResult::Yes};
  Find<QPushButton>("btnDelete")->click();
  ASSERT_EQ(Table()->topLevelItemCount(), 1);
  EXPECT_EQ(Cell(0, 0), b);
  EXPECT_EQ(dialogs_.MessageTexts(), (std::vector<std::string>{kDeleteQuestion, kDeleteQuestion, kDeleted}));
  // Nothing chosen now: another delete does nothing.
  const size_t shown = dialogs_.shown.size();
  Find<QPushButton>("btnDelete")->click();
  EXPECT_EQ(dialogs_.shown.size(), shown);
}

TEST_F(FrmEditTillonTest, NewContentsEncodeBesideTheSourceAndSayWhere) {
  Register("Alpha", "100", kKeyA);
  Fetch();
  ClickRow(0);
  const std::string src = home_.root() + "/notes.txt";
  {
    QFile f(QString::fromStdString(src));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("fresh contents");
  }
  dialogs_.fileAnswers = {src};
  Find<QPushButton>("btnNewContents")->click();
  ASSERT_FALSE(dialogs_.shown.empty());
  EXPECT_EQ(dialogs_.shown.front().file.filter, kNewContentsFilter);
  EXPECT_TRUE(dialogs_.shown.front().file.mustExist);
  const std::string target = home_.root() + "/notes.etxt";
  EXPECT_EQ(dialogs_.MessageTexts().back(), NewContentsMessage(target, "http://v.example/Alpha.etxt"));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(target)));
}

TEST_F(FrmEditTillonTest, AMalformedKeyIsNamedOnceAndItsRowCannotEncode) {
  Register("Alpha", "100", kKeyA);
  ServiceQuery q("/vendor/VendorProductReplace.html");
  q.Add("vendor_id", ctx_.Settings().ReadText("Vendor", "ID", ""))
      .Add("vendor_password", "secret77")
      .Add("product_id", "")
      .Add("product_name", "Broken")
      .Add("product_key", "ABC");
  ASSERT_TRUE(ReplySucceeded(ctx_.Service().Request(q.Text())));
  Register("Gamma", "300", kKeyB);
  Fetch();
  ASSERT_EQ(Table()->topLevelItemCount(), 3);
  EXPECT_EQ(dialogs_.MessageTexts(),
            (std::vector<std::string>{"Invalid hex encoded key (must have even number of characters)"}));
  ClickRow(1);
  EXPECT_EQ(Cell(1, 1), "Broken");
  EXPECT_TRUE(Enabled("btnDelete"));
  EXPECT_FALSE(Enabled("btnNewContents"));
  EXPECT_FALSE(Enabled("btnPaste"));
  ClickRow(2);
  EXPECT_EQ(Cell(2, 1), "Gamma");
  EXPECT_TRUE(Enabled("btnNewContents"));
  EXPECT_TRUE(Enabled("btnPaste"));
}

TEST_F(FrmEditTillonTest, ResizingScalesTheControlsInProportion) {
  QPushButton* get = Find<QPushButton>("btnGetProducts");
  QTreeWidget* table = Table();
  const QRect g0 = get->geometry(), t0 = table->geometry();
  const QSize s0 = form_->size();
  form_->resize(s0.width() * 2, s0.height() * 3 / 2);
  QApplication::processEvents();
  EXPECT_EQ(get->geometry().x(), g0.x() * 2);
  EXPECT_EQ(get->geometry().width(), g0.width() * 2);
  EXPECT_EQ(get->geometry().height(), g0.height());  // buttons keep their height
  EXPECT_EQ(table->geometry().height(), static_cast<int>(std::lround(t0.height() * 1.5)));
  EXPECT_EQ(table->geometry().y(), static_cast<int>(std::lround(t0.y() * 1.5)));
  Shot("resized");
}

TEST(ProductEditorMenuTest, TheMainWindowOpensTheEditorModallyAndFreesIt) {
  InitResources();
  TempHome home;
  ScriptedDialogs dialogs;
  BravantContext ctx(dialogs, "\\Software\\Tendrel\\Tillon", Loopback());
  shelltest::FakeProbe probe;
  TMainForm form(ctx, probe, WizardTable{});
  auto* item = form.findChild<QAction*>(QStringLiteral("mnuEditProducts"));
  ASSERT_NE(item, nullptr);
  EXPECT_FALSE(item->isEnabled());

  bool wasModal = false;
  form.SetProductEditor([&ctx, &wasModal](QWidget* parent) {
    QTimer::singleShot(0, [&wasModal] {
      auto* open = qobject_cast<TfrmEditTillon*>(QApplication::activeModalWidget());
      wasModal = open != nullptr;
      if (open) open->reject();
    });
    EditRegisteredProducts(ctx, parent);
  });
  EXPECT_TRUE(item->isEnabled());
  EXPECT_NE(item->toolTip().toStdString(), "Not available in this version.");
  item->trigger();
  EXPECT_TRUE(wasModal);
  EXPECT_TRUE(form.findChildren<TfrmEditTillon*>().isEmpty());
}

}  // namespace
