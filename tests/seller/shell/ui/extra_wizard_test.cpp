// A wizard added as one more row of Bravant's table, with no change anywhere
// else, takes its place on the bar and in the switch.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>

#include "platform/dialogs.h"
#include "support/scripted_dialogs.h"
#include "resources/resources.h"
#include "seller/shell/context.h"
#include "seller/shell/ui/drawing.h"
#include "seller/shell/ui/main_form.h"
#include "seller/wizards/bravant_wizards.h"
#include "shell_support.h"
#include "support/temp_home.h"
#include "trial_wizard.h"

using namespace tendrel;
using shelltest::Control;
using shelltest::TrialLog;

namespace {

class ExtraWizardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitResources();
    ctx.Settings().WriteText("Vendor", "ID", "V7");
    table = BravantWizards();
    table.push_back(shelltest::TrialRow(log));
  }

  TempHome home;
  ScriptedDialogs dialogs;
  BravantContext ctx{dialogs};
  shelltest::FakeProbe probe;
  TrialLog log;
  WizardTable table;
};

TEST_F(ExtraWizardTest, TheNewRowGetsItsButtonPageAndSwitch) {
  TMainForm form(ctx, probe, table);
  EXPECT_EQ(log.made, 1);
  ASSERT_TRUE(form.Start());
  form.show();
  EXPECT_EQ(form.ActiveWizard(), kCreateWizard);  // start-up is unchanged
  EXPECT_EQ(log.entries, 0);

  // Its button comes last on the bar, its page last in the page control.
  auto* bar = Control(form, "pnlButtons");
  auto* trialButton = Control<QPushButton>(form, "btnTrial");
  ASSERT_NE(trialButton, nullptr);
  EXPECT_EQ(bar->layout()->indexOf(trialButton), 4);
  EXPECT_EQ(trialButton->accessibleName(), QStringLiteral("Trial"));
  EXPECT_TRUE(trialButton->isEnabled());
  auto* pcMain = Control<QStackedWidget>(form, "pcMain");
  QWidget* tbTrial = Control(form, "tbTrial");
  ASSERT_EQ(pcMain->count(), 5);
  EXPECT_EQ(pcMain->indexOf(tbTrial), 4);
  auto* side = tbTrial->findChild<TPaintBox*>(QStringLiteral("pbxSideTrial"));
  ASSERT_NE(side, nullptr);
  EXPECT_FALSE(side->Picture().isNull());

  // Its button switches to it once; its entry step runs once.
  auto* pgTrial = Control<QStackedWidget>(form, "pgTrial");
  pgTrial->setCurrentIndex(1);
  trialButton->click();
  trialButton->click();
  EXPECT_EQ(form.ActiveWizard(), "trial");
  EXPECT_EQ(log.entries, 1);
  EXPECT_EQ(pcMain->currentWidget(), tbTrial);
  EXPECT_TRUE(tbTrial->isVisible());
  EXPECT_TRUE(pgTrial->isVisible());
  EXPECT_EQ(pgTrial->currentIndex(), 0);
  EXPECT_EQ(Control(form, "pbxTillon")->parentWidget(), tbTrial);

  // The other wizards still work.
  Control<QPushButton>(form, "btnRegister")->click();
  EXPECT_EQ(form.ActiveWizard(), kJoinWizard);
  EXPECT_EQ(pcMain->currentWidget(), Control(form, "tbRegister"));
  EXPECT_EQ(pcMain->currentIndex(), 3);
  Control<QPushButton>(form, "btnSalebox")->click();
  EXPECT_EQ(form.ActiveWizard(), kCreateWizard);
  EXPECT_EQ(pcMain->currentIndex(), 0);
  form.SwitchTo("trial");
  EXPECT_EQ(log.entries, 2);
  EXPECT_EQ(log.made, 1);
}

// The wizard reaches the window only through its frame, and that is enough
// to hand over: enable another wizard, show a status, switch.
TEST_F(ExtraWizardTest, TheNewWizardHandsOverThroughItsFrame) {
  TMainForm form(ctx, probe, table);
  ASSERT_TRUE(form.Start());
  form.show();
  QApplication::processEvents();
  auto* pcMain = Control<QStackedWidget>(form, "pcMain");
  const QSize pagesBefore = pcMain->size();
  const int heightBefore = form.height();
  EXPECT_FALSE(form.WizardEnabled(kOutputWizard));

  form.SwitchTo("trial");
  Control<QPushButton>(form, "btnTrialDone")->click();
  EXPECT_TRUE(Control<QPushButton>(form, "btnOutput")->isEnabled());
  EXPECT_EQ(form.ActiveWizard(), kJoinWizard);
  auto* status = Control<QStatusBar>(form, "stbStatus");
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->currentMessage(), QString::fromUtf8(shelltest::kTrialStatus));
  EXPECT_TRUE(status->isVisible());
  // The status line is added under the pages; they keep their size.
  QApplication::processEvents();
  EXPECT_GT(form.height(), heightBefore);
  EXPECT_EQ(pcMain->size(), pagesBefore);

  form.ShowStatus("");
  QApplication::processEvents();
  EXPECT_FALSE(status->isVisible());
  EXPECT_EQ(status->currentMessage(), QString());
  EXPECT_EQ(form.height(), heightBefore);
  EXPECT_EQ(form.height(), TMainForm::kWindowHeight);
  EXPECT_EQ(pcMain->size(), pagesBefore);
}

// Start-up names its wizards by id; a table that lacks them still starts,
// with nothing to switch to until a button is pressed.
TEST_F(ExtraWizardTest, StartUpSkipsWizardsTheTableLacks) {
  ctx.Settings().WriteText("Vendor", "ID", "");
  WizardTable onlyTrial;
  onlyTrial.push_back(shelltest::TrialRow(log));
  TMainForm form(ctx, probe, onlyTrial);
  ASSERT_TRUE(form.Start());
  EXPECT_EQ(form.ActiveWizard(), "");  // Join would come first; there is none
  EXPECT_FALSE(form.WizardEnabled(kJoinWizard));
  EXPECT_EQ(form.WizardFor(kCreateWizard), nullptr);
  form.SwitchTo("trial");
  EXPECT_EQ(log.entries, 1);
  EXPECT_EQ(Control(form, "pbxTillon")->parentWidget(), Control(form, "tbTrial"));
}

}  // namespace
