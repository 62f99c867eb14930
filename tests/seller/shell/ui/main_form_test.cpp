#include "seller/shell/ui/main_form.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>

#include "platform/qt/qt_dialogs.h"
#include "resources/resources.h"
#include "seller/authoring/applet.h"
#include "seller/shell/context.h"
#include "seller/shell/startup.h"
#include "seller/shell/ui/drawing.h"
#include "shell_support.h"
#include "support/temp_home.h"

using namespace tendrel;
using shelltest::FakeProbe;

namespace {

// Counts the entry steps each wizard runs.
class CountingPage : public WizardPage {
 public:
  explicit CountingPage(int& entries) : entries_(entries) {}
  void Enter() override { ++entries_; }

 private:
  int& entries_;
};

std::string SaleboxTag(const std::string& vendorId) {
  TApplet a;
  a.ProductName = "Poems";
  a.VendorID = vendorId;
  a.Width = "400";
  a.Height = "300";
  a.Cost = "25";
  a.MediaType = "text/plain";
  return a.BuildTag();
}

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override { InitResources(); }

  // Puts `text` into the host's page and selects all of it.
  void Select(const std::string& text) {
    probe.host->doc.ReplaceAll("<p>" + text + "</p>");
    probe.host->doc.SetSelection(3, static_cast<int>(text.size()));
  }

  TempHome home;
  ScriptedDialogs dialogs;
  BravantContext ctx{dialogs};
  FakeProbe probe;
};

TEST_F(MainFormTest, HostAbsentShowsTheErrorAndStartFails) {
  probe.window = false;
  TMainForm form(ctx, probe);
  EXPECT_FALSE(form.Start());
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text,
            "This program can only be run from within  Marquill. Please start Marquill and try "
            "again.");
  EXPECT_EQ(dialogs.shown[0].caption, "Error");
  EXPECT_EQ(probe.creations, 0);
  EXPECT_FALSE(form.ActiveWizard().has_value());
}

TEST_F(MainFormTest, HostObjectFailureIsReportedAndStartGoesOn) {
  probe.host.reset();
  TMainForm form(ctx, probe);
  EXPECT_TRUE(form.Start());
  EXPECT_EQ(dialogs.MessageTexts(),
            std::vector<std::string>{"An error occurred while connecting to Marquill."});
  EXPECT_EQ(ctx.Host(), nullptr);
  EXPECT_EQ(form.ActiveWizard(), Wizard::Join);
}

TEST_F(MainFormTest, FirstWizardAndButtonsFollowVendorAndSelection) {
  const struct {
    const char* name;
    std::string vendorId;  // stored Vendor/ID
    std::string selection;
    Wizard first;
    bool edit, create, publish, output;
  } cases[] = {
      {"no vendor ID", "", "", Wizard::Join, false, false, false, false},
      {"no vendor ID, Salebox selected", "", SaleboxTag("V7"), Wizard::Join, true, false, true,
       true},
      {"Salebox naming a vendor", "V7", SaleboxTag("V7"), Wizard::Create, true, true, true, true},
      {"Salebox naming no vendor", "V7", SaleboxTag(""), Wizard::Create, true, true, false, true},
      {"ordinary selection", "V7", "<b>hello</b>", Wizard::Create, false, true, false, false},
      {"other applet selected", "V7", "<applet code=\"Clock\"></applet>", Wizard::Create, false,
       true, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempHome caseHome;
    ScriptedDialogs caseDialogs;
    BravantContext caseCtx(caseDialogs);
    FakeProbe caseProbe;
    caseCtx.Settings().WriteText("Vendor", "ID", c.vendorId);
    caseProbe.host->doc.ReplaceAll("<p>" + c.selection + "</p>");
    caseProbe.host->doc.SetSelection(3, static_cast<int>(c.selection.size()));

    TMainForm form(caseCtx, caseProbe);
    ASSERT_TRUE(form.Start());
    EXPECT_TRUE(caseDialogs.shown.empty());
    EXPECT_EQ(form.ActiveWizard(), c.first);
    EXPECT_EQ(form.pcMain->currentIndex(), static_cast<int>(c.first));
    EXPECT_EQ(form.EditMode(), c.edit);
    EXPECT_EQ(form.btnSalebox->isEnabled(), c.create);
    EXPECT_EQ(form.btnPublish->isEnabled(), c.publish);
    EXPECT_EQ(form.btnOutput->isEnabled(), c.output);
    EXPECT_TRUE(form.btnRegister->isEnabled());
    // The Create wizard's pages show only when a Salebox is being edited.
    EXPECT_EQ(form.pgEditApplet->isHidden(), !c.edit);
    if (c.edit) {
      EXPECT_EQ(caseCtx.Applet().ProductName, "Poems");
    }
  }
}

TEST_F(MainFormTest, SwitchRunsTheEntryStepOnlyWhenTheWizardChanges) {
  ctx.Settings().WriteText("Vendor", "ID", "V7");
  int entries[kWizardCount] = {};
  TMainForm form(ctx, probe);
  for (int i = 0; i < kWizardCount; ++i)
    form.SetWizardPage(static_cast<Wizard>(i), std::make_unique<CountingPage>(entries[i]));
  ASSERT_TRUE(form.Start());
  EXPECT_EQ(entries[0], 1);  // start-up entered Create once

  form.btnSalebox->click();
  form.SwitchTo(Wizard::Create);
  EXPECT_EQ(entries[0], 1);

  form.btnRegister->click();
  form.btnRegister->click();
  EXPECT_EQ(entries[3], 1);
  EXPECT_EQ(form.pcMain->currentWidget(), form.tbRegister);
  EXPECT_EQ(form.pbxTillon->parentWidget(), form.tbRegister);

  form.btnSalebox->click();
  EXPECT_EQ(entries[0], 2);
  EXPECT_EQ(form.pbxTillon->parentWidget(), form.tbSalebox);
  EXPECT_EQ(entries[1] + entries[2], 0);
}

TEST_F(MainFormTest, CloseAsksOnlyWhileTheSaleboxIsNotPlaced) {
  TMainForm form(ctx, probe);
  ASSERT_TRUE(form.Start());
  form.show();

  ctx.saleboxPlaced = false;
  dialogs.messageAnswers = {MsgResult::No};
  EXPECT_FALSE(form.close());
  EXPECT_TRUE(form.isVisible());
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text,
            "You have not yet put the current Salebox into Marquill. Would you still like to "
            "close this program ?");
  EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::YesNo);

  dialogs.messageAnswers = {MsgResult::Yes};
  EXPECT_TRUE(form.close());

  form.show();
  ctx.saleboxPlaced = true;
  EXPECT_TRUE(form.close());
  EXPECT_EQ(dialogs.shown.size(), 2u);  // no question this time
}

TEST_F(MainFormTest, CancelQuestionsActOnlyOnYes) {
  ctx.Settings().WriteText("Vendor", "ID", "V7");
  Select(SaleboxTag("V7"));
  TMainForm form(ctx, probe);
  ASSERT_TRUE(form.Start());
  form.SwitchTo(Wizard::Publish);

  dialogs.messageAnswers = {MsgResult::No, MsgResult::Yes};
  EXPECT_FALSE(form.CancelPublishWizard());
  EXPECT_EQ(form.ActiveWizard(), Wizard::Publish);
  EXPECT_TRUE(form.CancelPublishWizard());
  EXPECT_EQ(form.ActiveWizard(), Wizard::Create);

  ctx.saleboxPlaced = false;
  dialogs.messageAnswers = {MsgResult::No, MsgResult::Yes};
  EXPECT_FALSE(form.CancelCreateWizard());
  EXPECT_EQ(ctx.Applet().ProductName, "Poems");
  EXPECT_TRUE(form.CancelCreateWizard());
  EXPECT_EQ(ctx.Applet().ProductName, "");
  EXPECT_TRUE(ctx.saleboxPlaced);
  EXPECT_FALSE(form.btnPublish->isEnabled());
  EXPECT_FALSE(form.btnOutput->isEnabled());
  EXPECT_TRUE(form.pgEditApplet->isHidden());
  EXPECT_EQ(dialogs.MessageTexts(),
            (std::vector<std::string>{kCancelPublishQuestion, kCancelPublishQuestion,
                                      kCancelCreateQuestion, kCancelCreateQuestion}));
}

TEST_F(MainFormTest, HelpFileIsFoundBesideTheHostAndVendorIdGoesToTheClipboard) {
  const QString appPath = QString::fromStdString(home.root()) + "/marquill";
  ASSERT_TRUE(QDir().mkpath(appPath + "/help"));
  QFile help(appPath + "/help/bravant.html");
  ASSERT_TRUE(help.open(QIODevice::WriteOnly));
  help.close();
  probe.host->appPath = appPath.toStdString();
  ctx.Settings().WriteText("Vendor", "ID", "V-123");

  TMainForm form(ctx, probe);
  ASSERT_TRUE(form.Start());
  EXPECT_EQ(form.HelpFile(), appPath.toStdString() + "/help/bravant.html");
  form.mnuVendorID->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("V-123"));

  FakeProbe noHelp;
  TMainForm other(ctx, noHelp);
  ASSERT_TRUE(other.Start());
  EXPECT_EQ(other.HelpFile(), "");
}

TEST(InformationText, LinesFollowHostLoggingAndVendorId) {
  EXPECT_EQ(InformationText(true, true, "Smith & Sons", "Ann", "V7"),
            "Bravant 1.0\r\nLinked to Marquill\r\nWriting log file \"tlnlog.txt\"\r\n\r\n"
            "Company : Smith & Sons\r\nContact : Ann\r\n\r\nVendor ID : V7");
  EXPECT_EQ(InformationText(false, false, "", "", ""),
            "Bravant 1.0\r\n\r\nCompany : \r\nContact : ");
}

TEST_F(MainFormTest, InformationBoxShowsASingleAmpersand) {
  QtUserDialogs real;
  BravantContext realCtx(real);
  realCtx.Settings().WriteText("Vendor", "Company Name", "Smith & Sons");
  realCtx.Settings().WriteText("Options", "Logging", "yES");
  TMainForm form(realCtx, probe);
  ASSERT_TRUE(form.Start());

  QString shown;
  QString caption;
  Qt::TextFormat format = Qt::AutoText;
  shelltest::WhenModal([&](QWidget* w) {
    caption = w->windowTitle();
    if (auto* label = w->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
      shown = label->text();
      format = label->textFormat();
    }
    if (auto* box = qobject_cast<QMessageBox*>(w)) box->button(QMessageBox::Ok)->click();
  });
  form.mnuAbout->trigger();
  EXPECT_EQ(caption, QStringLiteral("Bravant"));
  EXPECT_TRUE(shown.contains(QStringLiteral("Company : Smith & Sons"))) << shown.toStdString();
  EXPECT_FALSE(shown.contains(QStringLiteral("&&")));
  EXPECT_EQ(format, Qt::PlainText);  // a company name is never taken for markup
  EXPECT_TRUE(shown.contains(QStringLiteral("Writing log file \"tlnlog.txt\"")));
  EXPECT_TRUE(shown.contains(QStringLiteral("Linked to Marquill")));
}

}  // namespace
