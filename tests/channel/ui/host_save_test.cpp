// Finish on a document without a name, through the real stand-in editor on
// an X display of its own: Pennant asks for the save, the editor's Save As
// dialog is answered by keys sent to it, and the next Finish goes through.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDBusConnection>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "host/dbus_host_editor.h"
#include "host/marquill_running.h"
#include "push_fixture.h"
#include "support/host_fixture.h"
#include "support/x_keys.h"

using namespace tendrel;
using namespace tendrel::channel;
namespace fs = std::filesystem;

TEST(PennantUnsavedDocument, TheEditorSavesItThenFinishGoesThrough) {
  // The program's private session bus comes from host_e2e_test.cpp.
  PrivateXServer x;
  if (!x.installed()) GTEST_SKIP() << "Xvfb is not installed";
  ASSERT_FALSE(x.display().empty()) << "Xvfb gave no display number";
  TempHome home;
  InitResources();
  {
    HostProcess host({}, {QStringLiteral("QT_QPA_PLATFORM=xcb"),
                          QStringLiteral("DISPLAY=") + QString::fromStdString(x.display())});
    ASSERT_TRUE(host.WaitUntilServing()) << "the editor did not come onto the bus";
    const std::string appPath = DBusHostEditor::Create()->CallText("GetAppPath");
    const fs::path saved = fs::path(appPath) / "html files" / "news.htm";

    ScriptedDialogs dialogs;
    PennantServices s;
    s.dialogs = &dialogs;
    s.hostRunning = [] { return MarquillRunning(); };
    s.createHost = []() -> std::unique_ptr<HostEditor> { return DBusHostEditor::Create(); };
    s.config = pushtest::TestConfig();
    s.listenForHost = false;
    TfrmPush form(s);
    int closed = 0;
    QObject::connect(&form, &TfrmPush::closed, [&closed] { ++closed; });
    ASSERT_TRUE(form.FormCreate());
    form.show();
    form.OpenPage(PushPage::Finish);

    // The person at the editor: names the file in its Save As dialog, and
    // tries again while no file appears. Should the dialog never take the
    // name, the editor is ended, so that the waiting call fails rather than
    // hanging the test.
    std::atomic<bool> answered{false};
    const qint64 hostPid = host.Pid();
    std::thread person([&answered, &saved, hostPid, display = x.display()] {
      Keys keys(display);
      for (int attempt = 0; attempt < 4 && !answered; ++attempt) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(attempt == 0 ? 15 : 3);
        xcb_window_t dialog = 0;
        while (dialog == 0 && std::chrono::steady_clock::now() < until) {
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
          dialog = keys.Find("Save As");
        }
        if (dialog == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the dialog takes its focus
        if (!keys.Type(dialog, "news")) break;
        for (int i = 0; i < 40 && !answered; ++i) {
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
          answered = fs::is_regular_file(saved);
        }
      }
      if (!answered) ::kill(static_cast<pid_t>(hostPid), SIGKILL);
    });
    form.btnNextClick();  // waits in ForceSave until the dialog closes
    person.join();
    ASSERT_TRUE(answered) << "the editor's Save As dialog did not save the page";

    EXPECT_EQ(dialogs.MessageTexts(),
              std::vector<std::string>{"Before compiling, you need to save your current HTML document within "
                                       "Marquill, so that relative references can be created."});
    EXPECT_EQ(closed, 0) << "the wizard stays for the next Finish";
    EXPECT_FALSE(form.isMinimized());
    EXPECT_EQ(DBusHostEditor::Create()->CallText("CurrentDocName"), saved.string());
    EXPECT_TRUE(fs::is_regular_file(saved));

    // Finish again, now that the page has a name: the files go beside it.
    dialogs.fileAnswers = {(saved.parent_path() / "ie.cdf").string(), (saved.parent_path() / "pc.cdf").string()};
    form.btnIEChannelClick();
    form.btnPCFileClick();
    form.findChild<QComboBox*>(QStringLiteral("cmbPCSelf"))->setEditText(QStringLiteral("http://up.test/pc.cdf"));
    form.OpenPage(PushPage::Finish);
    form.btnNextClick();
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(fs::is_regular_file(saved.parent_path() / "ie.cdf"));
    const std::string text = DBusHostEditor::Create()->CallText("getalltext");
    EXPECT_NE(text.find("<A HREF=\"ie.cdf\">"), std::string::npos) << text;
    EXPECT_NE(text.find("<A HREF=\"pc.cdf\">"), std::string::npos) << text;
  }
}
