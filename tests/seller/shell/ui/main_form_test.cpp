#include "seller/shell/ui/main_form.h"

#include <gtest/gtest.h>

#include <map>

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>

#include "platform/qt/qt_dialogs.h"
#include "resources/resources.h"
#include "seller/authoring/applet.h"
#include "seller/authoring/ui/create_wizard.h"
#include "seller/publish/ui/publish_wizard.h"
#include "seller/shell/context.h"
#include "seller/shell/startup.h"
#include "seller/shell/ui/drawing.h"
#include "seller/wizards/bravant_wizards.h"
#include "shell_support.h"
#include "support/temp_home.h"
#include "support/scripted_dialogs.h"

using namespace tendrel;
using shelltest::Control;
using shelltest::FakeProbe;

namespace {

// Passes everything on to the real wizard and counts its entry steps.
class CountingWizard : public Wizard {
 public:
  CountingWizard(std::unique_ptr<Wizard> inner, int& entries)
      : inner_(std::move(inner)), entries_(entries) {}
  void Enter() override {
    ++entries_;
    inner_->Enter();
  }
  void BeginEdit() override { inner_->BeginEdit(); }
  void Reset() override { inner_->Reset(); }

 private:
  std::unique_ptr<Wizard> inner_;
  int& entries_;
};

// Bravant's table with each wizard's entry steps counted in `entries`, in
// table order.
WizardTable CountedWizards(int* entries) {
  WizardTable table = BravantWizards();
  for (size_t i = 0; i < table.size(); ++i) {
    WizardFactory real = table[i].make;
    int& count = entries[i];
    table[i].make = [real, &count](const WizardSite& site) -> std::unique_ptr<Wizard> {
      return std::make_unique<CountingWizard>(real(site), count);
    };
  }
  return table;
}

// The index of the page control's active page.
int ActivePage(const TMainForm& form) {
  return Control<QStackedWidget>(form, "pcMain")->currentIndex();
}

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

QPushButton* Button(const TMainForm& form, const char* name) {
  return Control<QPushButton>(form, name);
}

// Every wizard's controls live in the one window and are found by name (by
// tests, and by the screenshot walk): a name used twice would let one
// wizard's field stand in for another's.
TEST_F(MainFormTest, EveryNamedControlIsNamedOnce) {
  TMainForm form(ctx, probe, BravantWizards());
  std::map<QString, int> uses;
  for (const QObject* o : form.findChildren<QObject*>())
    if (!o->objectName().isEmpty() && !o->objectName().startsWith(QLatin1String("qt_"))) ++uses[o->objectName()];
  std::vector<std::string> twice;
  for (const auto& [name, count] : uses)
    if (count > 1) twice.push_back(name.toStdString());
  EXPECT_EQ(twice, std::vector<std::string>{});
  EXPECT_GT(uses.size(), 100u);  // all four wizards are there
}

TEST_F(MainFormTest, HostAbsentShowsTheErrorAndStartFails) {
  probe.window = false;
  TMainForm form(ctx, probe, BravantWizards());
  EXPECT_FALSE(form.Start());
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text,
            "This program can only be run from within  Marquill. Please start Marquill and try "
            "again.");
  EXPECT_EQ(dialogs.shown[0].caption, "Error");
  EXPECT_EQ(probe.creations, 0);
  EXPECT_EQ(form.ActiveWizard(), "");  // no wizard chosen
}

TEST_F(MainFormTest, HostObjectFailureIsReportedAndStartGoesOn) {
  probe.host.reset();
  TMainForm form(ctx, probe, BravantWizards());
  EXPECT_TRUE(form.Start());
  EXPECT_EQ(dialogs.MessageTexts(),
            std::vector<std::string>{"An error occurred while connecting to Marquill."});
  EXPECT_EQ(ctx.Host(), nullptr);
  EXPECT_EQ(form.ActiveWizard(), kJoinWizard);
}

TEST_F(MainFormTest, FirstWizardAndButtonsFollowVendorAndSelection) {
  const struct {
    const char* name;
    std::string vendorId;  // stored Vendor/ID
    std::string selection;
    std::string first;
    int firstPage;  // its index in the page control
    bool edit, create, publish, output;
  } cases[] = {
      {"no vendor ID", "", "", kJoinWizard, 3, false, false, false, false},
      {"no vendor ID, Salebox selected", "", SaleboxTag("V7"), kJoinWizard, 3, true, false, true,
       true},
      {"Salebox naming a vendor", "V7", SaleboxTag("V7"), kCreateWizard, 0, true, true, true,
       true},
      {"Salebox naming no vendor", "V7", SaleboxTag(""), kCreateWizard, 0, true, true, false,
       true},
      {"ordinary selection", "V7", "<b>hello</b>", kCreateWizard, 0, false, true, false, false},
      {"other applet selected", "V7", "<applet code=\"Clock\"></applet>", kCreateWizard, 0,
       false, true, false, false},
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

    TMainForm form(caseCtx, caseProbe, BravantWizards());
    ASSERT_TRUE(form.Start());
    EXPECT_TRUE(caseDialogs.shown.empty());
    EXPECT_EQ(form.ActiveWizard(), c.first);
    EXPECT_EQ(ActivePage(form), c.firstPage);
    EXPECT_EQ(form.EditMode(), c.edit);
    EXPECT_EQ(caseCtx.State().EditMode(), c.edit);
    EXPECT_EQ(Button(form, "btnSalebox")->isEnabled(), c.create);
    EXPECT_EQ(Button(form, "btnPublish")->isEnabled(), c.publish);
    EXPECT_EQ(Button(form, "btnOutput")->isEnabled(), c.output);
    EXPECT_TRUE(Button(form, "btnRegister")->isEnabled());
    EXPECT_EQ(form.WizardEnabled(kOutputWizard), c.output);
    // The Create wizard's pages show only when a Salebox is being edited.
    EXPECT_EQ(Control(form, "pgEditApplet")->isHidden(), !c.edit);
    if (c.edit) {
      EXPECT_EQ(caseCtx.Applet().ProductName, "Poems");
    }
  }
}

TEST_F(MainFormTest, SwitchRunsTheEntryStepOnlyWhenTheWizardChanges) {
  ctx.Settings().WriteText("Vendor", "ID", "V7");
  int entries[4] = {};  // Create, Publish, Output, Join
  TMainForm form(ctx, probe, CountedWizards(entries));
  ASSERT_TRUE(form.Start());
  EXPECT_EQ(entries[0], 1);  // start-up entered Create once

  auto* pcMain = Control<QStackedWidget>(form, "pcMain");
  QWidget* tbSalebox = Control(form, "tbSalebox");
  QWidget* tbRegister = Control(form, "tbRegister");
  QWidget* pbxTillon = Control(form, "pbxTillon");
  Button(form, "btnSalebox")->click();
  form.SwitchTo(kCreateWizard);
  EXPECT_EQ(entries[0], 1);

  Button(form, "btnRegister")->click();
  Button(form, "btnRegister")->click();
  EXPECT_EQ(entries[3], 1);
  EXPECT_EQ(pcMain->currentWidget(), tbRegister);
  EXPECT_EQ(pbxTillon->parentWidget(), tbRegister);

  Button(form, "btnSalebox")->click();
  EXPECT_EQ(entries[0], 2);
  EXPECT_EQ(pbxTillon->parentWidget(), tbSalebox);
  EXPECT_EQ(entries[1] + entries[2], 0);

  // An id the table does not have switches nowhere.
  form.SwitchTo("nowhere");
  EXPECT_EQ(form.ActiveWizard(), kCreateWizard);
  EXPECT_EQ(pcMain->currentWidget(), tbSalebox);
}

TEST_F(MainFormTest, BarAndPagesFollowTheTableOrder) {
  TMainForm form(ctx, probe, BravantWizards());
  auto* bar = Control(form, "pnlButtons");
  std::vector<std::string> buttons;
  for (int i = 0; i < bar->layout()->count(); ++i)
    if (auto* b = qobject_cast<QPushButton*>(bar->layout()->itemAt(i)->widget()))
      buttons.push_back(b->objectName().toStdString() + "/" + b->accessibleName().toStdString());
  EXPECT_EQ(buttons, (std::vector<std::string>{"btnSalebox/Create", "btnPublish/Publish",
                                               "btnOutput/Output", "btnRegister/Join"}));
  auto* pcMain = Control<QStackedWidget>(form, "pcMain");
  const char* pages[][3] = {{"tbSalebox", "pbxSideCreate", "pgEditApplet"},
                            {"tbUpload", "pbxSidePublish", "pgUploadWizard"},
                            {"tbOutput", "pbxSideOutput", "pnlOutput"},
                            {"tbRegister", "pbxSideJoin", "pgJoinWizard"}};
  ASSERT_EQ(pcMain->count(), 4);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(pages[i][0]);
    QWidget* page = pcMain->widget(i);
    EXPECT_EQ(page->objectName().toStdString(), pages[i][0]);
    auto* side = page->findChild<TPaintBox*>(QString::fromUtf8(pages[i][1]));
    ASSERT_NE(side, nullptr);
    EXPECT_EQ(side->size(), QSize(100, 280));  // the side picture's own size
    EXPECT_NE(page->findChild<QWidget*>(QString::fromUtf8(pages[i][2])), nullptr);
  }
  // Output has nothing to work on before start-up decides otherwise.
  EXPECT_FALSE(Button(form, "btnOutput")->isEnabled());
  EXPECT_TRUE(Button(form, "btnPublish")->isEnabled());
}

TEST_F(MainFormTest, CloseAsksOnlyWhileTheSaleboxIsNotPlaced) {
  TMainForm form(ctx, probe, BravantWizards());
  ASSERT_TRUE(form.Start());
  form.show();

  ctx.State().SetSaleboxPlaced(false);
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
  ctx.State().SetSaleboxPlaced(true);
  EXPECT_TRUE(form.close());
  EXPECT_EQ(dialogs.shown.size(), 2u);  // no question this time
}

TEST_F(MainFormTest, CancelQuestionsActOnlyOnYes) {
  ctx.Settings().WriteText("Vendor", "ID", "V7");
  Select(SaleboxTag("V7"));
  TMainForm form(ctx, probe, BravantWizards());
  ASSERT_TRUE(form.Start());
  form.SwitchTo(kPublishWizard);
  auto* publish = dynamic_cast<PublishWizard*>(form.WizardFor(kPublishWizard));
  auto* create = dynamic_cast<CreateWizard*>(form.WizardFor(kCreateWizard));
  ASSERT_NE(publish, nullptr);
  ASSERT_NE(create, nullptr);

  dialogs.messageAnswers = {MsgResult::No, MsgResult::Yes};
  EXPECT_FALSE(publish->Cancel());
  EXPECT_EQ(form.ActiveWizard(), kPublishWizard);
  EXPECT_TRUE(publish->Cancel());
  EXPECT_EQ(form.ActiveWizard(), kCreateWizard);

  ctx.State().SetSaleboxPlaced(false);
  dialogs.messageAnswers = {MsgResult::No, MsgResult::Yes};
  EXPECT_FALSE(create->Cancel());
  EXPECT_EQ(ctx.Applet().ProductName, "Poems");
  EXPECT_FALSE(Control(form, "pgEditApplet")->isHidden());
  EXPECT_TRUE(Button(form, "btnOutput")->isEnabled());
  EXPECT_TRUE(create->Cancel());
  EXPECT_EQ(ctx.Applet().ProductName, "");
  EXPECT_TRUE(ctx.State().SaleboxPlaced());
  EXPECT_FALSE(Button(form, "btnPublish")->isEnabled());
  EXPECT_FALSE(Button(form, "btnOutput")->isEnabled());
  EXPECT_TRUE(Control(form, "pgEditApplet")->isHidden());
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

  TMainForm form(ctx, probe, BravantWizards());
  ASSERT_TRUE(form.Start());
  EXPECT_EQ(form.HelpFile(), appPath.toStdString() + "/help/bravant.html");
  Control<QAction>(form, "mnuVendorID")->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("V-123"));

  FakeProbe noHelp;
  TMainForm other(ctx, noHelp, BravantWizards());
  ASSERT_TRUE(other.Start());
  EXPECT_EQ(other.HelpFile(), "");
}

// Collects the lines of the seller's logging category while it lives.
class SellerLog {
 public:
  struct Line {
    QtMsgType type;
    std::string text;
  };
  SellerLog() {
    Lines().clear();
    previous_ = qInstallMessageHandler(&Collect);
  }
  ~SellerLog() { qInstallMessageHandler(previous_); }
  const std::vector<Line>& lines() const { return Lines(); }

 private:
  static std::vector<Line>& Lines() {
    static std::vector<Line> lines;
    return lines;
  }
  static void Collect(QtMsgType type, const QMessageLogContext& where, const QString& text) {
    if (where.category != nullptr && std::string(where.category) == "tendrel.seller")
      Lines().push_back({type, text.toStdString()});
  }
  QtMessageHandler previous_;
};

TEST_F(MainFormTest, FaultsStartUpGoesOnAfterLeaveOneLogLineEach) {
  {
    SellerLog log;
    TMainForm form(ctx, probe, BravantWizards());
    ASSERT_TRUE(form.Start());
    EXPECT_TRUE(log.lines().empty());  // nothing went wrong
  }
  {
    SellerLog log;
    FakeProbe noHost;
    noHost.host.reset();
    TMainForm form(ctx, noHost, BravantWizards());
    ASSERT_TRUE(form.Start());
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].type, QtWarningMsg);
    EXPECT_NE(log.lines()[0].text.find("no editor on the bus"), std::string::npos)
        << log.lines()[0].text;
  }
  {
    dialogs.shown.clear();
    SellerLog log;
    FakeProbe failing;
    failing.host->failing = {"getseltext"};
    TMainForm form(ctx, failing, BravantWizards());
    ASSERT_TRUE(form.Start());
    EXPECT_TRUE(dialogs.shown.empty());  // swallowed: the user sees nothing
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].type, QtWarningMsg);
    EXPECT_NE(log.lines()[0].text.find("could not carry out"), std::string::npos)
        << log.lines()[0].text;
    EXPECT_EQ(form.ActiveWizard(), kJoinWizard);
    EXPECT_FALSE(form.EditMode());
  }
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
  TMainForm form(realCtx, probe, BravantWizards());
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
  Control<QAction>(form, "mnuAbout")->trigger();
  EXPECT_EQ(caption, QStringLiteral("Bravant"));
  EXPECT_TRUE(shown.contains(QStringLiteral("Company : Smith & Sons"))) << shown.toStdString();
  EXPECT_FALSE(shown.contains(QStringLiteral("&&")));
  EXPECT_EQ(format, Qt::PlainText);  // a company name is never taken for markup
  EXPECT_TRUE(shown.contains(QStringLiteral("Writing log file \"tlnlog.txt\"")));
  EXPECT_TRUE(shown.contains(QStringLiteral("Linked to Marquill")));
}

}  // namespace
