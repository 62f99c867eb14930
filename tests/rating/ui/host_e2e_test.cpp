// Kestrel against the real stand-in editor on a private session bus: the
// wizard window in this process, and the program itself as a child process.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "support/editor_on_page.h"
#include "support/host_fixture.h"
#include "support/safesurf_stand_in.h"
#include "host/dbus_host_editor.h"
#include "host/marquill_running.h"
#include "rating/ui/frm_main.h"
#include "resources/resources.h"
#include "support/temp_home.h"
#include "wizard_fixture.h"
#include "support/scripted_dialogs.h"

using namespace tendrel;
namespace fs = std::filesystem;

static auto* const kBus = ::testing::AddGlobalTestEnvironment(new PrivateBus);

namespace {

const std::string kPage =
    "<html>\r\n<head>\r\n<title>Caf\xC3\xA9 Ratings</title>\r\n</head>\r\n<body>\r\n<p>Hi</p>\r\n</body>\r\n</html>\r\n";

class KestrelWithEditor : public EditorOnPage {
 protected:
  KestrelWithEditor() : EditorOnPage(kPage) {}
};

}  // namespace

TEST_F(KestrelWithEditor, FinishPutsTheLabelAndLogoIntoTheDocument) {
  InitResources();
  ScriptedDialogs dialogs;
  KestrelServices s;
  s.dialogs = &dialogs;
  s.hostRunning = [] { return MarquillRunning(); };
  s.createHost = []() -> std::unique_ptr<HostEditor> { return DBusHostEditor::Create(); };
  s.config = Wizard::TestConfig();
  s.listenForHost = false;
  TfrmMain form(s);
  ASSERT_TRUE(form.FormCreate()) << "the editor's window was not found";
  EXPECT_EQ(form.findChild<QLineEdit*>(QStringLiteral("txtSiteTitle"))->text().toStdString(), "Caf\xC3\xA9 Ratings");
  form.findChild<QLineEdit*>(QStringLiteral("txtUserEmail"))->setText(QStringLiteral("me@example.org"));
  form.findChild<QSlider*>(QStringLiteral("trk008"))->setValue(6);
  form.OpenPage(kPageFinish);
  form.FinishButtClick();

  const std::string text = DocumentText();
  const std::string label =
      "<META http-equiv=\"PICS-Label\" content='(PICS-1.1 \"http://svc.test/v1/\" l by \"me@example.org\" "
      "r (SS~~000 1 SS~~008 6))'>";
  const size_t head = text.find("<head>");
  ASSERT_NE(head, std::string::npos);
  EXPECT_EQ(text.find(label), head + 6) << text;
  const std::string logo = "<A HREF=\"http://safesurf.test/home/\"><IMG BORDER=0 SRC=\"ssurf.gif\"></A>";
  EXPECT_NE(text.find(logo + "</body>"), std::string::npos) << text;
  EXPECT_TRUE(fs::is_regular_file(site / "ssurf.gif"));
  QFile shipped(QStringLiteral(":/file/ssurf.gif"));
  ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
  EXPECT_EQ(static_cast<qint64>(fs::file_size(site / "ssurf.gif")), shipped.size());
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_FALSE(form.isVisible());
}

TEST_F(KestrelWithEditor, TheProgramEndsCleanlyOnTheCloseMessageAndOnSigterm) {
  for (const bool bySignal : {false, true}) {
    QProcess kestrel;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    kestrel.setProcessEnvironment(env);
    kestrel.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    kestrel.start(QStringLiteral(KESTREL_PATH), {});
    ASSERT_TRUE(kestrel.waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return CatchesSigterm(kestrel.processId()); }, 10000))
        << "kestrel did not get past its start";
    if (bySignal) {
      ::kill(static_cast<pid_t>(kestrel.processId()), SIGTERM);
    } else {
      QDBusMessage m = QDBusMessage::createSignal(QStringLiteral("/Plugin"), QStringLiteral("Marquill4.Plugin"),
                                                  QStringLiteral("PlugInMessage"));
      m << 1148;
      ASSERT_TRUE(QDBusConnection::sessionBus().send(m));
    }
    ASSERT_TRUE(kestrel.waitForFinished(10000)) << (bySignal ? "SIGTERM" : "1148");
    EXPECT_EQ(kestrel.exitStatus(), QProcess::NormalExit) << (bySignal ? "SIGTERM" : "1148");
    EXPECT_EQ(kestrel.exitCode(), 0) << (bySignal ? "SIGTERM" : "1148");
  }
}

TEST_F(KestrelWithEditor, TheCloseMessageDuringASubmissionEndsItPromptly) {
  SafeSurfStandIn server({QStringLiteral("--slow"), QStringLiteral("40")});
  ASSERT_NE(server.port(), 0);
  InitResources();
  ScriptedDialogs dialogs;
  KestrelServices s;
  s.dialogs = &dialogs;
  s.hostRunning = [] { return MarquillRunning(); };
  s.createHost = []() -> std::unique_ptr<HostEditor> { return DBusHostEditor::Create(); };
  s.config = Wizard::TestConfig();
  s.config.registrationPort = server.port();
  s.config.stallTimeoutMs = 60000;
  s.listenForHost = true;
  TfrmMain form(s);
  int closed = 0;
  QObject::connect(&form, &TfrmMain::closed, [&closed] { ++closed; });
  ASSERT_TRUE(form.FormCreate());
  form.show();
  form.findChild<QLineEdit*>(QStringLiteral("txtUserName"))->setText(QStringLiteral("Ann Lee"));
  form.findChild<QLineEdit*>(QStringLiteral("txtUserEmail"))->setText(QStringLiteral("me@example.org"));
  form.OpenPage(kPageSubmit);
  form.NextButtClick();
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.Received() == 1; }, 5000));
  ASSERT_TRUE(form.stepping());

  QDBusMessage m = QDBusMessage::createSignal(QStringLiteral("/Plugin"), QStringLiteral("Marquill4.Plugin"),
                                              QStringLiteral("PlugInMessage"));
  m << 1148;
  QElapsedTimer t;
  t.start();
  ASSERT_TRUE(QDBusConnection::sessionBus().send(m));
  ASSERT_TRUE(QTest::qWaitFor([&] { return closed == 1; }, 10000));
  EXPECT_LT(t.elapsed(), 3000) << "well below the server's 40 s";
  EXPECT_FALSE(form.stepping());
  EXPECT_FALSE(form.isVisible());
  QTest::qWait(100);
  EXPECT_TRUE(dialogs.shown.empty());
}
