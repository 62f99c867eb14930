// The real stand-in editor on pages that push it: pages holding NUL bytes,
// which no D-Bus text can carry, and pages of many megabytes, which it fills
// into its window a piece at a time while it already serves the calls.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "host/dbus_host_editor.h"
#include "host/host_protocol.h"
#include "host/html_document.h"
#include "support/host_fixture.h"
#include "support/temp_home.h"
#include "support/file_bytes.h"

using namespace tendrel;
namespace fs = std::filesystem;

namespace {

// A page of about `bytes` bytes: CR LF lines, multi-byte characters, a lone
// CR line end now and then.
std::string BigPage(size_t bytes) {
  std::string page = "<html>\r\n<head>\r\n<title>Big</title>\r\n</head>\r\n<body>\r\n";
  for (int i = 0; page.size() < bytes; ++i)
    page += "<p>Row " + std::to_string(i) + ": caf\xC3\xA9 \xE2\x82\xAC 5 \xF0\x9F\x98\x80</p>" +
            (i % 50 == 0 ? "\r" : "\r\n");
  return page + "</body>\r\n</html>\r\n";
}

// Where two long texts part, in a line short enough to read.
std::string Differ(const std::string& got, const std::string& want) {
  if (got == want) return {};
  const size_t at = static_cast<size_t>(
      std::mismatch(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(std::min(got.size(), want.size())),
                    want.begin())
          .first -
      got.begin());
  return "got " + std::to_string(got.size()) + " bytes, want " + std::to_string(want.size()) + "; first difference at " +
         std::to_string(at) + ": got \"" + got.substr(at, 40) + "\", want \"" + want.substr(at, 40) + "\"";
}

// The start of a line: never inside a character or a line end.
int LineStartNear(const std::string& page, size_t at) {
  const size_t p = page.find("<p>", at);
  return static_cast<int>(p == std::string::npos ? page.size() : p);
}

class EditorPages : public ::testing::Test {
 protected:
  std::unique_ptr<DBusHostEditor> Start(const std::string& page) {
    fs::create_directories(pagePath.parent_path());
    std::ofstream(pagePath, std::ios::binary) << page;
    host = std::make_unique<HostProcess>(QStringList{QString::fromStdString(pagePath.string())});
    EXPECT_TRUE(host->WaitUntilServing(30000)) << "the editor did not come onto the bus";
    return DBusHostEditor::Create(60000);
  }
  // Waits until the window holds the whole page: answers come at once again
  // (while it fills, each call waits for the piece being put in).
  static bool WaitUntilFilled(HostEditor& h) {
    QElapsedTimer all;
    all.start();
    for (int quick = 0; quick < 10;) {
      if (all.elapsed() > 60000) return false;
      QElapsedTimer t;
      t.start();
      h.CallInt("getselstart");
      quick = t.nsecsElapsed() < 3'000'000 ? quick + 1 : 0;
    }
    return true;
  }

  TempHome home;
  fs::path pagePath = fs::path(home.root()) / "site" / "page.htm";
  std::unique_ptr<HostProcess> host;
};

}  // namespace

TEST_F(EditorPages, AnswersThatWouldBeCutAtANulAreErrorsAndThePageKeepsItsBytes) {
  const std::string nul(1, '\0');
  const std::string page = "<html>\r\n<head><title>Price" + nul + "list</title></head>\r\n<body>\r\n<p>a" + nul +
                           nul + "b \xC3\xA9</p>\r\n</body>\r\n</html>\r\n";
  const size_t firstNul = page.find('\0');
  auto h = Start(page);

  auto failure = [&](const std::string& name) {
    try {
      const std::string answer = h->CallText(name);
      return "answered " + std::to_string(answer.size()) + " bytes";
    } catch (const EHostError& e) {
      return std::string(e.what());
    }
  };
  // What a plug-in's host link reports: the call and where the NUL is.
  EXPECT_EQ(failure("getalltext"), "Marquill could not carry out getalltext: the answer to getalltext holds a NUL "
                                   "character at byte " + std::to_string(firstNul) + " (of " +
                                       std::to_string(page.size()) +
                                       "), which a D-Bus text cannot carry, so it is not sent");
  EXPECT_NE(failure("DOC_GETHTMLTITLE").find("the answer to DOC_GETHTMLTITLE holds a NUL character at byte 5 (of 10)"),
            std::string::npos);
  const int p = static_cast<int>(page.find("<p>a"));
  h->Invoke("setselection", {p, 8});
  EXPECT_NE(failure("getseltext").find("the answer to getseltext holds a NUL character at byte 4 (of 8)"),
            std::string::npos);
  h->Invoke("setselection", {p, 4});
  EXPECT_EQ(h->CallText("getseltext"), "<p>a") << "a selection without a NUL comes whole";
  EXPECT_EQ(h->CallInt("getselstart"), p);

  // Any D-Bus client sees the editor's own error, not a cut text.
  QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("Marquill4.Plugin"), QStringLiteral("/Plugin"),
                                                     QStringLiteral("Marquill4.Plugin"), QStringLiteral("Invoke"));
  call << QStringLiteral("getalltext") << QVariant::fromValue(QVariantList());
  const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
  EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
  EXPECT_EQ(reply.errorName(), QString::fromLatin1(kHostErrorFailed));
  EXPECT_TRUE(reply.errorMessage().contains(QStringLiteral("getalltext"))) << reply.errorMessage().toStdString();

  // Saved untouched, the page comes back byte for byte; edits keep the NULs.
  h->Invoke("ForceSave", {});
  EXPECT_EQ(ReadFile(pagePath), page);
  HtmlDocument expected;
  expected.ReplaceAll(page);
  expected.SetSelection(p + 4, 1);
  expected.InsertAtCursor("\xE2\x82\xAC");
  h->Invoke("setselection", {p + 4, 1});
  h->Invoke("puttextatcursor", {std::string("\xE2\x82\xAC")});
  EXPECT_EQ(h->CallInt("getselstart"), expected.SelStart());
  expected.InsertInHead("<meta>");
  h->Invoke("puttexthead", {std::string("<meta>")});
  EXPECT_EQ(h->CallInt("getselstart"), expected.SelStart());
  h->Invoke("ForceSave", {});
  EXPECT_EQ(ReadFile(pagePath), expected.Text());
}

TEST_F(EditorPages, CallsWhileALargePageFillsActAsOnAFullPage) {
  const std::string page = BigPage(12u << 20);
  auto h = Start(page);
  // The same calls on a plain document say what the editor must answer.
  HtmlDocument expected;
  expected.ReplaceAll(page);
  auto both = [&](int start, int length, const std::string& text) {
    expected.SetSelection(start, length);
    h->Invoke("setselection", {start, length});
    if (!text.empty() || length > 0) {
      expected.InsertAtCursor(text);
      h->Invoke("puttextatcursor", {text});
    }
    ASSERT_EQ(h->CallInt("getselstart"), expected.SelStart()) << start;
    ASSERT_EQ(Differ(h->CallText("getseltext"), expected.SelectedText()), "") << start;
  };
  // Right at once: near the end (surely not in the window yet), in the middle,
  // at the top, and one replacement from the top to far down.
  const size_t n = page.size();
  auto line = [&](size_t at) { return LineStartNear(expected.Text(), at); };
  both(line(n - 5000), 0, "<b>end \xC3\xA9</b>\r\n");
  EXPECT_THROW(h->Invoke("OpenNewFile", {}), EHostError) << "an edit not yet in the window is unsaved all the same";
  both(line(n / 2), 12, "mid\rdle\n");
  both(line(200), 0, "<i>top</i>");
  both(line(1000), line(n / 3) - line(1000), "<hr>\r\n");
  expected.InsertInHead("<meta name=\"k\">\r\n");
  h->Invoke("puttexthead", {std::string("<meta name=\"k\">\r\n")});
  expected.InsertBeforeBodyEnd("<p>last</p>\r\n");
  h->Invoke("TEXT_INSERTBEFORESLASHBODYTAG", {std::string("<p>last</p>\r\n")});
  both(line(n / 2), 3, "");
  EXPECT_EQ(h->CallInt("getselstart"), expected.SelStart());
  ASSERT_EQ(Differ(h->CallText("getalltext"), expected.Text()), "");

  // Once the window holds it all, its positions agree with the bytes
  // everywhere, and the page saves as the calls left it.
  ASSERT_TRUE(WaitUntilFilled(*h)) << "the window never held the whole page";
  EXPECT_EQ(h->CallInt("getselstart"), expected.SelStart()) << "the selection is shown where it was";
  const std::string& text = expected.Text();
  for (size_t at = 0; at < text.size(); at += text.size() / 37) {
    const int start = line(at);
    both(start, 9, "");
    both(start + 3, 0, "\xF0\x9F\x98\x80");
  }
  h->Invoke("ForceSave", {});
  EXPECT_EQ(Differ(ReadFile(pagePath), expected.Text()), "");
}

TEST_F(EditorPages, ACallCostsItsOwnWorkNotThePagesSize) {
  const std::string page = BigPage(8u << 20);
  auto h = Start(page);
  ASSERT_TRUE(WaitUntilFilled(*h));
  using Clock = std::chrono::steady_clock;
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  std::vector<double> caret, edit;
  const std::string box = "<div>" + std::string(1000, 'x') + "</div>\r\n";
  for (int i = 0; i < 15; ++i) {
    auto t0 = Clock::now();
    h->CallInt("getselstart");
    auto t1 = Clock::now();
    h->Invoke("setselection", {LineStartNear(page, page.size() * static_cast<size_t>(15 - i) / 16), 0});
    h->Invoke("puttextatcursor", {box});
    auto t2 = Clock::now();
    caret.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    edit.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
  }
  // Walking an 8 MiB page takes a few hundred milliseconds; these stay far below.
  EXPECT_LT(median(caret), 10.0) << "getselstart";
  EXPECT_LT(median(edit), 60.0) << "setselection + puttextatcursor of 1 KB";
  std::printf("8 MiB page: getselstart %.3f ms, setselection + puttextatcursor 1 KB %.2f ms (medians)\n",
              median(caret), median(edit));
}

TEST_F(EditorPages, AByteOrderMarkIsServedWithoutAndSavedWith) {
  const std::string bom = "\xEF\xBB\xBF";
  const std::string text = "<html><head><title>Caf\xC3\xA9</title></head><body>x</body></html>\r\n";
  auto h = Start(bom + text);
  // Plug-ins count positions from the page's first character.
  EXPECT_EQ(h->CallText("getalltext"), text);
  h->Invoke("setselection", {0, 6});
  EXPECT_EQ(h->CallText("getseltext"), "<html>");
  h->Invoke("ForceSave", {});
  EXPECT_EQ(ReadFile(pagePath), bom + text) << "the mark the file had is written back";
  h->Invoke("setselection", {0, 0});
  h->Invoke("puttextatcursor", {std::string("<!-- x -->")});
  h->Invoke("ForceSave", {});
  EXPECT_EQ(ReadFile(pagePath), bom + "<!-- x -->" + text);
}
