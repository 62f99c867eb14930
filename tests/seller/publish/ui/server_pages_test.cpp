// The two server pages as the vendor meets them: New and Delete, the writes
// on leaving a field, the help on entering the HTTP base, the Choose Server
// choice, how the lists are loaded, and the pages' room.
#include "seller/publish/ui/server_pages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <memory>
#include <string>
#include <vector>

#include "seller/core/settings.h"
#include "seller/shell/context.h"
#include "seller/shell/ui/shell_support.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"

using namespace tendrel;
using shelltest::Control;

namespace {

using Names = std::vector<std::string>;

class ServerPagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    definition = new ServerDefinitionPage(ctx, window.get());
    choose = new ChooseServerPage(ctx, window.get());
    elsewhere = new QLineEdit(window.get());
    for (QWidget* w : {static_cast<QWidget*>(definition), static_cast<QWidget*>(choose), static_cast<QWidget*>(elsewhere)})
      layout->addWidget(w);
    definition->setFixedSize(398, 282);
    choose->setFixedSize(398, 282);
    choose->onOtherServerChosen = [this] { ++otherChosen; };
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  template <typename T = QLineEdit>
  T* Def(const char* name) {
    return Control<T>(*definition, name);
  }
  void Enter(const char* name) { Def(name)->setFocus(Qt::TabFocusReason); }
  void TypeAndLeave(const char* name, const QString& text) {
    Enter(name);
    QTest::keyClicks(Def(name), text);
    elsewhere->setFocus(Qt::TabFocusReason);
  }
  void Click(const char* button) { QTest::mouseClick(Def<QPushButton>(button), Qt::LeftButton); }
  void ClickRow(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
  }
  static Names Listed(QListWidget* list) {
    Names n;
    for (int i = 0; i < list->count(); ++i) n.push_back(list->item(i)->text().toStdString());
    return n;
  }
  std::string Stored(const std::string& server, const char* value) {
    return ctx.Settings().ReadText("Servers\\" + server, value, "<missing>");
  }
  bool Load() { return LoadServerLists(store, *definition, *choose); }

  TempHome home;
  ScriptedDialogs dialogs;
  BravantContext ctx{dialogs};
  ServerStore store{ctx.Settings()};
  std::unique_ptr<QWidget> window;
  ServerDefinitionPage* definition = nullptr;
  ChooseServerPage* choose = nullptr;
  QLineEdit* elsewhere = nullptr;
  int otherChosen = 0;
};

TEST_F(ServerPagesTest, NewServerOpensTheDetailsAndLeavingFieldsWritesThem) {
  EXPECT_FALSE(Load());
  EXPECT_FALSE(Def<QGroupBox>("grpServerDetails")->isEnabled());
  dialogs.inputAnswers = {std::string("Shop")};
  Click("btnNewServer");
  EXPECT_EQ(Listed(Def<QListWidget>("lstServers")), Names{"Shop"});
  EXPECT_TRUE(definition->HasServers());
  EXPECT_TRUE(Def<QGroupBox>("grpServerDetails")->isEnabled());
  EXPECT_EQ(QApplication::focusWidget(), Def("txtAddress"));

  TypeAndLeave("txtAddress", "ftp.example.com");
  EXPECT_EQ(Def("txtHTTPBase")->text(), "http://ftp.example.com");
  EXPECT_EQ(Stored("Shop", "HTTP Root"), "http://ftp.example.com");
  TypeAndLeave("txtDirectory", "public_html");
  EXPECT_EQ(Def("txtHTTPBase")->text(), "http://ftp.example.com");
  TypeAndLeave("txtServerPassword", "pw123");
  EXPECT_EQ(Def("txtServerPassword")->echoMode(), QLineEdit::Password);
  EXPECT_EQ(store.Load("Shop").password, "pw123");
  // Not on the Choose Server page until the lists are loaded again.
  EXPECT_EQ(Listed(Control<QListWidget>(*choose, "lstChooseServer")), Names{});

  // Typing alone writes nothing; the page being turned leaves the field.
  Enter("txtLogin");
  QTest::keyClicks(Def("txtLogin"), "myname");
  EXPECT_EQ(Stored("Shop", "Login"), "<missing>");
  definition->hide();
  EXPECT_EQ(Stored("Shop", "Login"), "myname");
}

TEST_F(ServerPagesTest, ChoosingAnotherServerWritesTheFieldToTheOneLeft) {
  store.Write("Home", ServerField::Password, "secret");
  store.Write("Work", ServerField::Directory, "www");
  Load();
  auto* list = Def<QListWidget>("lstServers");
  ClickRow(list, 0);
  EXPECT_EQ(Def("txtServerPassword")->text(), "secret");
  Enter("txtLogin");
  QTest::keyClicks(Def("txtLogin"), "homeuser");
  ClickRow(list, 1);
  EXPECT_EQ(definition->CurrentServer(), "Work");
  EXPECT_EQ(Stored("Home", "Login"), "homeuser");
  EXPECT_EQ(Stored("Work", "Login"), "<missing>");
  EXPECT_EQ(Def("txtLogin")->text(), "");
  EXPECT_EQ(Def("txtDirectory")->text(), "www");
}

TEST_F(ServerPagesTest, EnteringTheHttpBaseShowsTheHelpUnlessSilenced) {
  dialogs.inputAnswers = {std::string("Shop")};
  Click("btnNewServer");
  QLineEdit* base = Def("txtHTTPBase");
  base->setText("http://example.com/MyDir");
  const auto enterBase = [&](Qt::FocusReason why) {
    elsewhere->setFocus(Qt::TabFocusReason);
    base->setFocus(why);
    QTest::qWait(20);
    return dialogs.shown.size() - 1;  // help texts shown after the name
  };
  EXPECT_EQ(enterBase(Qt::TabFocusReason), 1u);
  EXPECT_EQ(dialogs.shown.back().text, ServerPageDirHelp());
  EXPECT_EQ(dialogs.shown.back().caption, "Tillon Applicator - A Special Message");
  EXPECT_FALSE(base->hasSelectedText());  // Tab would have selected it all
  EXPECT_EQ(base->cursorPosition(), 0);
  // The window coming back after a message is no entering of the field.
  EXPECT_EQ(enterBase(Qt::ActiveWindowFocusReason), 1u);
  ctx.Settings().WriteText("Messages", "Server Page Dir", "No More");
  EXPECT_EQ(enterBase(Qt::MouseFocusReason), 1u);
  ctx.Settings().WriteText("Messages", "Server Page Dir", "no more");
  EXPECT_EQ(enterBase(Qt::MouseFocusReason), 2u);
}

TEST_F(ServerPagesTest, DeleteEmptiesTheDetailsButChooseServerKeepsTheNameUntilReloaded) {
  store.Write("Home", ServerField::Address, "ftp.example.com");
  store.Write("Work", ServerField::Address, "ftp.work.example.com");
  Load();
  Click("btnDeleteServer");  // nothing current: not asked
  EXPECT_TRUE(dialogs.shown.empty());
  ClickRow(Def<QListWidget>("lstServers"), 0);
  dialogs.messageAnswers = {MsgResult::Yes};
  Click("btnDeleteServer");
  EXPECT_EQ(dialogs.MessageTexts(), Names{"Are you sure you want to delete Home ?"});
  EXPECT_EQ(Listed(Def<QListWidget>("lstServers")), Names{"Work"});
  EXPECT_EQ(Def("txtAddress")->text(), "");
  EXPECT_FALSE(Def<QGroupBox>("grpServerDetails")->isEnabled());
  EXPECT_EQ(store.Names(), Names{"Work"});

  auto* chooseList = Control<QListWidget>(*choose, "lstChooseServer");
  EXPECT_EQ(Listed(chooseList), (Names{"Home", "Work"}));
  EXPECT_TRUE(Load());
  EXPECT_EQ(Listed(chooseList), Names{"Work"});
}

TEST_F(ServerPagesTest, ChooseServerSelectsTheLastServerAndTellsAnotherChoice) {
  const std::string longHost = "ftp.a-rather-long-host-name-for-uploads.example.com";
  store.Write("Home", ServerField::Address, longHost);
  store.Write("Work", ServerField::Directory, "public_html");
  ctx.Settings().WriteText("", "Last Server", "Home");
  EXPECT_TRUE(Load());
  EXPECT_EQ(choose->ChosenServer(), "Home");
  EXPECT_EQ(otherChosen, 0);
  auto* address = Control<QLabel>(*choose, "lblAddress");
  EXPECT_EQ(choose->ShownAddress(), longHost);  // shortened on the label, whole in its tip
  EXPECT_EQ(address->toolTip().toStdString(), longHost);
  EXPECT_LE(address->fontMetrics().horizontalAdvance(address->text()), address->width());
  EXPECT_EQ(Control<QLabel>(*choose, "lblInitialDir")->text(), "[Default]");

  auto* list = Control<QListWidget>(*choose, "lstChooseServer");
  ClickRow(list, 1);
  EXPECT_EQ(choose->ChosenServer(), "Work");
  EXPECT_EQ(otherChosen, 1);
  EXPECT_EQ(Control<QLabel>(*choose, "lblInitialDir")->text(), "public_html");
  ClickRow(list, 1);  // the same one again
  EXPECT_EQ(otherChosen, 1);

  // A "Last Server" no longer listed chooses nothing.
  ctx.Settings().WriteText("", "Last Server", "Gone");
  Load();
  EXPECT_EQ(choose->ChosenServer(), "");
  EXPECT_EQ(address->text(), "");
  EXPECT_EQ(otherChosen, 1);
}

TEST_F(ServerPagesTest, PagesKeepToTheRoomAndChooseServerLeavesThePictureCorner) {
  const QRect room(0, 0, 398, 282);
  const QRect picture(0, 0, 104, 128);
  for (QWidget* page : {static_cast<QWidget*>(definition), static_cast<QWidget*>(choose)}) {
    for (QWidget* w : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      SCOPED_TRACE(w->objectName().toStdString());
      EXPECT_TRUE(room.contains(w->geometry()));
      EXPECT_TRUE(page == definition || !picture.intersects(w->geometry()));
    }
    for (QLabel* l : page->findChildren<QLabel*>()) {  // no text cut off
      SCOPED_TRACE(l->text().toStdString());
      if (l->wordWrap())
        EXPECT_LE(l->heightForWidth(l->width()), l->height());
      else
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width());
    }
  }
}

}  // namespace
