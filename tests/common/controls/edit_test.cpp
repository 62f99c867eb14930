#include "common/controls/tendrel_edit.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/dialogs.h"
#include "support/scripted_dialogs.h"
#include "platform/registry.h"
#include "resources/resources.h"
#include "support/registry_values.h"
#include "support/temp_home.h"

namespace tendrel {
namespace {

const char* kKey = "\\Software\\Tendrel\\Marquill\\Test";

std::string Stored(const std::string& value) { return controls_test::Stored(kKey, value); }
void Store(const std::string& value, const std::string& text) {
  controls_test::Store(kKey, value, text);
}

void LeaveField(QWidget* w, Qt::FocusReason reason = Qt::TabFocusReason) {
  QFocusEvent out(QEvent::FocusOut, reason);
  QCoreApplication::sendEvent(w, &out);
}

TEST(TendrelEdit, DigitFilterAndMax) {
  struct Case {
    const char* text;
    bool selectAll;
    std::vector<int> keys;  // Qt key codes, typed in order
    int max;
    const char* expected;
  };
  const Case cases[] = {
      {"74", false, {Qt::Key_4}, 744, "744"},
      {"74", false, {Qt::Key_5}, 744, "74"},
      {"744", true, {Qt::Key_9}, 744, "9"},
      {"5", true, {Qt::Key_9}, 3, ""},  // cleared, then the digit is over Max
      {"12", false, {Qt::Key_A, Qt::Key_Space, Qt::Key_Minus}, 0, "12"},
      {"12", false, {Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace}, 0, ""},
      {"9999999999", false, {Qt::Key_1}, 744, "99999999991"},  // too large to check
      // Max looks at the digit appended at the end, wherever the caret is.
      {"74", false, {Qt::Key_Home, Qt::Key_1}, 744, "174"},
      {"74", false, {Qt::Key_Home, Qt::Key_9}, 744, "74"},
      {"123", false, {Qt::Key_Left, Qt::Key_Delete}, 0, "12"},
  };
  for (const Case& c : cases) {
    TTendrelEdit edit;
    edit.SetNumericOnly(true);
    edit.SetMax(c.max);
    edit.setText(c.text);
    if (c.selectAll) edit.selectAll();
    for (int key : c.keys) QTest::keyClick(&edit, static_cast<Qt::Key>(key));
    EXPECT_EQ(edit.text().toStdString(), c.expected) << c.text;
  }
  TTendrelEdit plain;
  QTest::keyClicks(&plain, "a1;");
  EXPECT_EQ(plain.text(), "a1;");
}

TEST(TendrelEdit, KeyboardPasteAndDropsStayOutOfDigitFields) {
  QGuiApplication::clipboard()->setText(QStringLiteral("9x9"));
  const std::pair<Qt::Key, Qt::KeyboardModifiers> pastes[] = {
      {Qt::Key_V, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ShiftModifier}};
  for (const auto& [key, modifiers] : pastes) {
    TTendrelEdit digits;
    digits.SetNumericOnly(true);
    digits.SetMax(744);
    digits.setText("74");
    QTest::keyClick(&digits, key, modifiers);
    EXPECT_EQ(digits.text(), "74");
    EXPECT_FALSE(digits.acceptDrops());

    TTendrelEdit plain;
    QTest::keyClick(&plain, key, modifiers);
    EXPECT_EQ(plain.text(), "9x9");
  }
  // Copying out of a digit field still works.
  TTendrelEdit digits;
  digits.SetNumericOnly(true);
  digits.setText("123");
  digits.selectAll();
  QTest::keyClick(&digits, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "123");
  digits.SetNumericOnly(false);
  EXPECT_TRUE(digits.acceptDrops());
}

TEST(TendrelEdit, MinOnExitAndIntValue) {
  struct Case {
    int min;
    const char* text;
    const char* expected;
    int intValue;
  };
  const Case cases[] = {
      {1, "0", "1", 1},   {1, "", "", 0},         {5, "7", "7", 7},
      {0, "0", "0", 0},   {3, "-8", "3", 3},      {1, "abc", "abc", 0},
      {1, "99999999999", "99999999999", 0},
  };
  for (const Case& c : cases) {
    ScriptedDialogs dialogs;
    TTendrelEdit edit;
    edit.SetDialogs(&dialogs);
    edit.SetMin(c.min);
    edit.setText(c.text);
    LeaveField(&edit);
    EXPECT_EQ(edit.text().toStdString(), c.expected) << c.text;
    EXPECT_EQ(edit.IntValue(), c.intValue) << c.text;
    const bool bad = c.min > 0 && *c.text && c.intValue == 0;
    ASSERT_EQ(dialogs.shown.size(), bad ? 1u : 0u) << c.text;
    if (bad) {
      EXPECT_EQ(dialogs.shown[0].text, "'" + std::string(c.text) + "' is not a valid integer value");
      EXPECT_EQ(dialogs.shown[0].caption, "Error");
    }
  }
}

TEST(TendrelEdit, PropertiesAndRegistryLoad) {
  TempHome home;
  TTendrelEdit edit(nullptr, EditRevision::R105);
  edit.setProperty("RegPath", "Software\\Tendrel\\Marquill\\Test");
  edit.setProperty("Version", "9.99");
  EXPECT_EQ(edit.RegPath(), kKey);
  EXPECT_EQ(edit.property("Version").toString(), "1.05");
  EXPECT_EQ(TTendrelEdit().Version(), "1.07");

  edit.SetRegValue("Name");
  edit.setText("design text");
  edit.Loaded();  // RegStore off: nothing happens
  EXPECT_EQ(edit.text(), "design text");
  edit.SetRegStore(true);
  edit.Loaded();  // missing value: empty
  EXPECT_EQ(edit.text(), "");
  Store("Name", "stored ü");
  edit.Loaded();
  EXPECT_EQ(edit.text(), "stored ü");
}

TEST(TendrelEdit, SavesOnChosenEvents) {
  TempHome home;
  TTendrelEdit edit;
  edit.SetRegPath(kKey);
  edit.SetRegValue("V");
  edit.SetRegStore(true);
  edit.setText("ab");
  QTest::keyClick(&edit, Qt::Key_C);
  LeaveField(&edit);
  EXPECT_EQ(Stored("V"), "<missing>");  // no option chosen

  edit.SetOptions(TTendrelEdit::teOnCarriageReturn);
  QTest::keyClick(&edit, Qt::Key_D);
  EXPECT_EQ(Stored("V"), "abc");  // the text before the key
  EXPECT_EQ(edit.text(), "abcd");

  edit.SetOptions(TTendrelEdit::teOnExit);
  LeaveField(&edit, Qt::PopupFocusReason);  // context menu: not an exit
  EXPECT_EQ(Stored("V"), "abc");
  LeaveField(&edit);
  EXPECT_EQ(Stored("V"), "abcd");

  edit.SetMin(1);  // a text that is not a number is not saved
  edit.setText("x");
  LeaveField(&edit);
  EXPECT_EQ(Stored("V"), "abcd");
}

class BrowseButton : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitResources(); }
  QWidget form;
};

TEST_F(BrowseButton, FollowsTheEditInRevision107) {
  auto* edit = new TTendrelEdit(&form);
  edit->setGeometry(10, 20, 100, 22);
  edit->SetFileBrowser(true);
  edit->SetFileBrowser(true);
  form.show();  // a hidden widget gets its move and resize events when shown
  EXPECT_EQ(form.findChildren<QToolButton*>().size(), 1);
  QPointer<QToolButton> button = edit->BrowseButton();
  ASSERT_TRUE(button);
  EXPECT_EQ(button->parentWidget(), &form);
  EXPECT_EQ(button->geometry(), QRect(110, 20, 24, 22));
  EXPECT_FALSE(button->icon().isNull());

  edit->move(30, 40);
  edit->resize(150, 22);
  EXPECT_EQ(button->geometry(), QRect(180, 40, 24, 22));
  edit->setEnabled(false);
  EXPECT_FALSE(button->isEnabled());
  edit->setEnabled(true);
  EXPECT_TRUE(button->isEnabled());

  delete edit;
  EXPECT_TRUE(button.isNull());
}

TEST_F(BrowseButton, StaysPutInRevision105) {
  auto* edit = new TTendrelEdit(&form, EditRevision::R105);
  edit->setGeometry(10, 20, 100, 22);
  edit->SetFileBrowser(true);
  form.show();
  QPointer<QToolButton> button = edit->BrowseButton();
  ASSERT_TRUE(button);
  edit->setGeometry(30, 40, 150, 22);
  edit->setEnabled(false);
  EXPECT_EQ(button->geometry(), QRect(110, 20, 24, 22));
  EXPECT_TRUE(button->isEnabled());
  delete edit;
  ASSERT_FALSE(button.isNull());
  button->click();  // the edit is gone: nothing happens
}

TEST_F(BrowseButton, MadeWhenTheEditGetsAParentAndFreedWhenSwitchedOff) {
  TTendrelEdit edit;
  edit.SetFileBrowser(true);
  EXPECT_EQ(edit.BrowseButton(), nullptr);
  edit.setParent(&form);
  ASSERT_NE(edit.BrowseButton(), nullptr);
  EXPECT_EQ(edit.BrowseButton()->parentWidget(), &form);
  edit.SetFileBrowser(false);
  EXPECT_EQ(edit.BrowseButton(), nullptr);
  EXPECT_TRUE(form.findChildren<QToolButton*>().isEmpty());
  edit.setParent(nullptr);
}

TEST_F(BrowseButton, ClickOpensTheFolderOfTheText) {
  const std::pair<const char*, const char*> folders[] = {
      {"/home/a/x.txt", "/home/a/"}, {"C:\\web\\a.htm", "C:\\web\\"},
      {"C:a.htm", "C:"},             {"a.txt", ""},
  };
  for (const auto& [text, folder] : folders) {
    ScriptedDialogs dialogs;
    dialogs.fileAnswers.push_back(std::nullopt);
    dialogs.fileAnswers.push_back("/tmp/chosen file.txt");
    auto* edit = new TTendrelEdit(&form);
    edit->SetDialogs(&dialogs);
    edit->SetFileFilter("Text Files|*.txt");
    edit->setText(text);
    edit->SetFileBrowser(true);
    edit->BrowseButton()->click();
    EXPECT_EQ(edit->text().toStdString(), text);  // cancelled
    edit->BrowseButton()->click();
    EXPECT_EQ(edit->text(), "/tmp/chosen file.txt");
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].kind, ScriptedDialogs::Kind::OpenFile);
    EXPECT_EQ(dialogs.shown[0].file.initialDir, folder);
    EXPECT_EQ(dialogs.shown[0].file.filter, "Text Files|*.txt");
    delete edit;
  }
}

}  // namespace
}  // namespace tendrel
