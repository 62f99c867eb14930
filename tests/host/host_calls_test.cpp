// The D-Bus host link against the real stand-in editor on a private bus.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/host_fixture.h"
#include "host/dbus_host_editor.h"
#include "host/document.h"
#include "support/temp_home.h"
#include "support/file_bytes.h"

using namespace tendrel;
namespace fs = std::filesystem;

static auto* const kBus = ::testing::AddGlobalTestEnvironment(new PrivateBus);

namespace {

void WriteFile(const fs::path& p, const std::string& s) {
  std::ofstream(p, std::ios::binary) << s;
}

class HostLink : public ::testing::Test {
 protected:
  // Starts the editor on `page` (written to a file first unless empty).
  std::unique_ptr<DBusHostEditor> Start(const std::string& page, const QStringList& env = {},
                                        int timeoutMs = DBusHostEditor::kDefaultTimeoutMs) {
    QStringList args;
    if (!page.empty()) {
      WriteFile(pagePath, page);
      args << QString::fromStdString(pagePath.string());
    }
    host = std::make_unique<HostProcess>(args, env);
    EXPECT_TRUE(host->WaitUntilServing()) << "the editor did not come onto the bus";
    return DBusHostEditor::Create(timeoutMs);
  }

  TempHome home;
  fs::path site = fs::path(home.root()) / "site";
  fs::path pagePath = site / "page.htm";
  std::unique_ptr<HostProcess> host;

  void SetUp() override { fs::create_directories(site); }
};

const std::string kPage =
    "<html>\r\n<head>\r\n<title> Caf\xC3\xA9 page &amp; more </title>\r\n</head>\r\n"
    "<body>\r\n<p>Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC 5 \xF0\x9F\x98\x80 mark</p>\r\n</body>\r\n</html>\r\n";

}  // namespace

TEST_F(HostLink, EveryCallOnAnOpenPage) {
  auto h = Start(kPage);
  EXPECT_EQ(h->CallText("IsOpenDoc"), "true");
  EXPECT_EQ(h->CallText("getalltext"), kPage);
  EXPECT_EQ(h->CallText("GETALLTEXT"), kPage) << "names are matched without regard to case";
  EXPECT_EQ(h->CallText("CurrentDocName"), pagePath.string());
  EXPECT_EQ(h->CallText("GetWorkDir"), site.string());
  // The title as a browser shows it: references decoded, blanks trimmed.
  EXPECT_EQ(h->CallText("DOC_GETHTMLTITLE"), "Caf\xC3\xA9 page & more");

  const fs::path app = h->CallText("GetAppPath");
  EXPECT_EQ(app, fs::path(home.data()) / "Tendrel" / "Marquill");
  EXPECT_TRUE(fs::is_directory(app / "help"));
  EXPECT_TRUE(fs::is_directory(app / "html files"));

  // Select "mark" (after two-, three- and four-byte characters) and replace it.
  const int mark = static_cast<int>(kPage.find("mark"));
  h->Invoke("setselection", {mark, 4});
  EXPECT_EQ(h->CallInt("getselstart"), mark);
  EXPECT_EQ(h->CallText("getseltext"), "mark");
  h->Invoke("puttextatcursor", {std::string("\xC3\xA9t\xC3\xA9\r\n")});
  EXPECT_EQ(h->CallInt("getselstart"), mark + 7);
  EXPECT_EQ(h->CallText("getseltext"), "");

  h->Invoke("puttexthead", {std::string("<meta name=\"a\">")});
  h->Invoke("TEXT_INSERTBEFORESLASHBODYTAG", {std::string("<a>logo</a>")});
  std::string expected = kPage;
  expected.replace(static_cast<size_t>(mark), 4, "\xC3\xA9t\xC3\xA9\r\n");
  expected.insert(expected.find("<head>") + 6, "<meta name=\"a\">");
  expected.insert(expected.find("</body>"), "<a>logo</a>");
  EXPECT_EQ(h->CallText("getalltext"), expected);
  EXPECT_EQ(h->CallInt("getselstart"), mark + 7 + 15) << "the caret moves with the text put before it";

  // ForceSave writes the named page as getalltext shows it, CR LF and all.
  h->Invoke("ForceSave", {});
  EXPECT_EQ(ReadFile(pagePath), expected);

  // copyfiles puts a file into the page's folder; one already there stays whole.
  WriteFile(home.root() + "/ssurf.gif", "GIF89a");
  h->Invoke("copyfiles", {home.root() + "/ssurf.gif"});
  EXPECT_EQ(ReadFile(site / "ssurf.gif"), "GIF89a");
  h->Invoke("copyfiles", {(site / "ssurf.gif").string()});
  EXPECT_EQ(ReadFile(site / "ssurf.gif"), "GIF89a");
  EXPECT_THROW(h->Invoke("copyfiles", {home.root() + "/missing.gif"}), EHostError);

  h->Invoke("replacealltext", {std::string("<p>new</p>")});
  EXPECT_EQ(h->CallText("getalltext"), "<p>new</p>");
  EXPECT_EQ(h->CallInt("getselstart"), 0);
  EXPECT_EQ(h->CallText("DOC_GETHTMLTITLE"), "");
  h->Invoke("puttexthead", {std::string("<title>T</title>")});
  EXPECT_EQ(h->CallText("getalltext"), "<head><title>T</title></head><p>new</p>");

  // A page with unsaved changes is not thrown away by OpenNewFile.
  EXPECT_THROW(h->Invoke("OpenNewFile", {}), EHostError);
  h->Invoke("ForceSave", {});
  h->Invoke("OpenNewFile", {});
  EXPECT_EQ(h->CallText("getalltext"), "");
  EXPECT_EQ(h->CallText("CurrentDocName"), "");
  EXPECT_EQ(h->CallText("GetWorkDir"), "");
  EXPECT_EQ(h->CallText("IsOpenDoc"), "true");
  EXPECT_THROW(h->Invoke("copyfiles", {home.root() + "/ssurf.gif"}), EHostError) << "no folder yet";
}

TEST_F(HostLink, DocumentRoutinesKeepByteExactPositions) {
  // Each page has a "<b>x</b>" after text that differs in bytes and in the
  // editor's own counting: multi-byte characters, a character outside the
  // basic plane, and every kind of line end.
  const std::string pages[] = {
      "a\xC3\xA9\xC3\xA9<b>x</b>z",
      "\xF0\x9F\x98\x80\xF0\x9F\x98\x80 <b>x</b>",
      "l1\r\nl2\r\n\r\n<b>x</b>\r\nend",
      "l1\rl2\nl3\r\n\xE2\x80\xA9<b>x</b>",
      "nb\xC2\xA0sp\n\n<b>x</b>\n",
  };
  auto h = Start("");
  for (const std::string& page : pages) {
    ASSERT_TRUE(DocWrite(h.get(), page, true, false));
    ASSERT_EQ(DocRead(h.get(), true), page);
    const int at = static_cast<int>(page.find("<b>x</b>"));
    ASSERT_TRUE(DocReplaceRange(h.get(), at, 8, "<i>\xC3\xBC\r\n</i>"));
    std::string expected = page;
    expected.replace(static_cast<size_t>(at), 8, "<i>\xC3\xBC\r\n</i>");
    EXPECT_EQ(DocRead(h.get(), true), expected);
    EXPECT_EQ(h->CallInt("getselstart"), at) << "DocWrite leaves the caret where the text begins";

    ASSERT_TRUE(DocWrite(h.get(), "\xE2\x82\xAC", false, true));
    EXPECT_EQ(DocRead(h.get(), false), "\xE2\x82\xAC");
    // A position inside a character moves to that character's start.
    h->Invoke("setselection", {at + 1, 0});
    EXPECT_EQ(h->CallInt("getselstart"), at);
  }
}

TEST_F(HostLink, BadCallsAreHostErrors) {
  auto h = Start("<p>x</p>");
  struct Case {
    std::string name;
    std::vector<HostValue> args;
    std::string inMessage;
  } cases[] = {
      {"NoSuchCall", {}, "does not know the call NoSuchCall"},
      {"setselection", {std::string("1"), 0}, "argument 1 must be an integer"},
      {"puttextatcursor", {}, "argument 1 must be a text"},
      {"PreviewWith", {std::string("/x.htm"), std::string("/nonexistent/browser")}, "could not be started"},
  };
  for (const auto& c : cases) {
    try {
      h->Invoke(c.name, c.args);
      ADD_FAILURE() << c.name << " did not fail";
    } catch (const EHostError& e) {
      EXPECT_NE(std::string(e.what()).find(c.inMessage), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(h->CallText("getalltext"), "<p>x</p>") << "failed calls change nothing";
}

TEST_F(HostLink, BrowsersFoundInPathAndStartedWithTheFile) {
  // Stand-in programs that write down what they were given. xdg-open stands
  // in for a desktop's handler, so no real browser is ever started.
  const fs::path bin = fs::path(home.root()) / "bin";
  const fs::path marker = fs::path(home.root()) / "opened.txt";
  fs::create_directories(bin);
  for (const char* name : {"firefox", "xdg-open", "mybrowser"}) {
    WriteFile(bin / name, "#!/bin/sh\necho \"$@\" >> '" + marker.string() + "'\n");
    fs::permissions(bin / name, fs::perms::owner_all);
  }
  // The stand-ins alone on the path: a browser installed on the machine
  // (/bin is /usr/bin on Debian) would join the list.
  auto h = Start("<p>x</p>", {QStringLiteral("PATH=%1").arg(QString::fromStdString(bin.string()))});

  EXPECT_EQ(h->CallText("BrowserList"), "None=None\x1e" "Firefox=" + (bin / "firefox").string());
  auto waitForMarker = [&](const std::string& text) {
    return WaitFor([&] { return ReadFile(marker).find(text) != std::string::npos; }, 5000);
  };
  h->Invoke("BrowserPreview", {pagePath.string()});
  EXPECT_TRUE(waitForMarker(pagePath.string()));
  h->Invoke("PreviewWith", {std::string("/tmp/preview one.htm"), (bin / "mybrowser").string()});
  EXPECT_TRUE(waitForMarker("/tmp/preview one.htm"));
}

TEST_F(HostLink, NoEditorOnTheBus) {
  EXPECT_THROW(DBusHostEditor::Create(), EHostError);
}

TEST_F(HostLink, EditorKilledOrSilentGivesAClearErrorInBoundedTime) {
  auto h = Start("", {}, 700);
  EXPECT_EQ(h->CallText("getalltext"), "");

  // Stopped: the call times out.
  ::kill(static_cast<pid_t>(host->Pid()), SIGSTOP);
  QElapsedTimer t;
  t.start();
  try {
    h->Invoke("getalltext", {});
    ADD_FAILURE() << "a stopped editor answered";
  } catch (const EHostError& e) {
    EXPECT_NE(std::string(e.what()).find("did not answer getalltext"), std::string::npos) << e.what();
  }
  EXPECT_LT(t.elapsed(), 3000);
  ::kill(static_cast<pid_t>(host->Pid()), SIGCONT);

  // Killed while ForceSave waits on the save dialog (no time-out there).
  std::thread killer([pid = host->Pid()] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ::kill(static_cast<pid_t>(pid), SIGKILL);
  });
  t.restart();
  try {
    h->Invoke("ForceSave", {});
    ADD_FAILURE() << "ForceSave returned although the editor was killed";
  } catch (const EHostError& e) {
    EXPECT_NE(std::string(e.what()).find("Marquill has closed"), std::string::npos) << e.what();
  }
  killer.join();
  EXPECT_LT(t.elapsed(), 5000);
  host->Kill();

  // And every later call fails the same way, at once.
  t.restart();
  EXPECT_THROW(h->Invoke("IsOpenDoc", {}), EHostError);
  EXPECT_LT(t.elapsed(), 2000);
}

TEST_F(HostLink, GetAllTextRoundTripTime) {
  std::string page = kPage;
  while (page.size() < 20000) page += "<p>Some more text of the page, with \xC3\xA9.</p>\r\n";
  auto h = Start(page);
  std::vector<double> ms;
  for (int i = 0; i < 100; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(h->CallText("getalltext").size(), page.size());
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("getalltext round trip, %zu-byte page: median %.3f ms, slowest %.3f ms\n", page.size(),
              ms[50], ms.back());
  EXPECT_LT(ms[50], 100.0);
}
