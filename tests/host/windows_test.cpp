// Finding the editor's window, and its goodbye to the plug-ins.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>

#include "support/host_fixture.h"
#include "host/marquill_running.h"
#include "host/plugin_message.h"
#include "platform/windows.h"
#include "support/temp_home.h"

using namespace tendrel;

TEST(MarquillRunning, CaptionAndClassRule) {
  struct Case {
    std::string caption, cls;
    bool running;
  } cases[] = {
      {"Marquill4 - page.htm", "TfrmMain", true},
      {"  \tMarquill4", "TfrmMain", true},  // blanks before the name are trimmed
      {"Marquill Professional 4.1", "TfrmMain", true},
      {"Marquill4", "marquill.TfrmMainWindow", true},  // the class only has to contain it
      {"Marquill4 - page.htm", "TfrmMainX", true},
      {"Marquill4 - page.htm", "TMainForm", false},  // wrong class
      {"Marquill4 - page.htm", "tfrmmain", false},   // class compared exactly
      {"marquill4 - page.htm", "TfrmMain", false},   // caption compared exactly
      {"Marquill 4", "TfrmMain", false},
      {"Marquill Pro", "TfrmMain", false},
      {"Editor - Marquill4", "TfrmMain", false},  // must begin with the name
      {"", "TfrmMain", false},
      {"Marquill4", "", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MarquillRunning({{c.caption, c.cls}}), c.running) << "'" << c.caption << "' / " << c.cls;
  EXPECT_FALSE(MarquillRunning(std::vector<WindowInfo>{}));
  EXPECT_TRUE(MarquillRunning({{"Bravant", "TMainForm"}, {"Marquill4", "TfrmMain"}}));
}

TEST(HostWindows, AnnouncedOnTheBusAndGoodbyeOnClose) {
  TempHome home;
  EXPECT_TRUE(BusWindows(HostWindowAnnouncer()).empty());
  EXPECT_FALSE(MarquillRunning(BusWindows(HostWindowAnnouncer())));

  PlugInMessageListener listener;
  ASSERT_TRUE(listener.listening());
  int codes = 0, closes = 0;
  QObject::connect(&listener, &PlugInMessageListener::messageReceived, [&](int code) {
    EXPECT_EQ(code, 1148);
    ++codes;
  });
  QObject::connect(&listener, &PlugInMessageListener::closeRequested, [&] { ++closes; });

  // The editor takes a picture of itself after a while and closes.
  const QString shot = QString::fromStdString(home.root()) + QStringLiteral("/shot.png");
  HostProcess host({QStringLiteral("--screenshot"), shot, QStringLiteral("--screenshot-delay"),
                    QStringLiteral("1500")});
  ASSERT_TRUE(host.WaitUntilServing());
  const std::vector<WindowInfo> windows = BusWindows(HostWindowAnnouncer());
  ASSERT_FALSE(windows.empty());
  EXPECT_EQ(windows.front(), (WindowInfo{"Marquill4 - Untitled", "TfrmMain"}));
  EXPECT_TRUE(MarquillRunning(windows));

  ASSERT_TRUE(WaitFor([&] { return closes > 0; }, 8000)) << "no PlugInMessage(1148) when the editor closed";
  EXPECT_EQ(codes, 1);
  EXPECT_TRUE(host.Process().state() == QProcess::NotRunning || host.Process().waitForFinished(5000));
  EXPECT_EQ(host.Process().exitCode(), 0);
  EXPECT_GT(QFileInfo(shot).size(), 1000);
  EXPECT_TRUE(WaitFor([] { return !MarquillRunning(BusWindows(HostWindowAnnouncer())); }, 3000));
}

TEST(HostWindows, X11WindowHasCaptionAndClass) {
  PrivateXServer x;
  if (!x.installed()) GTEST_SKIP() << "Xvfb is not installed";
  TempHome home;
  const std::string display = x.display();
  ASSERT_FALSE(display.empty()) << "Xvfb gave no display number";

  EXPECT_FALSE(MarquillRunning(X11Windows(display)));
  {
    HostProcess host({}, {QStringLiteral("QT_QPA_PLATFORM=xcb"),
                          QStringLiteral("DISPLAY=") + QString::fromStdString(display)});
    const WindowInfo wanted{"Marquill4 - Untitled", "TfrmMain"};
    bool seen = WaitFor([&] {
      auto w = X11Windows(display);
      return std::find(w.begin(), w.end(), wanted) != w.end();
    }, 10000);
    EXPECT_TRUE(seen) << "the editor's X11 window was not found with its caption and class";
    EXPECT_TRUE(MarquillRunning(X11Windows(display)));
  }
  EXPECT_TRUE(X11Windows(":4093").empty()) << "an unreachable display lists nothing";
}
