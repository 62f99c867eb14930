// The Publish wizard in Bravant's window: the page flow and its checks, the
// pictures and buttons of each page, the publish list and its check box, the
// class installation button, and Finish end to end from the Create wizard
// against the stand-in Tillon service and a real FTP server, with the long
// steps on the worker while the window stays live.
#include "seller/publish/ui/publish_wizard.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/qt/keyed_picture.h"
#include "resources/resources.h"
#include "seller/authoring/applet.h"
#include "seller/publish/publish_fixture.h"
#include "seller/shell/ui/main_form.h"
#include "seller/shell/ui/shell_support.h"
#include "seller/wizards/bravant_wizards.h"

using namespace tendrel;
using namespace publishtest;
using shelltest::Control;

namespace {

class PublishWizardTest : public PublishFixture {
 protected:
  void SetUp() override {
    PublishFixture::SetUp();
    InitResources();
  }
  void TearDown() override {
    form.reset();
    PublishFixture::TearDown();
  }

  // The window as the program starts it with a vendor ID: on Create.
  void Open() {
    if (vendorId.empty()) ctx.Settings().WriteText("Vendor", "ID", "1001");
    form = std::make_unique<TMainForm>(ctx, probe, BravantWizards());
    ASSERT_TRUE(form->Start());
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    wizard = dynamic_cast<PublishWizard*>(form->WizardFor(kPublishWizard));
    ASSERT_NE(wizard, nullptr);
    pages = Control<QStackedWidget>(*form, "pgUploadWizard");
    next = Control<QPushButton>(*form, "btnUploadNext");
    back = Control<QPushButton>(*form, "btnUploadBack");
  }
  template <typename T = QWidget>
  T* Get(const char* name) {
    return Control<T>(*form, name);
  }
  std::vector<std::string> Next() {
    dialogs.shown.clear();
    next->click();
    return dialogs.MessageTexts();
  }
  // The page the section picture stands on, or "" when it is not shown.
  std::string SectionPictureOn() {
    auto* picture = Get<KeyedPicture>("imgUploadWizard");
    if (!picture->isVisible()) return "";
    return picture->parentWidget()->objectName().toStdString();
  }
  QTreeWidget* List() { return Get<QTreeWidget>("lvApplets"); }
  std::string RowStatus(int row = 0) { return List()->topLevelItem(row)->text(1).toStdString(); }

  // A product made through the Create wizard's pages, ending with its Finish
  // (which hands over to Publish).
  void Create(const char* kindButton, const std::string& file, const std::string& preview = {}) {
    form->SwitchTo(kCreateWizard);
    Get<QPushButton>(kindButton)->click();
    dialogs.fileAnswers = {file};
    Get<QPushButton>("btnBrowse")->click();
    auto* createNext = Get<QPushButton>("btnSaleboxNext");
    createNext->click();  // the layout
    createNext->click();  // name, price, description
    Get<QLineEdit>("txtName")->setText(QStringLiteral("Poems of O'Hara"));
    Get<QLineEdit>("txtCost")->setText(QStringLiteral("25"));
    Get<QPlainTextEdit>("txtDescription")->setPlainText(QStringLiteral("Short & sweet"));
    createNext->click();  // the preview image
    Get<QLineEdit>("txtPreviewURL")->setText(QString::fromStdString(preview));
    dialogs.shown.clear();
    createNext->click();  // Finish
    ASSERT_EQ(form->ActiveWizard(), kPublishWizard) << (dialogs.shown.empty() ? "" : dialogs.shown[0].text);
  }
  // From the first page to the last with a server chosen as "Last Server".
  void WalkToFinish() {
    ASSERT_EQ(pages->currentIndex(), kIntroPage);
    ASSERT_TRUE(Next().empty());
    ASSERT_TRUE(Get<QRadioButton>("optUploadSalebox")->isChecked());
    ASSERT_TRUE(Next().empty());
    ASSERT_EQ(pages->currentIndex(), kChooseServerPage);
    ASSERT_TRUE(Next().empty());
    ASSERT_TRUE(Next().empty());
    ASSERT_EQ(pages->currentIndex(), kRegisterUploadPage);
  }
  void WaitForTheWork() { ASSERT_TRUE(QTest::qWaitFor([this] { return !wizard->Working(); }, 60000)); }

  shelltest::FakeProbe probe;
  std::unique_ptr<TMainForm> form;
  PublishWizard* wizard = nullptr;
  QStackedWidget* pages = nullptr;
  QPushButton* next = nullptr;
  QPushButton* back = nullptr;
};

struct Made {
  const char* name;
  const char* kindButton;
  const char* file;
  const char* encoded;
  const char* mediaType;
};

void PrintTo(const Made& made, std::ostream* os) { *os << made.name; }

class PublishFromCreate : public PublishWizardTest, public ::testing::WithParamInterface<Made> {};

}  // namespace

// Create's Finish, the walk through Publish, and Finish: the product is
// registered, its files are on the server, its ID is in the record that the
// Output wizard writes into the page, and the service decodes the upload.
TEST_P(PublishFromCreate, FinishRegistersUploadsAndHandsTheIdToOutput) {
  const Made made = GetParam();
  StartService();
  FtpStandIn& ftp = StartFtp();
  ServerStore(ctx.Settings()).SetLastServer(kServerName);
  std::string source;
  if (std::string(made.file) == "photo.png") {
    QImage img(64, 48, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    source = files + "/photo.png";
    ASSERT_TRUE(img.save(QString::fromStdString(source), "PNG"));
  } else {
    source = File(made.file, "<html><body><p>Once upon a time.</p></body></html>\r\n");
  }
  const QByteArray original = ReadAll(source);
  const std::string teaser = File("teaser.gif", "GIF89a teaser");
  Open();
  Create(made.kindButton, source, teaser);
  WalkToFinish();
  ASSERT_EQ(List()->topLevelItemCount(), 1);
  EXPECT_EQ(List()->topLevelItem(0)->text(0), QStringLiteral("Poems of O'Hara"));
  EXPECT_EQ(ctx.Applet().MediaType, made.mediaType);

  dialogs.shown.clear();
  next->click();
  // The work runs on the worker: every button waits for it.
  EXPECT_TRUE(wizard->Working());
  for (const char* name : {"btnUploadNext", "btnUploadBack", "btnClose", "btnSalebox", "btnRegister"})
    EXPECT_FALSE(Get<QPushButton>(name)->isEnabled()) << name;
  WaitForTheWork();

  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kPublishSucceededMessage});
  EXPECT_EQ(form->ActiveWizard(), kOutputWizard);
  EXPECT_TRUE(form->WizardEnabled(kOutputWizard));
  EXPECT_TRUE(form->WizardEnabled(kCreateWizard));
  // Output has taken the Create wizard's fields into the record: the new ID
  // is still there.
  EXPECT_EQ(ctx.Applet().ProductID, "5001");
  EXPECT_EQ(ctx.Applet().UploadState, "Uploaded");
  EXPECT_FALSE(Get<QLabel>("lblUploadStatus")->isVisible());
  const std::string uploaded = ftp.HomePath(std::string(kStartDir) + "/" + made.encoded);
  EXPECT_EQ(DecodedByService("5001", uploaded), original);
  EXPECT_EQ(ftp.FileText("www/teaser.gif"), "GIF89a teaser");
  EXPECT_EQ(ReadAll(source), original);
  const std::vector<std::string> sent = Registrations();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(QueryFields(sent[0])[3].second, "Poems%20of%20O%60Hara");
  EXPECT_EQ(QueryFields(sent[0])[6].second, std::string("http://www.example.com/%7Evendor/") + made.encoded);

  // Back in Publish the registered product is listed no more.
  form->SwitchTo(kPublishWizard);
  EXPECT_EQ(List()->topLevelItemCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(TextImageAndHtml, PublishFromCreate,
                         ::testing::Values(Made{"Text", "btnSaleboxText", "story.txt", "story.etxt", "text/plain"},
                                           Made{"Image", "btnSaleboxImage", "photo.png", "photo.epng", "image/png"},
                                           Made{"Html", "btnSaleboxHTML", "page.htm", "page.ehtm", "text/html"}),
                         [](const ::testing::TestParamInfo<Made>& info) { return std::string(info.param.name); });

// While the service takes its time the window goes on painting the step
// shown on the status line and in the row.
TEST_F(PublishWizardTest, TheStatusLineAndTheRowShowTheStepWhileTheWorkerWaits) {
  StartService({QStringLiteral("--slow"), QStringLiteral("1.5")});
  StartFtp();
  ServerStore(ctx.Settings()).SetLastServer(kServerName);
  Open();
  Create("btnSaleboxText", File("story.txt", "Once upon a time."));
  WalkToFinish();
  next->click();
  auto* status = Get<QLabel>("lblUploadStatus");
  EXPECT_TRUE(QTest::qWaitFor([&] { return status->text() == QLatin1String(kStatusRegistering); }, 20000));
  EXPECT_TRUE(status->isVisible());
  EXPECT_EQ(RowStatus(), "Registering Poems of O'Hara");
  EXPECT_FALSE(next->isEnabled());
  // Cancel waits too.
  EXPECT_FALSE(wizard->Cancel());
  WaitForTheWork();
  EXPECT_EQ(form->ActiveWizard(), kOutputWizard);
  EXPECT_EQ(status->text(), QString());
}

TEST_F(PublishWizardTest, AFailedRunStaysOnTheLastPageWithTheRowsError) {
  StartService({QStringLiteral("--no-token")});
  StartFtp();
  ServerStore(ctx.Settings()).SetLastServer(kServerName);
  Open();
  Create("btnSaleboxText", File("story.txt", "Once upon a time."));
  WalkToFinish();
  next->click();
  WaitForTheWork();
  const std::vector<std::string> shown = dialogs.MessageTexts();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1], kRegistrationFailedMessage);
  EXPECT_EQ(form->ActiveWizard(), kPublishWizard);
  EXPECT_EQ(pages->currentIndex(), kRegisterUploadPage);
  EXPECT_EQ(RowStatus(), kRowRegistrationFailed);
  EXPECT_TRUE(next->isEnabled());
  EXPECT_TRUE(back->isEnabled());
  EXPECT_FALSE(Get<QLabel>("lblUploadStatus")->isVisible());
}

TEST_F(PublishWizardTest, AnEmptyListGoesStraightToOutputWithoutConnecting) {
  StartService();
  FtpStandIn& ftp = StartFtp();
  ServerStore(ctx.Settings()).SetLastServer(kServerName);
  Open();
  Create("btnSaleboxText", File("story.txt", "Once upon a time."));
  WalkToFinish();
  List()->topLevelItem(0)->setSelected(true);
  Get<QPushButton>("btnRemove")->click();
  EXPECT_EQ(List()->topLevelItemCount(), 0);
  EXPECT_EQ(ctx.Applet().ProductName, "Poems of O'Hara");  // the record stays as it is
  EXPECT_TRUE(Next().empty());
  WaitForTheWork();
  EXPECT_EQ(form->ActiveWizard(), kOutputWizard);
  EXPECT_EQ(ftp.Connections(), 0u);
  EXPECT_TRUE(service->Requests().empty());
}

TEST_F(PublishWizardTest, WithoutServersTheEditorComesFirstAndEachPageIsChecked) {
  Open();
  form->SwitchTo(kPublishWizard);
  EXPECT_TRUE(Get<QRadioButton>("optEditServers")->isChecked());
  EXPECT_EQ(pages->currentIndex(), kIntroPage);
  EXPECT_FALSE(back->isEnabled());
  EXPECT_EQ(next->text(), QStringLiteral("Next >&>"));
  EXPECT_EQ(SectionPictureOn(), "tabIntroduction");
  EXPECT_FALSE(Get<KeyedPicture>("imgUploadWizardGo")->isVisible());
  EXPECT_FALSE(Get<QPushButton>("btnUploadHelp")->isVisible());

  EXPECT_TRUE(Next().empty());
  EXPECT_TRUE(back->isEnabled());
  EXPECT_EQ(SectionPictureOn(), "tabEditOrUpload");
  EXPECT_TRUE(Next().empty());
  EXPECT_EQ(pages->currentIndex(), kServerDefinitionPage);
  EXPECT_EQ(SectionPictureOn(), "");
  EXPECT_EQ(Next(), std::vector<std::string>{kNoServerDefined});
  EXPECT_EQ(pages->currentIndex(), kServerDefinitionPage);

  dialogs.inputAnswers = {std::string("Home")};
  Get<QPushButton>("btnNewServer")->click();
  // The server is stored with its first value.
  auto* address = Get<QLineEdit>("txtAddress");
  address->setFocus(Qt::TabFocusReason);
  QTest::keyClicks(address, QStringLiteral("ftp.example.com"));
  next->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(Next().empty());
  EXPECT_EQ(pages->currentIndex(), kChooseServerPage);
  // The new server reached the list, but nothing is chosen yet.
  auto* servers = Get<QListWidget>("lstChooseServer");
  ASSERT_EQ(servers->count(), 1);
  EXPECT_EQ(Next(), std::vector<std::string>{kChooseServerMessage});
  EXPECT_EQ(pages->currentIndex(), kChooseServerPage);
  servers->setCurrentRow(0);
  EXPECT_TRUE(Next().empty());
  EXPECT_EQ(pages->currentIndex(), kInstallClassesPage);
  EXPECT_TRUE(Next().empty());
  EXPECT_EQ(pages->currentIndex(), kRegisterUploadPage);
  EXPECT_EQ(next->text(), QStringLiteral("&Finish"));
  EXPECT_TRUE(Get<KeyedPicture>("imgUploadWizardGo")->isVisible());
  EXPECT_EQ(SectionPictureOn(), "tabRegisterUpload");

  // Back walks every page when the editor was chosen.
  back->click();
  EXPECT_FALSE(Get<KeyedPicture>("imgUploadWizardGo")->isVisible());
  back->click();
  back->click();
  EXPECT_EQ(pages->currentIndex(), kServerDefinitionPage);

  // Cancel asks; No stays.
  dialogs.messageAnswers = {MsgResult::No};
  Get<QPushButton>("btnClose")->click();
  EXPECT_EQ(form->ActiveWizard(), kPublishWizard);
  EXPECT_EQ(dialogs.shown.back().text, kCancelPublishQuestion);
}

TEST_F(PublishWizardTest, WithAServerTheEditorIsSkippedBothWays) {
  DefineServer("ftp.example.com", "pw");
  ServerStore(ctx.Settings()).SetLastServer(kServerName);
  Open();
  form->SwitchTo(kPublishWizard);
  EXPECT_TRUE(Get<QRadioButton>("optUploadSalebox")->isChecked());
  Next();
  Next();
  EXPECT_EQ(pages->currentIndex(), kChooseServerPage);
  back->click();
  EXPECT_EQ(pages->currentIndex(), kEditOrUploadPage);
  // Neither option: Next stays.
  Get<QRadioButton>("optUploadSalebox")->setAutoExclusive(false);
  Get<QRadioButton>("optUploadSalebox")->setChecked(false);
  EXPECT_TRUE(Next().empty());
  EXPECT_EQ(pages->currentIndex(), kEditOrUploadPage);
  // The section is entered on its first page every time.
  form->SwitchTo(kCreateWizard);
  form->SwitchTo(kPublishWizard);
  EXPECT_EQ(pages->currentIndex(), kIntroPage);
}

// A registered product is listed only with the box ticked; the box and the
// label beside it store the choice, and the last page starts from it.
TEST_F(PublishWizardTest, TheProcessAllBoxDecidesWhetherARegisteredProductIsListed) {
  DefineServer("ftp.example.com", "pw");
  ServerStore(ctx.Settings()).SetLastServer(kServerName);
  ctx.Applet().ProductName = "Poems";
  ctx.Applet().ProductID = "77";
  Open();  // the record into Create's pages
  form->SwitchTo(kPublishWizard);
  EXPECT_EQ(List()->topLevelItemCount(), 0);
  EXPECT_EQ(ctx.Applet().ProductID, "77");

  auto* box = Get<QCheckBox>("chkProcessAll");
  auto* label = Get<QLabel>("lblAlreadyRegistered");
  EXPECT_EQ(box->text(), QStringLiteral("Process Salebox even if "));
  EXPECT_EQ(label->text(), QStringLiteral("already registered."));
  EXPECT_EQ(List()->headerItem()->text(0), QStringLiteral("File"));
  EXPECT_EQ(List()->headerItem()->text(1), QStringLiteral("Status"));
  EXPECT_EQ(List()->columnWidth(0), 135);
  EXPECT_EQ(List()->columnWidth(1), 162);
  EXPECT_EQ(List()->selectionMode(), QAbstractItemView::ExtendedSelection);

  box->click();
  EXPECT_EQ(ctx.Settings().ReadText("Options", kProcessAllValue, ""), "Yes");
  ASSERT_EQ(List()->topLevelItemCount(), 1);
  EXPECT_EQ(List()->topLevelItem(0)->text(0), QStringLiteral("Poems"));
  List()->topLevelItem(0)->setSelected(true);
  Get<QPushButton>("btnRemove")->click();
  EXPECT_EQ(List()->topLevelItemCount(), 0);
  // The label rebuilds the list without changing the box.
  QTest::mouseClick(label, Qt::LeftButton);
  EXPECT_TRUE(box->isChecked());
  EXPECT_EQ(List()->topLevelItemCount(), 1);
  box->click();
  EXPECT_EQ(ctx.Settings().ReadText("Options", kProcessAllValue, ""), "No");
  EXPECT_EQ(List()->topLevelItemCount(), 0);

  // Arriving at the last page sets the box from the setting, whatever its case.
  ctx.Settings().WriteText("Options", kProcessAllValue, "yES");
  form->SwitchTo(kCreateWizard);
  form->SwitchTo(kPublishWizard);
  EXPECT_EQ(List()->topLevelItemCount(), 0);
  Next();
  Next();
  Next();
  Next();
  EXPECT_EQ(pages->currentIndex(), kRegisterUploadPage);
  EXPECT_TRUE(box->isChecked());
  EXPECT_EQ(List()->topLevelItemCount(), 1);
}

// No to the question records the server as installed and disables the
// button; choosing another server gives it back.
TEST_F(PublishWizardTest, TheInstallButtonFollowsTheChosenServer) {
  StartService();
  FtpStandIn& ftp = StartFtp();
  tendrel::ServerStore store(ctx.Settings());
  store.Write("Shop", ServerField::Address, "ftp.shop.example.com");
  store.SetLastServer(kServerName);
  Open();
  form->SwitchTo(kPublishWizard);
  Next();
  Next();
  Next();
  ASSERT_EQ(pages->currentIndex(), kInstallClassesPage);
  auto* install = Get<QPushButton>("btnInstallClasses");
  EXPECT_EQ(install->text(), QStringLiteral("&Install Tillon Java Classes"));
  EXPECT_TRUE(install->isEnabled());
  dialogs.messageAnswers = {MsgResult::No};
  install->click();
  EXPECT_FALSE(install->isEnabled());
  EXPECT_EQ(ctx.Settings().ReadText(ServerStore::Section(kServerName), "Installed Classes", ""), "1");
  EXPECT_EQ(ftp.Connections(), 0u);

  back->click();
  auto* servers = Get<QListWidget>("lstChooseServer");
  servers->setCurrentRow(servers->row(servers->findItems(QStringLiteral("Shop"), Qt::MatchExactly).at(0)));
  EXPECT_TRUE(install->isEnabled());
  servers->setCurrentRow(servers->row(servers->findItems(QString::fromLatin1(kServerName), Qt::MatchExactly).at(0)));

  // Yes installs on the worker; the button stays off until it is over, and
  // then for good.
  Next();
  ASSERT_EQ(pages->currentIndex(), kInstallClassesPage);
  EXPECT_TRUE(install->isEnabled());
  dialogs.messageAnswers = {MsgResult::Yes};
  install->click();
  EXPECT_FALSE(install->isEnabled());
  EXPECT_FALSE(next->isEnabled());
  WaitForTheWork();
  EXPECT_FALSE(install->isEnabled());
  EXPECT_TRUE(next->isEnabled());
  EXPECT_TRUE(ftp.Exists("www/classes/tillon/salebox/README.txt"));
  EXPECT_FALSE(ftp.Exists("www/classes/products"));
}
