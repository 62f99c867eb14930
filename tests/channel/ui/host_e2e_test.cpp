// Pennant against the real stand-in editor on a private session bus: the
// wizard window in this process, and the program itself as a child process.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <filesystem>
#include <fstream>

#include "host/dbus_host_editor.h"
#include "host/marquill_running.h"
#include "push_fixture.h"
#include "support/editor_on_page.h"
#include "support/host_fixture.h"
#include "support/file_bytes.h"

using namespace tendrel;
using namespace tendrel::channel;
namespace fs = std::filesystem;

static auto* const kBus = ::testing::AddGlobalTestEnvironment(new PrivateBus);

namespace {

const std::string kPage =
    "<html>\r\n<head>\r\n<title>Caf\xC3\xA9 News</title>\r\n</head>\r\n<body>\r\n<p>Hi</p>\r\n</body>\r\n</html>\r\n";

PennantServices RealServices(UserDialogs& dialogs) {
  PennantServices s;
  s.dialogs = &dialogs;
  s.hostRunning = [] { return MarquillRunning(); };
  s.createHost = []() -> std::unique_ptr<HostEditor> { return DBusHostEditor::Create(); };
  s.showHelp = [](const std::string&) {};
  s.config = pushtest::TestConfig();
  s.listenForHost = false;
  return s;
}

class PennantWithEditor : public EditorOnPage {
 protected:
  PennantWithEditor() : EditorOnPage(kPage) {}
  void SetUp() override {
    InitResources();
    EditorOnPage::SetUp();
  }
};

}  // namespace

TEST_F(PennantWithEditor, FinishWritesTheFilesAndPutsButtonsAndScriptIntoTheDocument) {
  ScriptedDialogs dialogs;
  TfrmPush form(RealServices(dialogs));
  int closed = 0;
  QObject::connect(&form, &TfrmPush::closed, [&closed] { ++closed; });
  ASSERT_TRUE(form.FormCreate()) << "the editor's window was not found";
  // The defaults come from the editor's folder.
  const std::string appPath = DBusHostEditor::Create()->CallText("GetAppPath");
  EXPECT_EQ(form.findChild<QLineEdit*>(QStringLiteral("editIEFile"))->text().toStdString(),
            "file://" + appPath + "/html files/iechannel.cdf");

  dialogs.fileAnswers = {(site / "ie.cdf").string(), (site / "channels" / "pc.cdf").string()};
  fs::create_directories(site / "channels");
  form.btnIEChannelClick();
  form.btnPCFileClick();
  form.findChild<QComboBox*>(QStringLiteral("cmbPCSelf"))->setEditText(QStringLiteral("http://up.test/pc.cdf"));
  // The caret just after "<p>Hi</p>".
  const int caret = static_cast<int>(kPage.find("</p>") + 4);
  DBusHostEditor::Create()->Invoke("setselection", {caret, 0});
  form.OpenPage(PushPage::Finish);
  form.btnNextClick();

  EXPECT_TRUE(dialogs.MessageTexts().empty());
  EXPECT_EQ(closed, 1) << "a successful Finish closes the wizard";
  const std::string ie = ReadFile(site / "ie.cdf");
  EXPECT_EQ(ie.rfind("<CHANNEL\r\n", 0), 0u) << ie;
  EXPECT_NE(ie.find("\tHREF=\"http://maker.test/\" >"), std::string::npos) << ie;
  const std::string pc = ReadFile(site / "channels" / "pc.cdf");
  EXPECT_NE(pc.find("\tSELF = \"http://up.test/pc.cdf\"\r\n"), std::string::npos) << pc;

  const std::string text = DocumentText();
  const std::string buttons =
      "<!--This Image links to the channel information file for Internet Explorer.-->\r\n<A HREF=\"ie.cdf\">";
  // At the caret; the script put into the head since then has moved it on.
  const size_t at = text.find(buttons);
  ASSERT_NE(at, std::string::npos) << text;
  EXPECT_EQ(text.substr(at - 9, 9), "<p>Hi</p>") << text;
  EXPECT_NE(text.find("<A HREF=\"channels/pc.cdf\">"), std::string::npos) << text;
  const size_t script = text.find("<SCRIPT LANGUAGE=\"JavaScript1.2\">");
  ASSERT_NE(script, std::string::npos) << text;
  EXPECT_GT(script, text.find("<head>"));
  EXPECT_LT(text.rfind("</SCRIPT>"), text.find("</head>"));
  EXPECT_NE(text.find("var chanURL = 'http://maker.test/';"), std::string::npos);
}

TEST_F(PennantWithEditor, WithoutTheEditorItRefuses) {
  host->Kill();
  ScriptedDialogs dialogs;
  TfrmPush form(RealServices(dialogs));
  EXPECT_FALSE(form.FormCreate());
  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{
      "This program can only be run from within Marquill. Please start Marquill and try again."});
}

TEST_F(PennantWithEditor, TheProgramEndsCleanlyOnTheCloseMessageAndOnSigtermKeepingItsHistories) {
  for (const bool bySignal : {false, true}) {
    const char* how = bySignal ? "SIGTERM" : "1148";
    fs::remove_all(home.config());
    pushtest::Store("IEIcon", "http://kept.test/a.ico");
    QProcess pennant;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    pennant.setProcessEnvironment(env);
    pennant.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    pennant.start(QStringLiteral(PENNANT_PATH), {});
    ASSERT_TRUE(pennant.waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return CatchesSigterm(pennant.processId()); }, 10000)) << "pennant did not start";
    EXPECT_EQ(pushtest::Stored("CommonURL"), "<missing>") << how;
    if (bySignal) {
      ::kill(static_cast<pid_t>(pennant.processId()), SIGTERM);
    } else {
      QDBusMessage m = QDBusMessage::createSignal(QStringLiteral("/Plugin"), QStringLiteral("Marquill4.Plugin"),
                                                  QStringLiteral("PlugInMessage"));
      m << 1148;
      ASSERT_TRUE(QDBusConnection::sessionBus().send(m));
    }
    ASSERT_TRUE(pennant.waitForFinished(10000)) << how;
    EXPECT_EQ(pennant.exitStatus(), QProcess::NormalExit) << how;
    EXPECT_EQ(pennant.exitCode(), 0) << how;
    // Every history was written on the way out; the stored one is kept whole.
    EXPECT_EQ(pushtest::Stored("CommonURL"), "") << how;
    EXPECT_EQ(pushtest::Stored("IEIcon"), "http://kept.test/a.ico") << how;
  }
}
