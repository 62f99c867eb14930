#include "common/controls/tendrel_combo.h"

#include <QFocusEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "common/controls/comma_text.h"
#include "platform/registry.h"
#include "support/registry_values.h"
#include "support/temp_home.h"

namespace tendrel {
namespace {

const char* kKey = "\\Software\\Tendrel\\Marquill\\Push";

std::string Stored(const std::string& value) { return controls_test::Stored(kKey, value); }
void Store(const std::string& value, const std::string& text) {
  controls_test::Store(kKey, value, text);
}

struct History : ::testing::Test {
  History() {
    combo.SetRegPath("Software\\Tendrel\\Marquill\\Push");
    combo.SetRegValue("CommonURL");
    combo.SetRegStore(true);
  }
  TempHome home;
  TTendrelCombo combo;
};

TEST_F(History, LoadCutsToMaxItemsAndSelectsTheFirst) {
  EXPECT_EQ(combo.RegPath(), kKey);
  EXPECT_EQ(combo.isEditable(), true);
  std::vector<std::string> twelve;
  for (int i = 1; i <= 12; ++i) twelve.push_back("http://site" + std::to_string(i) + "/");
  Store("CommonURL", ToCommaText(twelve));
  combo.SetMaxItems(-10);
  EXPECT_EQ(combo.MaxItems(), 10);
  combo.Loaded();
  EXPECT_EQ(combo.Items(), std::vector<std::string>(twelve.begin(), twelve.begin() + 10));
  EXPECT_EQ(combo.currentIndex(), 0);
  EXPECT_EQ(combo.currentText(), "http://site1/");

  combo.SetMaxItems(0);  // no limit
  combo.Loaded();
  EXPECT_EQ(combo.count(), 12);

  Store("CommonURL", "");
  combo.setEditText("typed");
  combo.Loaded();
  EXPECT_EQ(combo.count(), 0);
  EXPECT_EQ(combo.currentIndex(), -1);
  EXPECT_EQ(combo.currentText(), "");
}

TEST_F(History, SaveAndReadBackQuotedItems) {
  combo.addItems({"a b,c", "plain", "say \"hi\""});
  EXPECT_TRUE(combo.SaveToRegistry());
  EXPECT_EQ(Stored("CommonURL"), "\"a b,c\",plain,\"say \"\"hi\"\"\"");
  TTendrelCombo again;
  again.SetRegPath(kKey);
  again.SetRegValue("commonurl");  // names are found without regard to case
  again.SetRegStore(true);
  again.Loaded();
  EXPECT_EQ(again.Items(), (std::vector<std::string>{"a b,c", "plain", "say \"hi\""}));

  TTendrelCombo nowhere;
  nowhere.SetRegPath("Hardware\\X");  // not under Software: fails quietly
  nowhere.SetRegStore(true);
  nowhere.addItem("x");
  EXPECT_FALSE(nowhere.SaveToRegistry());
  nowhere.Loaded();
  EXPECT_EQ(nowhere.count(), 0);
}

TEST_F(History, PickedItemMovesToTop) {
  combo.addItems({"first", "second", "third"});
  QSignalSpy picked(&combo, &TTendrelCombo::Picked);
  emit combo.activated(2);  // unmoved without MoveSelectedToTop
  EXPECT_EQ(combo.Items(), (std::vector<std::string>{"first", "second", "third"}));
  combo.SetMoveSelectedToTop(true);
  combo.setCurrentIndex(2);
  emit combo.activated(2);
  EXPECT_EQ(combo.Items(), (std::vector<std::string>{"third", "first", "second"}));
  EXPECT_EQ(combo.currentIndex(), 0);
  EXPECT_EQ(combo.currentText(), "third");
  ASSERT_EQ(picked.count(), 2);
  EXPECT_EQ(picked.at(0).at(0).toInt(), 2);
  EXPECT_EQ(picked.at(1).at(0).toInt(), 0);
}

TEST_F(History, SavesOnExitOnlyWhenChosen) {
  combo.addItems({"x", "y"});
  QSignalSpy exited(&combo, &TTendrelCombo::Exited);
  QFocusEvent tab(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(&combo, &tab);
  EXPECT_EQ(Stored("CommonURL"), "<missing>");
  combo.SetOptions(TTendrelCombo::tcOnExit);
  QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);  // the list dropping down
  QCoreApplication::sendEvent(&combo, &popup);
  EXPECT_EQ(Stored("CommonURL"), "<missing>");
  QCoreApplication::sendEvent(&combo, &tab);
  EXPECT_EQ(Stored("CommonURL"), "x,y");
  EXPECT_EQ(exited.count(), 2);

  // The open list takes the focus more than once; that is no exit either.
  combo.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&combo));
  combo.setFocus(Qt::TabFocusReason);
  combo.showPopup();
  QTest::qWait(50);
  combo.hidePopup();
  EXPECT_EQ(exited.count(), 2);
}

}  // namespace
}  // namespace tendrel
