#include "seller/shell/ui/options_form.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "platform/dialogs.h"
#include "support/scripted_dialogs.h"
#include "seller/core/settings.h"
#include "support/temp_home.h"

using namespace tendrel;

TEST(Options, FieldShowsTheSettingOrTheDefault) {
  TempHome home;
  ScriptedDialogs dialogs;
  SettingsStore settings;
  EXPECT_EQ(TfrmOptions(settings, dialogs).txtClassLocation->text(), QStringLiteral("classes/"));
  settings.WriteText("Options", "Class Location", "/java/tln/");
  TfrmOptions options(settings, dialogs);
  EXPECT_EQ(options.windowTitle(), QStringLiteral("Bravant Options"));
  EXPECT_EQ(options.txtClassLocation->text(), QStringLiteral("/java/tln/"));
}

TEST(Options, ResetAskedNoChangesNothingAndYesRestoresTheDefault) {
  TempHome home;
  ScriptedDialogs dialogs;
  SettingsStore settings;
  settings.WriteText("Options", "Class Location", "lib/");
  TfrmOptions options(settings, dialogs);

  dialogs.messageAnswers = {MsgResult::No};
  options.btnReset->click();
  EXPECT_EQ(dialogs.MessageTexts(),
            std::vector<std::string>{
                "Are you sure you want to set the tln options back to their default values ?  If "
                "you choose 'Yes' their current values will be lost."});
  EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(options.txtClassLocation->text(), QStringLiteral("lib/"));
  EXPECT_EQ(settings.ReadText("Options", "Class Location", ""), "lib/");

  dialogs.messageAnswers = {MsgResult::Yes};
  options.btnReset->click();
  EXPECT_EQ(options.txtClassLocation->text(), QStringLiteral("classes/"));
  EXPECT_EQ(settings.ReadText("Options", "Class Location", ""), "classes/");
}

TEST(Options, TypedTextIsKeptAsTypedWhenTheFieldOrDialogIsLeft) {
  TempHome home;
  ScriptedDialogs dialogs;
  SettingsStore settings;
  {
    TfrmOptions options(settings, dialogs);
    options.txtClassLocation->setText(QStringLiteral(" odd path/ "));
    options.txtClassLocation->setModified(true);
    options.btnClose->click();
  }
  EXPECT_EQ(settings.ReadText("Options", "Class Location", ""), " odd path/ ");
  {
    // Opening and closing without typing writes nothing.
    settings.DeleteSection("Options");
    TfrmOptions options(settings, dialogs);
    options.btnClose->click();
    EXPECT_EQ(settings.ReadText("Options", "Class Location", "(none)"), "(none)");
  }
}
