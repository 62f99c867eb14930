// The Create wizard as a user meets it in Bravant's window: the kind buttons,
// the file shown, the checks before a page is left, and the record Finish
// writes.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTest>
#include <string>
#include <vector>

#include "resources/resources.h"
#include "seller/authoring/create_fields.h"
#include "seller/authoring/ui/create_wizard.h"
#include "seller/shell/context.h"
#include "seller/shell/ui/main_form.h"
#include "seller/shell/ui/shell_support.h"
#include "seller/wizards/bravant_wizards.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"

using namespace tendrel;
using shelltest::Control;

namespace {

class CreateWizardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitResources();
    ctx.Settings().WriteText("Vendor", "ID", "V7");
    files = home.root() + "/files";
    QDir().mkpath(QString::fromStdString(files));
  }
  void Open() {
    form = std::make_unique<TMainForm>(ctx, probe, BravantWizards());
    ASSERT_TRUE(form->Start());
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    pages = Control<QStackedWidget>(*form, "pgEditApplet");
    next = Control<QPushButton>(*form, "btnSaleboxNext");
  }
  template <typename T = QLineEdit>
  T* Field(const char* name) {
    return Control<T>(*form, name);
  }
  std::string Image(const char* name, int w, int h, const char* format) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    const std::string path = files + "/" + name;
    EXPECT_TRUE(img.save(QString::fromStdString(path), format));
    return path;
  }
  std::string Text(const char* name, const std::string& text) {
    const std::string path = files + "/" + name;
    QFile f(QString::fromStdString(path));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.c_str());
    return path;
  }
  void Kind(const char* button) { Control<QPushButton>(*form, button)->click(); }
  void Choose(const std::string& path) {
    dialogs.fileAnswers = {path};
    Control<QPushButton>(*form, "btnBrowse")->click();
  }
  std::vector<std::string> Next() {
    dialogs.shown.clear();
    next->click();
    return dialogs.MessageTexts();
  }

  TempHome home;
  ScriptedDialogs dialogs;
  BravantContext ctx{dialogs};
  shelltest::FakeProbe probe;
  std::unique_ptr<TMainForm> form;
  QStackedWidget* pages = nullptr;
  QPushButton* next = nullptr;
  std::string files;
};

}  // namespace

TEST_F(CreateWizardTest, PagesWaitForAKindThenTheFilePageIsSetUpForIt) {
  Open();
  ASSERT_EQ(form->ActiveWizard(), kCreateWizard);
  EXPECT_FALSE(pages->isVisible());
  EXPECT_FALSE(Field<QWidget>("pnlEditApplet")->isVisible());
  EXPECT_EQ(Field<QLabel>("lblChooseKind")->text().toStdString(), kChooseKindPrompt);
  EXPECT_TRUE(Field<QLabel>("lblChooseKind")->isVisible());

  Kind("btnSaleboxHTML");
  EXPECT_TRUE(pages->isVisible());
  EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("tbFile"));
  EXPECT_EQ(ctx.Applet().MediaType, "text/html");
  EXPECT_EQ(Field<QLabel>("lblChooseFileType")->text(),
            QStringLiteral("Choose an HTML file that you wish to sell using Tillon"));
  EXPECT_TRUE(Field<QLabel>("lblHTMLWarning")->isVisible());
  EXPECT_EQ(Field<QLabel>("lblChooseFileType")->y(), 4);
  EXPECT_EQ(Field<QPushButton>("btnBrowse")->y(), 51);
  EXPECT_EQ(Field("txtFile")->y(), Field<QPushButton>("btnBrowse")->y() + 1);
  auto* frame = Field<QCheckBox>("chkFrame");
  EXPECT_TRUE(frame->isChecked());
  EXPECT_FALSE(frame->isEnabled());

  // Another kind with nothing entered: no question, the neutral layout.
  Kind("btnSaleboxText");
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(ctx.Applet().MediaType, "text/plain");
  EXPECT_FALSE(Field<QLabel>("lblHTMLWarning")->isVisible());
  EXPECT_EQ(Field<QLabel>("lblChooseFileType")->y(), 12);
  EXPECT_EQ(Field<QPushButton>("btnBrowse")->y(), 40);
  EXPECT_TRUE(frame->isEnabled());
  EXPECT_TRUE(Field<QPlainTextEdit>("memText")->isVisible());
  EXPECT_FALSE(Field<QScrollArea>("scrImage")->isVisible());
}

TEST_F(CreateWizardTest, ImagesProposeTheirSizeAndMediaTypeAsSpelled) {
  Open();
  Kind("btnSaleboxImage");
  EXPECT_TRUE(Field<QScrollArea>("scrImage")->isVisible());
  ctx.Settings().WriteText("Directories", "Tillon Image", "/pics");
  Choose(Image("small.JPG", 150, 120, "JPG"));
  EXPECT_EQ(dialogs.shown.back().file.initialDir, "/pics");
  EXPECT_EQ(dialogs.shown.back().file.filter, "gif,jpg|*.gif;*.jpg|All Files|*.*");
  EXPECT_EQ(ctx.Applet().MediaType, "image/JPG");
  EXPECT_EQ(Field("txtWidth")->text(), QStringLiteral("200"));
  EXPECT_EQ(Field("txtHeight")->text(), QStringLiteral("300"));
  EXPECT_EQ(Field("txtName")->text(), QStringLiteral("small.JPG"));
  EXPECT_EQ(ctx.Settings().ReadText("Directories", "Tillon Image", ""), files);
  EXPECT_FALSE(ctx.State().SaleboxPlaced());

  // Choosing again asks first; No keeps everything.
  dialogs.messageAnswers = {MsgResult::No};
  Kind("btnSaleboxImage");
  EXPECT_EQ(dialogs.MessageTexts().back(), kClearQuestion);
  EXPECT_EQ(Field("txtName")->text(), QStringLiteral("small.JPG"));
  Choose(Image("photo.jpg", 640, 480, "JPG"));
  EXPECT_EQ(ctx.Applet().MediaType, "image/jpeg");
  EXPECT_EQ(Field("txtWidth")->text(), QStringLiteral("640"));
  EXPECT_EQ(Field("txtHeight")->text(), QStringLiteral("480"));
  auto* shown = Field<QLabel>("ilPreview");
  EXPECT_EQ(shown->pixmap().size(), QSize(640, 480));

  // An image that cannot be read changes nothing.
  const std::string broken = Text("broken.gif", "GIF89a not really");
  dialogs.shown.clear();
  Choose(broken);
  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{UnreadableImageMessage()});
  EXPECT_EQ(Field("txtFile")->text().toStdString(), files + "/photo.jpg");
  EXPECT_EQ(Field("txtName")->text(), QStringLiteral("photo.jpg"));
  EXPECT_EQ(ctx.Applet().MediaType, "image/jpeg");
  EXPECT_EQ(Field("txtWidth")->text(), QStringLiteral("640"));

  // Yes clears and starts afresh.
  dialogs.messageAnswers = {MsgResult::Yes};
  Kind("btnSaleboxText");
  EXPECT_EQ(Field("txtFile")->text(), QString());
  EXPECT_EQ(Field("txtName")->text(), QString());
  EXPECT_TRUE(ctx.State().SaleboxPlaced());
}

TEST_F(CreateWizardTest, PagesAreCheckedBeforeTheyAreLeft) {
  Open();
  Kind("btnSaleboxText");
  EXPECT_EQ(Next(), std::vector<std::string>{kBrowseForFile});
  EXPECT_TRUE(Field("txtFile")->hasFocus());
  Choose(Text("story.txt", "Once upon a time\n"));
  EXPECT_EQ(Field<QPlainTextEdit>("memText")->toPlainText(), QStringLiteral("Once upon a time\n"));
  EXPECT_EQ(Field("txtWidth")->text(), QStringLiteral("400"));  // a text's defaults
  EXPECT_EQ(Field("txtHeight")->text(), QStringLiteral("400"));
  EXPECT_TRUE(Next().empty());
  EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("tbLayout"));
  EXPECT_TRUE(Control<QPushButton>(*form, "btnSaleboxBack")->isEnabled());

  Field("txtWidth")->setText(QStringLiteral("199"));
  EXPECT_EQ(Next(), std::vector<std::string>{kWidthTooSmall});
  EXPECT_EQ(Field("txtWidth")->text(), QStringLiteral("200"));
  EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("tbLayout"));
  EXPECT_TRUE(Field("txtWidth")->hasFocus());
  Field("txtHeight")->clear();
  EXPECT_EQ(Next(), std::vector<std::string>{kNeedHeight});
  Field("txtHeight")->setText(QStringLiteral("300"));
  EXPECT_TRUE(Next().empty());

  Field("txtName")->setText(QStringLiteral("2024"));
  EXPECT_EQ(Next(), std::vector<std::string>{kNumericName});
  EXPECT_TRUE(Field("txtName")->hasFocus());
  Field("txtName")->setText(QStringLiteral("2024 report"));
  Field("txtCost")->setFocus();
  Field("txtCost")->setText(QStringLiteral("-25"));
  Field<QPlainTextEdit>("txtDescription")->setFocus();  // leaving the cost
  EXPECT_EQ(Field("txtCost")->text(), QStringLiteral("25"));
  // The description keeps one line of at most 100 characters.
  Field<QPlainTextEdit>("txtDescription")->setPlainText(QString(60, QLatin1Char('a')) + QStringLiteral("\n") +
                                                          QString(60, QLatin1Char('b')));
  const QString description = Field<QPlainTextEdit>("txtDescription")->toPlainText();
  EXPECT_EQ(description.size(), 100);
  EXPECT_FALSE(description.contains(QLatin1Char('\n')));
  EXPECT_TRUE(Next().empty());

  EXPECT_EQ(next->text(), QStringLiteral("&Finish"));
  EXPECT_FALSE(Field<QPushButton>("btnCreate")->isEnabled());
  EXPECT_EQ(Field<QLabel>("lblPreviewHeading")->text().toStdString(), kOtherHeading);
  ctx.Settings().WriteText("Directories", "Preview Open", "/teasers");
  dialogs.fileAnswers = {files + "/teaser.gif"};
  Control<QPushButton>(*form, "btnBrowsePreview")->click();
  EXPECT_EQ(dialogs.shown.back().file.filter, kPreviewFilter);
  EXPECT_EQ(dialogs.shown.back().file.initialDir, "/teasers");
  EXPECT_EQ(ctx.Settings().ReadText("Directories", "Preview Open", ""), files);

  // Finish writes the record and hands over to Publish.
  EXPECT_TRUE(Next().empty());
  EXPECT_EQ(form->ActiveWizard(), kPublishWizard);
  EXPECT_TRUE(form->WizardEnabled(kPublishWizard));
  EXPECT_TRUE(form->WizardEnabled(kOutputWizard));
  const TApplet& r = ctx.Applet();
  EXPECT_EQ(r.SourceFile, files + "/story.txt");
  EXPECT_EQ(r.ProductName, "2024 report");
  EXPECT_EQ(r.Width, "200");
  EXPECT_EQ(r.Height, "300");
  EXPECT_EQ(r.Cost, "25");
  EXPECT_EQ(r.VendorID, "V7");
  EXPECT_EQ(r.PreviewURL, files + "/teaser.gif");
  EXPECT_EQ(r.MediaType, "text/plain");
  EXPECT_EQ(r.Description.size(), 100u);
}

TEST_F(CreateWizardTest, ARegisteredProductKeepsItsFileAndName) {
  ctx.Applet().MediaType = "image/png";
  ctx.Applet().ProductID = "P42";
  ctx.Applet().ProductName = "Sunset";
  ctx.Applet().SourceFile = Image("sunset.png", 320, 400, "PNG");
  ctx.Applet().Width = "320";
  ctx.Applet().Height = "400";
  Open();
  form->SwitchTo(kJoinWizard);
  form->SwitchTo(kCreateWizard);
  EXPECT_FALSE(Field("txtFile")->isEnabled());
  EXPECT_FALSE(Field("txtName")->isEnabled());
  EXPECT_FALSE(Control<QPushButton>(*form, "btnBrowse")->isEnabled());
  EXPECT_EQ(Field<QLabel>("ilPreview")->pixmap().size(), QSize(320, 400));
  EXPECT_EQ(Field("txtName")->text(), QStringLiteral("Sunset"));
  // The identifier stays the record's: committing the pages keeps it, and
  // keeps a new one a registration gave the record meanwhile.
  form->CommitWizard(kCreateWizard);
  EXPECT_EQ(ctx.Applet().ProductID, "P42");
  ctx.Applet().ProductID = "P43";
  form->CommitWizard(kCreateWizard);
  EXPECT_EQ(ctx.Applet().ProductID, "P43");
  EXPECT_EQ(ctx.Applet().ProductName, "Sunset");
}

TEST_F(CreateWizardTest, CancelAsksThenClearsAndHidesThePages) {
  Open();
  Kind("btnSaleboxText");
  Choose(Text("story.txt", "text"));
  dialogs.messageAnswers = {MsgResult::No};
  Control<QPushButton>(*form, "btnSaleboxCancel")->click();
  EXPECT_TRUE(pages->isVisible());
  EXPECT_FALSE(Field("txtFile")->text().isEmpty());
  dialogs.messageAnswers = {MsgResult::Yes};
  Control<QPushButton>(*form, "btnSaleboxCancel")->click();
  EXPECT_FALSE(pages->isVisible());
  EXPECT_TRUE(Field("txtFile")->text().isEmpty());
  EXPECT_TRUE(ctx.Applet().SourceFile.empty());
  EXPECT_TRUE(ctx.State().SaleboxPlaced());
  EXPECT_FALSE(form->WizardEnabled(kPublishWizard));
}

TEST_F(CreateWizardTest, MakingAPreviewNeedsAnImage) {
  Open();
  Kind("btnSaleboxText");
  pages->setCurrentIndex(kPreviewPage);
  dialogs.shown.clear();
  // The button is disabled for a text; a stray click still explains itself.
  Control<QPushButton>(*form, "btnCreate")->setEnabled(true);
  Control<QPushButton>(*form, "btnCreate")->click();
  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kChooseImageFirst});
}
