#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace tendrel {
namespace {

using Filters = std::vector<std::string>;

TEST(QtNameFilters, PairsBecomeQtFilters) {
  const std::pair<std::string, Filters> cases[] = {
      {"Text Files|*.txt|All Files|*.*", {"Text Files (*.txt)", "All Files (*)"}},
      {"gif,jpg|*.gif;*.jpg|All Files|*.*", {"gif,jpg (*.gif *.jpg)", "All Files (*)"}},
      {"HTML Files (*.htm,*.html)|*.htm;*.html", {"HTML Files (*.htm *.html)"}},
      {"GIF,JPEG (*.gif,*.jpg,*.jpeg)|*.gif;*.jpg;*.jpeg", {"GIF,JPEG (*.gif *.jpg *.jpeg)"}},
      {"Channel Files(*.CDF)|*.CDF", {"Channel Files(*.CDF)"}},
      {"Text files (*.txt)|*.txt|All files (*.*)|*.*", {"Text files (*.txt)", "All files (*)"}},
      {"Pictures (GIF)|*.gif", {"Pictures (GIF) (*.gif)"}},
      {"Any|", {"Any (*)"}},
      {"|*.txt", {"(*.txt)"}},
      {"Lonely", {}},
      {"", {}},
  };
  for (const auto& [filter, expected] : cases) EXPECT_EQ(QtNameFilters(filter), expected) << filter;
}

// Answers the next modal dialog with a key once it is up.
void PressInNextDialog(Qt::Key key) {
  QTimer::singleShot(0, [key] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal) QTest::keyClick(modal, key);
  });
}

TEST(QtUserDialogs, QuestionsDefaultToYesAndEscapeAnswersNo) {
  QtUserDialogs dialogs;
  PressInNextDialog(Qt::Key_Return);
  EXPECT_EQ(dialogs.Message("Go?", "Confirm", MsgIcon::Question, MsgButtons::YesNo), MsgResult::Yes);
  PressInNextDialog(Qt::Key_Escape);
  EXPECT_EQ(dialogs.Message("Go?", "Confirm", MsgIcon::Question, MsgButtons::YesNo), MsgResult::No);
  PressInNextDialog(Qt::Key_Escape);
  EXPECT_EQ(dialogs.Message("Go?", "", MsgIcon::None, MsgButtons::YesNoCancel), MsgResult::Cancel);
}

TEST(QtUserDialogs, FileDialogGetsFolderAndFilter) {
  QtUserDialogs dialogs;
  FileDialogRequest req;
  req.filter = "Text Files|*.txt|All Files|*.*";
  req.filterIndex = 2;
  req.initialDir = QDir::tempPath().toStdString();
  QString filter, folder;
  QTimer::singleShot(0, [&] {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      filter = dialog->selectedNameFilter();
      folder = dialog->directory().absolutePath();
      dialog->reject();
    }
  });
  EXPECT_EQ(dialogs.OpenFile(req), std::nullopt);
  EXPECT_EQ(filter, "All Files (*)");
  EXPECT_EQ(folder, QDir(QDir::tempPath()).absolutePath());
}

}  // namespace
}  // namespace tendrel
