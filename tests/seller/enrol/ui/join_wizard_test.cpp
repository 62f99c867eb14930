// The Join wizard as a user meets it in Bravant's window: its pages and
// pictures, the checks before a page is left, the typing rules of its
// fields, and Finish against the stand-in Tillon service.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/qt/keyed_picture.h"
#include "resources/resources.h"
#include "seller/core/deployment.h"
#include "seller/enrol/enrolment.h"
#include "seller/enrol/ui/join_wizard.h"
#include "seller/shell/context.h"
#include "seller/shell/ui/main_form.h"
#include "seller/shell/ui/shell_support.h"
#include "seller/wizards/bravant_wizards.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"
#include "support/tillon_stand_in.h"

using namespace tendrel;
using shelltest::Control;

namespace {

ServiceConfig LoopbackService() {
  ServiceConfig c;
  c.host = "127.0.0.1";
  c.timeouts.connectMs = 3000;
  c.timeouts.stallMs = 5000;
  return c;
}

class JoinWizardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitResources();
    setenv("XDG_CONFIG_DIRS", (home.root() + "/system").c_str(), 1);
  }
  void TearDown() override { unsetenv("XDG_CONFIG_DIRS"); }

  // The window started as the program starts it (no vendor ID: on Join).
  void Open() {
    form = std::make_unique<TMainForm>(ctx, probe, BravantWizards());
    host = probe.host.get();
    ASSERT_TRUE(form->Start());
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    pages = Control<QStackedWidget>(*form, "pgJoinWizard");
    next = Control<QPushButton>(*form, "btnRegisterNext");
    back = Control<QPushButton>(*form, "btnRegisterBack");
  }
  template <typename T = QLineEdit>
  T* Field(const char* name) {
    return Control<T>(*form, name);
  }
  void Type(const char* name, const QString& text) {
    QLineEdit* e = Field(name);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
  }
  std::string PageName() const { return pages->currentWidget()->objectName().toStdString(); }
  std::string Overlay() {
    auto* overlay = Control<KeyedPicture>(*form, "imgJoinOverlay");
    return overlay->isVisibleTo(overlay->parentWidget()) ? overlay->resource() : std::string("(hidden)");
  }
  // Clicks Next and gives back what was shown meanwhile.
  std::vector<std::string> Next() {
    dialogs.shown.clear();
    next->click();
    return dialogs.MessageTexts();
  }
  // Fills every page with what a new vendor would type and walks to the
  // vendor-ID page.
  void WalkToTheEnd() {
    Next();                                                  // start
    Control<QPushButton>(*form, "btnAccept")->click();       // contract
    Type("txtCompanyName", "Smith Sons");
    Type("txtContactName", "Ann");
    ASSERT_TRUE(Next().empty());
    Type("txtContactEmail", "ann@smith.example");
    Type("txtPhone", "0113 496 0000");
    ASSERT_TRUE(Next().empty());
    for (const char* name : {"txtStreet", "txtCity", "txtState", "txtPostcode", "txtCountry"}) Type(name, "x");
    ASSERT_TRUE(Next().empty());
    auto* category = Field<QComboBox>("cmbCategory");
    category->setFocus();
    category->lineEdit()->selectAll();
    QTest::keyClicks(category->lineEdit(), "Gardening Tools");
    Type("txtBusinessDescription", "Spades");
    ASSERT_EQ(Next(), std::vector<std::string>{});
    if (Field("txtPassword")->isEnabled()) {
      Type("txtPassword", "secret77");
      Type("txtPassword2", "secret77");
    }
    ASSERT_TRUE(Next().empty());
    ASSERT_TRUE(Next().empty());  // fees
    Type("txtCCName", "Ann O'Brien");
    Field<QComboBox>("cmbCCType")->setCurrentIndex(1);
    Type("txtCCNumber", "4111111111111111");
    Type("txtCCExpiryDate", "1228");
    ASSERT_TRUE(Next().empty());
    ASSERT_EQ(PageName(), "tbVendorID");
  }
  bool WaitForCreate() {
    return QTest::qWaitFor([this] { return form->ActiveWizard() == kCreateWizard; }, 20000);
  }

  TempHome home;
  ScriptedDialogs dialogs;
  BravantContext ctx{dialogs, "\\Software\\Tendrel\\Tillon", LoopbackService()};
  shelltest::FakeProbe probe;
  InMemoryHost* host = nullptr;
  std::unique_ptr<TMainForm> form;
  QStackedWidget* pages = nullptr;
  QPushButton* next = nullptr;
  QPushButton* back = nullptr;
};

}  // namespace

TEST_F(JoinWizardTest, PagesButtonsAndPicturesFollowTheWalk) {
  Open();
  ASSERT_EQ(form->ActiveWizard(), kJoinWizard);
  std::vector<std::string> names;
  for (int i = 0; i < pages->count(); ++i) names.push_back(pages->widget(i)->objectName().toStdString());
  EXPECT_EQ(names, (std::vector<std::string>{"tbStart", "tbContract", "tbContact", "tbPhoneFaxEmail", "tbAddress",
                                             "tbCategory", "tbPassword", "tbPrice", "tbCreditCard", "tbVendorID"}));
  EXPECT_FALSE(back->isEnabled());
  EXPECT_EQ(next->text(), QStringLiteral("Next >&>"));
  EXPECT_EQ(Overlay(), "regwiztillon");
  auto* background = Control<KeyedPicture>(*form, "imgJoinBackground");
  EXPECT_EQ(background->parentWidget()->objectName(), QStringLiteral("tbStart"));
  EXPECT_EQ(background->resource(), "regwizback");

  // The contract can only be left forward by accepting it.
  Next();
  EXPECT_EQ(PageName(), "tbContract");
  EXPECT_FALSE(next->isEnabled());
  EXPECT_TRUE(back->isEnabled());
  EXPECT_EQ(background->parentWidget()->objectName(), QStringLiteral("tbStart"));  // no pictures here
  auto* contract = Field<QPlainTextEdit>("memContract");
  EXPECT_TRUE(contract->isReadOnly());
  EXPECT_TRUE(contract->toPlainText().contains(QStringLiteral("VENDOR AGREEMENT")));
  Control<QPushButton>(*form, "btnAccept")->click();
  EXPECT_EQ(PageName(), "tbContact");
  EXPECT_EQ(Overlay(), "(hidden)");
  EXPECT_EQ(background->parentWidget()->objectName(), QStringLiteral("tbContact"));

  // Back needs no checks; the overlay follows the page.
  back->click();
  back->click();
  EXPECT_EQ(PageName(), "tbStart");
  EXPECT_EQ(Overlay(), "regwiztillon");

  // Walk on with filled pages: each page's picture, the web-site button
  // only from the fee page on, Finish on the last page.
  const auto price = Control<QPushButton>(*form, "btnTillonWebSite");
  EXPECT_FALSE(price->isVisibleTo(price->parentWidget()));
  const struct {
    int page;
    const char* overlay;
  } expected[] = {{kPhoneFaxEmailPage, "regwizcontact"}, {kAddressPage, "regwizlocation"},
                  {kCategoryPage, "regwizcategory"},   {kPasswordPage, "regwizpassword"},
                  {kPricePage, "regwizpassword"},      {kCreditCardPage, "regwizcreditcard"},
                  {kVendorIdPage, "regwiztillon"}};
  WalkToTheEnd();
  for (const auto& e : expected) {
    pages->setCurrentIndex(e.page);
    EXPECT_EQ(Overlay(), e.overlay) << e.page;
  }
  pages->setCurrentIndex(kPricePage);
  EXPECT_TRUE(price->isVisibleTo(price->parentWidget()));
  price->click();
  ASSERT_FALSE(host->calls.empty());
  EXPECT_EQ(host->calls.back().name, "BrowserPreview");
  ASSERT_EQ(host->previews.size(), 1u);
  EXPECT_EQ(host->previews[0].first, deployment::TillonWebSite());
  pages->setCurrentIndex(kVendorIdPage);
  EXPECT_EQ(next->text(), QStringLiteral("&Finish"));
  EXPECT_EQ(Field<QLabel>("lblVendorDesc")->text().toStdString(), kVendorIdExplanation);
  EXPECT_FALSE(Field("txtVendorID")->isEnabled());
  EXPECT_EQ(Field("txtVendorID")->text(), QStringLiteral("[None]"));
}

TEST_F(JoinWizardTest, EachPageIsCheckedInOrderWithFocusOnTheEmptyField) {
  Open();
  pages->setCurrentIndex(kContactPage);
  EXPECT_EQ(Next(), std::vector<std::string>{kFillAllFields});
  EXPECT_TRUE(Field("txtCompanyName")->hasFocus());
  Type("txtCompanyName", "Smith");
  EXPECT_EQ(Next(), std::vector<std::string>{kFillAllFields});
  EXPECT_TRUE(Field("txtContactName")->hasFocus());
  EXPECT_EQ(PageName(), "tbContact");

  // Fax may stay empty; Phone may not.
  pages->setCurrentIndex(kPhoneFaxEmailPage);
  Type("txtContactEmail", "a@b.example");
  EXPECT_EQ(Next(), std::vector<std::string>{kFillAllFields});
  EXPECT_TRUE(Field("txtPhone")->hasFocus());
  Type("txtPhone", "123");
  EXPECT_TRUE(Next().empty());
  EXPECT_EQ(PageName(), "tbAddress");

  pages->setCurrentIndex(kCategoryPage);
  Field<QComboBox>("cmbCategory")->setEditText(QString());
  Field("txtVendorURL")->clear();
  Type("txtBusinessDescription", "Spades");
  EXPECT_EQ(Next(), std::vector<std::string>{kFillAllFields});  // the empty address comes first
  EXPECT_TRUE(Field("txtVendorURL")->hasFocus());
  Type("txtVendorURL", "http://x.example/");
  EXPECT_EQ(Next(), std::vector<std::string>{kChooseCategory});
  Field<QComboBox>("cmbCategory")->setCurrentIndex(2);
  Field("txtBusinessDescription")->clear();
  EXPECT_EQ(Next(), std::vector<std::string>{kFillAllFields});
  EXPECT_TRUE(Field("txtBusinessDescription")->hasFocus());

  pages->setCurrentIndex(kPasswordPage);
  const struct {
    const char* password;
    const char* confirmation;
    std::vector<std::string> shown;
  } passwords[] = {
      {"", "", {kFillAllFields}},
      {"abcdefg1", "abcdefg2", {kPasswordsDiffer}},
      {"ab1d", "ab1d", {kPasswordTooShort}},
      {"abcdefgh", "abcdefgh", {kPasswordNoNumber}},
      {"abcdefg1", "abcdefg1", {}},
  };
  for (const auto& p : passwords) {
    pages->setCurrentIndex(kPasswordPage);
    Field("txtPassword")->setText(QString::fromLatin1(p.password));
    Field("txtPassword2")->setText(QString::fromLatin1(p.confirmation));
    EXPECT_EQ(Next(), p.shown) << p.password;
  }
  EXPECT_EQ(PageName(), "tbPrice");

  pages->setCurrentIndex(kCreditCardPage);
  Type("txtCCName", "Ann");
  Type("txtCCNumber", "4111");
  Type("txtCCExpiryDate", "1228");
  Field<QComboBox>("cmbCCType")->setCurrentIndex(-1);
  EXPECT_EQ(Next(), std::vector<std::string>{kChooseCardType});
  Field("txtCCExpiryDate")->clear();
  EXPECT_EQ(Next(), std::vector<std::string>{kFillAllFields});  // empty fields before the card type
  EXPECT_TRUE(Field("txtCCExpiryDate")->hasFocus());
}

TEST_F(JoinWizardTest, FieldsTakeOnlyWhatTheyMayHold) {
  Open();
  pages->setCurrentIndex(kContactPage);
  Type("txtCompanyName", "Smith;'s \"Best\"");
  EXPECT_EQ(Field("txtCompanyName")->text(), QStringLiteral("Smiths Best"));
  // Pasted text is filtered too; the cursor stays after what was pasted.
  QApplication::clipboard()->setText(QStringLiteral("A;B'C"));
  Field("txtContactName")->setFocus();
  QTest::keySequence(Field("txtContactName"), QKeySequence::Paste);
  EXPECT_EQ(Field("txtContactName")->text(), QStringLiteral("ABC"));
  EXPECT_EQ(Field("txtContactName")->cursorPosition(), 3);
  // The name on the card is not filtered (its apostrophe is escaped later).
  pages->setCurrentIndex(kCreditCardPage);
  Type("txtCCName", "O'Brien");
  EXPECT_EQ(Field("txtCCName")->text(), QStringLiteral("O'Brien"));
  // Card number and expiry take digits only, 16 and 4 of them.
  Type("txtCCNumber", "41x1-1 11112222333344445");
  EXPECT_EQ(Field("txtCCNumber")->text(), QStringLiteral("4111111122223333"));
  Type("txtCCExpiryDate", "12/289");
  EXPECT_EQ(Field("txtCCExpiryDate")->text(), QStringLiteral("1228"));

  // The description keeps its first 60 characters once it is left.
  pages->setCurrentIndex(kCategoryPage);
  const QString eighty = QString(80, QLatin1Char('d'));
  QApplication::clipboard()->setText(eighty);
  Field("txtBusinessDescription")->setFocus();
  Field("txtBusinessDescription")->clear();
  QTest::keySequence(Field("txtBusinessDescription"), QKeySequence::Paste);
  EXPECT_EQ(Field("txtBusinessDescription")->text().size(), 80);
  Field("txtVendorURL")->setFocus();
  EXPECT_EQ(Field("txtBusinessDescription")->text(), eighty.left(60));

  // Enter in either password field moves on to the confirmation.
  pages->setCurrentIndex(kPasswordPage);
  EXPECT_EQ(Field("txtPassword")->echoMode(), QLineEdit::Password);
  Field("txtPassword")->setFocus();
  QTest::keyClick(Field("txtPassword"), Qt::Key_Return);
  EXPECT_TRUE(Field("txtPassword2")->hasFocus());
  // Leaving the confirmation for another field checks it at once; leaving
  // it for Next does not ask twice.
  Field("txtPassword")->setText(QStringLiteral("abcdefg1"));
  Field("txtPassword2")->setText(QStringLiteral("abc"));
  dialogs.shown.clear();
  Field("txtPassword")->setFocus(Qt::TabFocusReason);
  QTest::qWait(20);
  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kPasswordsDiffer});
  Field("txtPassword2")->setFocus();
  dialogs.shown.clear();
  next->setFocus(Qt::MouseFocusReason);
  next->click();
  QTest::qWait(20);
  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kPasswordsDiffer});
}

TEST_F(JoinWizardTest, StoredDetailsLoadAndAnEnrolledVendorsPasswordIsLocked) {
  VendorDetails d;
  d.password = "secret77";
  d.companyName = "Smith Sons";
  d.businessType = "Gardening Tools";  // typed by hand once
  d.ccType = "Visa";
  d.ccNumber = "4111";
  SaveVendorDetails(ctx.Settings(), d);
  Open();  // no ID yet: the password may still change
  EXPECT_TRUE(Field("txtPassword")->isEnabled());
  EXPECT_EQ(Field("txtPassword2")->text(), QStringLiteral("secret77"));
  EXPECT_EQ(Field("txtCompanyName")->text(), QStringLiteral("Smith Sons"));
  EXPECT_EQ(Field<QComboBox>("cmbCategory")->currentText(), QStringLiteral("Gardening Tools"));
  EXPECT_EQ(Field<QComboBox>("cmbCCType")->currentText(), QStringLiteral("Visa"));
  EXPECT_EQ(Field("txtCCNumber")->text(), QStringLiteral("4111"));
  EXPECT_EQ(Field("txtVendorID")->text(), QStringLiteral("[None]"));
  EXPECT_EQ(Field<QComboBox>("cmbCategory")->count(), 15);
  EXPECT_EQ(Field<QComboBox>("cmbCategory")->itemText(14), QStringLiteral("Non profit Organizations"));

  ctx.Settings().WriteText("Vendor", "ID", "V7");
  form->SwitchTo(kCreateWizard);
  form->SwitchTo(kJoinWizard);
  EXPECT_FALSE(Field("txtPassword")->isEnabled());
  EXPECT_FALSE(Field("txtPassword2")->isEnabled());
  EXPECT_EQ(Field("txtVendorID")->text(), QStringLiteral("V7"));
}

TEST_F(JoinWizardTest, CancelAndRejectingTheContractDiscardWhatWasTyped) {
  Open();
  pages->setCurrentIndex(kContactPage);
  Type("txtCompanyName", "Typed Only");
  dialogs.messageAnswers = {MsgResult::No};
  Control<QPushButton>(*form, "btnRegisterCancel")->click();
  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kLeaveJoinQuestion});
  EXPECT_EQ(form->ActiveWizard(), kJoinWizard);
  dialogs.messageAnswers = {MsgResult::Yes};
  Control<QPushButton>(*form, "btnRegisterCancel")->click();
  EXPECT_EQ(form->ActiveWizard(), kCreateWizard);
  EXPECT_EQ(ctx.Settings().ReadText("Vendor", "Company Name", "none"), "none");
  form->SwitchTo(kJoinWizard);
  EXPECT_EQ(PageName(), "tbStart");
  EXPECT_EQ(Field("txtCompanyName")->text(), QString());

  Next();
  Type("txtCompanyName", "Typed Again");  // on another page: still discarded
  dialogs.shown.clear();
  dialogs.messageAnswers = {MsgResult::No};
  Control<QPushButton>(*form, "btnNoAccept")->click();
  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kRejectContractQuestion});
  EXPECT_EQ(form->ActiveWizard(), kJoinWizard);
  dialogs.messageAnswers = {MsgResult::Yes};
  Control<QPushButton>(*form, "btnNoAccept")->click();
  EXPECT_EQ(form->ActiveWizard(), kCreateWizard);
  form->SwitchTo(kJoinWizard);
  EXPECT_EQ(Field("txtCompanyName")->text(), QString());
}

TEST_F(JoinWizardTest, PastingAnIdStoresItWithoutARequest) {
  Open();
  WalkToTheEnd();
  Control<QPushButton>(*form, "btnAllowPaste")->click();
  EXPECT_TRUE(Field("txtVendorID")->isEnabled());
  EXPECT_TRUE(Field("txtVendorID")->hasFocus());
  EXPECT_EQ(Next(), std::vector<std::string>{kFillAllFields});  // nothing pasted yet
  Type("txtVendorID", "P-77");
  dialogs.messageAnswers = {MsgResult::Yes};
  EXPECT_EQ(Next(), (std::vector<std::string>{kJoinQuestion, kPastedIdStored}));
  EXPECT_EQ(ctx.Settings().ReadText("Vendor", "ID", ""), "P-77");
  EXPECT_EQ(ctx.Settings().ReadText("Vendor", "Business Type", ""), "Gardening Tools");
  EXPECT_EQ(form->ActiveWizard(), kCreateWizard);
  EXPECT_FALSE(form->WizardEnabled(kCreateWizard));  // as it was
  EXPECT_FALSE(ctx.Service().Connected());
}

TEST_F(JoinWizardTest, FinishEnrolsWhileTheWindowStaysResponsive) {
  TillonStandIn service({QStringLiteral("--slow"), QStringLiteral("0.5")});
  ASSERT_NE(service.port(), 0);
  TrustedCa ca(service.CaFile());
  ctx.Settings().WriteInteger("", "Port", service.port());
  Open();
  ASSERT_FALSE(form->WizardEnabled(kCreateWizard));
  WalkToTheEnd();
  dialogs.messageAnswers = {MsgResult::Yes};
  Next();
  // The answer is on its way: the wizard waits without blocking the window.
  auto* status = Field<QLabel>("lblJoinStatus");
  EXPECT_FALSE(status->text().isEmpty());
  EXPECT_FALSE(next->isEnabled());
  ASSERT_TRUE(WaitForCreate());
  EXPECT_TRUE(status->text().isEmpty());
  EXPECT_EQ(ctx.Settings().ReadText("Vendor", "ID", ""), "1001");
  EXPECT_EQ(Field("txtVendorID")->text(), QStringLiteral("1001"));
  EXPECT_TRUE(form->WizardEnabled(kCreateWizard));
  const std::vector<std::string> shown = dialogs.MessageTexts();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0], kJoinQuestion);
  EXPECT_EQ(shown[1], kJoinedCongratulations);
  EXPECT_EQ(shown[2], JoinedMessage());
  EXPECT_EQ(dialogs.shown[2].caption, kShowOnceCaption);
  const auto lines = service.Requests();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].request.find("&company_name=Smith%20Sons&"), std::string::npos);
  EXPECT_NE(lines[0].request.find("&cc_name=Ann%20O%60Brien&"), std::string::npos);
  EXPECT_NE(lines[0].request.find("&business_type=Gardening%20Tools&"), std::string::npos);

  // The next visit shows the stored details, the password locked, and a
  // Finish sends an update without asking.
  form->SwitchTo(kJoinWizard);
  EXPECT_FALSE(Field("txtPassword")->isEnabled());
  EXPECT_EQ(Field<QComboBox>("cmbCategory")->currentText(), QStringLiteral("Gardening Tools"));
  WalkToTheEnd();
  dialogs.shown.clear();
  next->click();
  ASSERT_TRUE(WaitForCreate());
  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kDetailsUpdated});
  ASSERT_EQ(service.Requests().size(), 2u);
}

TEST_F(JoinWizardTest, DecliningToJoinStillEndsOnCreate) {
  Open();
  WalkToTheEnd();
  dialogs.messageAnswers = {MsgResult::No};
  EXPECT_EQ(Next(), std::vector<std::string>{kJoinQuestion});
  EXPECT_EQ(form->ActiveWizard(), kCreateWizard);
  EXPECT_EQ(ctx.Settings().ReadText("Vendor", "Company Name", "none"), "none");
  EXPECT_FALSE(ctx.Service().Connected());
}
