// The real pennant program beside the real stand-in editor, on an X display
// and session bus of their own, driven only by keys as a person would: the
// accelerators of the wizard's buttons and typing into the focused field.
#include <gtest/gtest.h>

#include <QProcess>
#include <memory>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/dbus_host_editor.h"
#include "push_fixture.h"
#include "support/host_fixture.h"
#include "support/x_keys.h"
#include "support/file_bytes.h"

using namespace tendrel;
namespace fs = std::filesystem;

namespace {

const std::string kPage =
    "<html>\r\n<head>\r\n<title>News</title>\r\n</head>\r\n<body>\r\n<p>Hi</p>\r\n</body>\r\n</html>\r\n";
const std::string kPennantTitle = "Pennant v1.01";
constexpr char kPCSelf[] = "http://up.test/pc.cdf";

class PennantProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!x.installed()) GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_FALSE(x.display().empty()) << "Xvfb gave no display number";
    // The page is saved in the editor's own folder for pages, where the
    // channel files go by default, so the buttons link to them by name.
    fs::create_directories(pages);
    std::ofstream(page, std::ios::binary) << kPage;
    host = std::make_unique<HostProcess>(QStringList{QString::fromStdString(page.string())},
                                         QStringList{QStringLiteral("QT_QPA_PLATFORM=xcb"), Display()});
    ASSERT_TRUE(host->WaitUntilServing(30000)) << "the editor did not come onto the bus";
    appPath = DBusHostEditor::Create()->CallText("GetAppPath");
    ASSERT_EQ(DBusHostEditor::Create()->CallText("CurrentDocName"), page.string());
    ASSERT_EQ(fs::path(appPath) / "html files", pages) << "the editor keeps its pages elsewhere";
    ASSERT_FALSE(fs::exists(conf));
  }
  void TearDown() override {
    if (pennant.state() != QProcess::NotRunning) {
      pennant.kill();
      pennant.waitForFinished(5000);
    }
  }

  QString Display() const { return QStringLiteral("DISPLAY=") + QString::fromStdString(x.display()); }

  // Starts the program and waits until its window shows; returns the window.
  xcb_window_t StartPennant(Keys& keys) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();  // the private bus and home
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), QString::fromStdString(x.display()));
    env.insert(QStringLiteral("PENNANT_MAKER_URL"), QStringLiteral("http://maker.test"));
    env.insert(QStringLiteral("PENNANT_NETSCAPE_URL"), QStringLiteral("http://netscape.test"));
    pennant.setProcessEnvironment(env);
    pennant.setProcessChannelMode(QProcess::ForwardedChannels);
    pennant.start(QStringLiteral(PENNANT_PATH), {});
    if (!pennant.waitForStarted(10000)) return 0;
    xcb_window_t w = 0;
    WaitFor([&] {
      w = keys.Find(kPennantTitle);
      return (w != 0 && keys.Viewable(w)) || pennant.state() == QProcess::NotRunning;
    }, 60000);
    if (w == 0 || !keys.Viewable(w)) return 0;
    // The window takes the keyboard; Qt makes it the active window, where
    // the buttons' accelerators apply.
    if (!keys.Focus(w)) return 0;
    Pause();
    return w;
  }
  // Time for the program to act on the last key. A button's accelerator
  // clicks it only after a short press animation, and a second accelerator
  // during the animation is lost, so each waits well past it.
  void Pause() {
    WaitFor([this] { return pennant.state() == QProcess::NotRunning; }, 1200);
  }
  // The program ends by itself: true when it did with code 0; else it is
  // killed, so a wizard stuck on a message never hangs the test.
  ::testing::AssertionResult EndsByItself() {
    if (!pennant.waitForFinished(60000)) {
      pennant.kill();
      pennant.waitForFinished(5000);
      return ::testing::AssertionFailure() << "pennant did not end within a minute and was killed";
    }
    if (pennant.exitStatus() != QProcess::NormalExit) return ::testing::AssertionFailure() << "pennant crashed";
    if (pennant.exitCode() != 0) return ::testing::AssertionFailure() << "pennant ended with " << pennant.exitCode();
    return ::testing::AssertionSuccess();
  }

  PrivateXServer x;
  TempHome home;
  fs::path pages = fs::path(home.data()) / "Tendrel" / "Marquill" / "html files";
  fs::path page = pages / "page.htm";
  fs::path conf = fs::path(home.config()) / "Tendrel" / "Marquill.conf";
  std::string appPath;
  std::unique_ptr<HostProcess> host;
  QProcess pennant;
};

}  // namespace

TEST_F(PennantProgram, FinishWithEveryViewerWritesTheFilesFillsThePageAndEnds) {
  // The caret just after "<p>Hi</p>".
  const int caret = static_cast<int>(kPage.find("</p>") + 4);
  DBusHostEditor::Create()->Invoke("setselection", {caret, 0});
  Keys keys(x.display());
  ASSERT_TRUE(keys.connected());
  const xcb_window_t w = StartPennant(keys);
  ASSERT_NE(w, 0u) << "pennant's window did not show";

  // Intro, Main (all three viewers are ticked), Internet Explorer, PointCast.
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(keys.Alt(w, 'n'));
    Pause();
  }
  // The upload address has no default. The focus, on Help since the window
  // opened, goes back past the update hours to the address, whose text is
  // then selected; typing replaces it, and Tab leaves the field, which puts
  // the address into its history.
  ASSERT_TRUE(keys.Press(w, Keys::kTab, Keys::kShift));
  ASSERT_TRUE(keys.Press(w, Keys::kTab, Keys::kShift));
  Pause();
  ASSERT_TRUE(keys.Write(w, kPCSelf));
  ASSERT_TRUE(keys.Press(w, Keys::kTab));
  Pause();
  // Netcaster, Common, the summary; there the button reads "&Finish".
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(keys.Alt(w, 'n'));
    Pause();
  }
  ASSERT_TRUE(keys.Alt(w, 'f'));
  ASSERT_TRUE(EndsByItself());

  // The channel files, where the defaults put them.
  const std::string ie = ReadFile(pages / "iechannel.cdf");
  EXPECT_EQ(ie.rfind("<CHANNEL", 0), 0u) << ie;
  EXPECT_NE(ie.find("HREF=\"http://maker.test/\""), std::string::npos) << ie;
  const std::string pc = ReadFile(pages / "pcchannel.cdf");
  EXPECT_EQ(pc.rfind("<CHANNEL", 0), 0u) << pc;
  EXPECT_NE(pc.find(std::string("SELF = \"") + kPCSelf + "\""), std::string::npos) << pc;

  // The three buttons at the caret, in order, linking to the files by name.
  const std::string text = DBusHostEditor::Create()->CallText("getalltext");
  const size_t ieButton = text.find(
      "<!--This Image links to the channel information file for Internet Explorer.-->\r\n<A HREF=\"iechannel.cdf\">"
      "<IMG SRC=\"http://maker.test/push/addiech.gif\"");
  ASSERT_NE(ieButton, std::string::npos) << text;
  ASSERT_GE(ieButton, 9u);
  EXPECT_EQ(text.substr(ieButton - 9, 9), "<p>Hi</p>") << text;
  const size_t pcButton =
      text.find("<!--This Image links to the channel information file for pointcast.-->\r\n<A HREF=\"pcchannel.cdf\">");
  const size_t ncButton = text.find("<!--Clicking this image will send your channel information to Netscape NetCaster.-->");
  EXPECT_NE(pcButton, std::string::npos) << text;
  EXPECT_NE(ncButton, std::string::npos) << text;
  EXPECT_LT(ieButton, pcButton);
  EXPECT_LT(pcButton, ncButton);
  EXPECT_LT(ncButton, text.find("</body>"));
  // The Netcaster script, whole, inside the head.
  const size_t script = text.find("<SCRIPT LANGUAGE=\"JavaScript1.2\">");
  ASSERT_NE(script, std::string::npos) << text;
  EXPECT_GT(script, text.find("<head>"));
  EXPECT_LT(text.rfind("</SCRIPT>"), text.find("</head>"));
  EXPECT_NE(text.find("var chanURL = 'http://maker.test/';"), std::string::npos) << text;

  // The histories were written on the way out, with the typed address.
  EXPECT_NE(ReadFile(conf).find("[Push]"), std::string::npos) << ReadFile(conf);
  EXPECT_EQ(pushtest::Stored("PCInfo"), kPCSelf);
  EXPECT_EQ(pushtest::Stored("CommonURL"), "");
}

TEST_F(PennantProgram, CancelEndsItLeavingThePageAndTheFolderAlone) {
  Keys keys(x.display());
  ASSERT_TRUE(keys.connected());
  const xcb_window_t w = StartPennant(keys);
  ASSERT_NE(w, 0u) << "pennant's window did not show";
  // Through to the summary, where Finish is one key away, then Cancel.
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(keys.Alt(w, 'n'));
    Pause();
  }
  ASSERT_TRUE(keys.Alt(w, 'c'));
  ASSERT_TRUE(EndsByItself());

  EXPECT_FALSE(fs::exists(pages / "iechannel.cdf"));
  EXPECT_FALSE(fs::exists(pages / "pcchannel.cdf"));
  EXPECT_EQ(DBusHostEditor::Create()->CallText("getalltext"), kPage);
  EXPECT_NE(ReadFile(conf).find("[Push]"), std::string::npos) << "the histories are kept on Cancel too";
}
