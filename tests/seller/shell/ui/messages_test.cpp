#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstdlib>

#include "platform/registry.h"
#include "seller/shell/context.h"
#include "seller/shell/java_check.h"
#include "seller/shell/ui/show_once_form.h"
#include "shell_support.h"
#include "support/temp_home.h"
#include "support/scripted_dialogs.h"

using namespace tendrel;

namespace {

class RecordingMessages : public OneTimeMessages {
 public:
  struct Shown {
    std::string message, key;
  };
  std::vector<Shown> shown;
  void Present(const std::string& message, const std::string& key) override {
    shown.push_back({message, key});
  }
};

TEST(ShowOnce, OnlyAnExactNoMoreSilences) {
  TempHome home;
  ScriptedDialogs dialogs;
  BravantContext ctx(dialogs);
  RecordingMessages messages;
  ctx.SetOneTimeMessages(&messages);

  const struct {
    const char* stored;  // nullptr: no value
    bool shown;
  } cases[] = {{nullptr, true}, {"", true}, {"no more", true}, {"No More ", true}, {"No More", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "(missing)");
    ctx.Settings().DeleteSection("Messages");
    if (c.stored) ctx.Settings().WriteText("Messages", "whatnext", c.stored);
    messages.shown.clear();
    EXPECT_EQ(ctx.ShowOnce("Advice", "whatnext"), c.shown);
    EXPECT_EQ(messages.shown.size(), c.shown ? 1u : 0u);
  }
  // Another key is not silenced by this one.
  EXPECT_TRUE(ctx.ShowOnce("Other", "Fixed Preview"));
}

TEST(ShowOnce, WindowWritesTheChoiceAtOnce) {
  TempHome home;
  ScriptedDialogs dialogs;
  BravantContext ctx(dialogs);

  std::vector<std::string> whileOpen;
  QString title, text;
  shelltest::WhenModal([&](QWidget* w) {
    auto* form = static_cast<TfrmShowOnce*>(w);
    title = form->windowTitle();
    text = form->memMessage->toPlainText();
    EXPECT_TRUE(form->memMessage->isReadOnly());
    form->chkNoMore->setChecked(true);
    whileOpen.push_back(ctx.Settings().ReadText("Messages", "Old Java VM", "?"));
    form->chkNoMore->setChecked(false);
    whileOpen.push_back(ctx.Settings().ReadText("Messages", "Old Java VM", "?"));
    form->chkNoMore->setChecked(true);
    form->btnClose->click();
  });
  EXPECT_TRUE(ShowOnce(ctx.Settings(), "Line one\r\nLine two", "Old Java VM"));
  EXPECT_EQ(title, QStringLiteral("Tillon Applicator - A Special Message"));
  EXPECT_EQ(text, QStringLiteral("Line one\nLine two"));
  EXPECT_EQ(whileOpen, (std::vector<std::string>{"No More", ""}));
  // Now silenced: nothing opens.
  EXPECT_FALSE(ShowOnce(ctx.Settings(), "Line one", "Old Java VM"));
}

// Gives the local machine's registry the Java machine's version value.
class JavaCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    hadDirs_ = dirs != nullptr;
    if (dirs) oldDirs_ = dirs;
    system_ = home_.root() + "/system";
    setenv("XDG_CONFIG_DIRS", (system_ + ":/nowhere").c_str(), 1);
    ctx_.SetOneTimeMessages(&messages_);
  }
  void TearDown() override {
    if (hadDirs_) setenv("XDG_CONFIG_DIRS", oldDirs_.c_str(), 1);
    else unsetenv("XDG_CONFIG_DIRS");
    unsetenv("BRAVANT_JAVA_URL");
  }
  // The system scope is read-only for the program: write its file as the
  // user scope would, with the user scope pointed at the system folder.
  void InstallVersion(const std::string& value) {
    const std::string user = std::getenv("XDG_CONFIG_HOME");
    setenv("XDG_CONFIG_HOME", system_.c_str(), 1);
    auto key = RegistryKey::Open(RegRoot::CurrentUser, kJavaVMKey, true);
    ASSERT_TRUE(key && key->WriteString("", value));
    setenv("XDG_CONFIG_HOME", user.c_str(), 1);
  }

  TempHome home_;
  ScriptedDialogs dialogs_;
  BravantContext ctx_{dialogs_};
  RecordingMessages messages_;
  std::string system_, oldDirs_;
  bool hadDirs_ = false;
};

const char kClosing[] =
    " and obtain the latest version, which will provide a more stable environment in which to "
    "preview your Tillon-enabled page.";

TEST_F(JavaCheckTest, BuildNumberChoosesTheWarning) {
  setenv("BRAVANT_JAVA_URL", "http://java.example/vm", 1);
  const std::string oldText =
      std::string("Your installation of Internet Explorer is using an older version of the Java "
                  "Virtual Machine.  Please go to http://java.example/vm") + kClosing;
  const std::string buggyText =
      std::string("There is a bug in the version of the Java Virtual Machine in your Internet "
                  "Explorer which prevents you  from successfully viewing Tillon Saleboxes. "
                  "Please go to http://java.example/vm") + kClosing;
  const struct {
    const char* version;
    const char* key;  // nullptr: nothing shown
    std::string text;
  } cases[] = {
      {"5,00,3167,1250", "Old Java VM", oldText}, {"1250", "Old Java VM", oldText},
      {"5,0,0,-3", "Old Java VM", oldText},       {"5,00,3167,1251", nullptr, ""},
      {"5,00,3167,1516", "Buggy Java VM", buggyText}, {"5,00,3167,1517", nullptr, ""},
      {"5,00,1516,", "Buggy Java VM", buggyText},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    InstallVersion(c.version);
    messages_.shown.clear();
    CheckJavaVM(ctx_);
    if (c.key == nullptr) {
      EXPECT_TRUE(messages_.shown.empty());
    } else {
      ASSERT_EQ(messages_.shown.size(), 1u);
      EXPECT_EQ(messages_.shown[0].key, c.key);
      EXPECT_EQ(messages_.shown[0].message, c.text);
    }
  }
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(JavaCheckTest, NonNumericBuildGoesToTheFaultReport) {
  for (const char* version : {"5,00,3167,abc", "5,00,3167,12 ", ","}) {
    SCOPED_TRACE(version);
    InstallVersion(version);
    dialogs_.shown.clear();
    CheckJavaVM(ctx_);
    EXPECT_TRUE(messages_.shown.empty());
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_EQ(dialogs_.shown[0].icon, MsgIcon::Error);
  }
  InstallVersion("5,00,3167,abc");
  dialogs_.shown.clear();
  CheckJavaVM(ctx_);
  EXPECT_EQ(dialogs_.MessageTexts(), std::vector<std::string>{"'abc' is not a valid integer value"});
}

TEST_F(JavaCheckTest, MissingKeyOrEmptyValueShowsNothing) {
  CheckJavaVM(ctx_);
  InstallVersion("");
  CheckJavaVM(ctx_);
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_TRUE(dialogs_.shown.empty());
}

}  // namespace
