// The stand-in editor's answers to every call, pinned byte for byte on a fixed
// set of pages: multi-byte characters, every kind of line end, pages with and
// without a final line end, empty ones. Positions are tried everywhere,
// including inside a character and between the CR and LF of a line end, and
// after every kind of edit. The expected transcript is editor_answers.txt;
// TENDREL_RECORD_ANSWERS=1 writes it anew from the editor under test.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/dbus_host_editor.h"
#include "support/host_fixture.h"
#include "support/temp_home.h"
#include "support/file_bytes.h"

using namespace tendrel;
namespace fs = std::filesystem;

namespace {

struct Page {
  const char* name;
  std::string bytes;
  bool fromFile = true;  // opened from a file; else the editor starts untitled
};

const Page kPages[] = {
    {"multi-byte", "<title>\xC3\xA9t\xC3\xA9</title>a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z"},
    {"crlf", "<html>\r\n<head></head>\r\n<body>\r\n\xC3\xA9\r\n</body>\r\n</html>\r\n"},
    {"lone-cr", "a\rb\r\r\xE2\x82\xAC\rc"},
    {"mixed", "l1\r\nl2\nl3\rl4\n\r\xF0\x9F\x98\x80\r\n\n"},
    {"separators", "x\xE2\x80\xA9y\xE2\x80\xA8z\xEF\xB7\x90w\r\n"},
    {"ends-with-cr", "<body>t\r\n</body>\r"},
    {"empty-file", ""},
    {"untitled", "", false},
    {"bom", "\xEF\xBB\xBF<p>bom</p>\n"},
    {"latin-1", "caf\xE9 \xA0\r\n<title>na\xEFve</title>"},
};

// Texts put at the caret in turn: line-end pieces that join with or split
// the ones around the caret, and multi-byte characters.
const std::string kInserts[] = {"",   "Q",   "\r", "\n", "\r\n", "\xC3\xA9\r", "\n\xF0\x9F\x98\x80",
                                "a\rb\nc\r\nd"};

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    char buf[8];
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\\' || c == '"') (out += '\\') += static_cast<char>(c);
    else if (c >= 0x20 && c < 0x7F) out += static_cast<char>(c);
    else {
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out + "\"";
}

class Recorder {
 public:
  Recorder(HostEditor& h, std::string home) : h_(h), home_(std::move(home)) {}

  // The answer of one call as a line of the transcript; paths of the test's
  // own folder read "<home>".
  std::string Answer(const std::string& name, const std::vector<HostValue>& args = {}) {
    std::string text;
    try {
      const HostValue v = h_.Invoke(name, args);
      if (std::holds_alternative<std::monostate>(v)) text = "nothing";
      else if (auto b = std::get_if<bool>(&v)) text = *b ? "true" : "false";
      else if (auto i = std::get_if<int>(&v)) text = std::to_string(*i);
      else text = Quote(std::get<std::string>(v));
    } catch (const EHostError& e) {
      text = "error " + Quote(e.what());
    }
    return Homeless(text);
  }
  // Records the call with its arguments and its answer.
  void Call(const std::string& name, const std::vector<HostValue>& args = {}) {
    std::string line = name + "(";
    for (size_t i = 0; i < args.size(); ++i) {
      if (i) line += ",";
      if (auto s = std::get_if<std::string>(&args[i])) line += Quote(*s);
      else if (auto n = std::get_if<int>(&args[i])) line += std::to_string(*n);
    }
    out << Homeless(line) << ") -> " << Answer(name, args) << "\n";
  }
  // Where the selection is and what it holds, on one line.
  void Selection() {
    out << "  at " << Answer("getselstart") << " sel " << Answer("getseltext") << "\n";
  }
  void Note(const std::string& s) { out << s << "\n"; }
  std::string Text(const std::string& name) { return h_.CallText(name); }

  std::ostringstream out;

 private:
  std::string Homeless(std::string text) const {
    for (size_t at; (at = text.find(home_)) != std::string::npos;) text.replace(at, home_.size(), "<home>");
    return text;
  }

  HostEditor& h_;
  std::string home_;
};

// Every call of the table on one page, as loaded from `page`.
void Exercise(Recorder& r, const Page& page, const fs::path& pagePath, bool environmentCalls) {
  r.Call("IsOpenDoc");
  r.Call("getalltext");
  r.Selection();
  r.Call("DOC_GETHTMLTITLE");
  r.Call("CurrentDocName");
  r.Call("GetWorkDir");
  if (environmentCalls) {
    r.Note("-- the editor's surroundings");
    r.Call("GetAppPath");
    r.Call("BrowserList");
    r.Call("copyfiles", {(pagePath.parent_path().parent_path() / "logo.gif").string()});
    r.Note("  copied " + Quote(ReadFile(pagePath.parent_path() / "logo.gif")));
    r.Call("BrowserPreview", {std::string("/tmp/preview.htm")});
    r.Call("PreviewWith", {std::string("/tmp/preview.htm"), std::string("None")});
  }

  // The page as the editor holds it (a Latin-1 file is held as UTF-8).
  const std::string text = r.Text("getalltext");
  const int n = static_cast<int>(text.size());

  // Selections everywhere: before the start, inside characters and line
  // ends, past the end.
  r.Note("-- selections");
  for (int start = -2; start <= n + 2; ++start)
    for (int length : {0, 1, 2, 3, 4}) {
      r.Call("setselection", {start, length});
      r.Selection();
    }

  // An edit at every position, a second one where the caret was left, and
  // the page put back whole.
  r.Note("-- edits at the caret");
  for (int start = 0; start <= n; ++start) {
    const std::string& insert = kInserts[static_cast<size_t>(start) % std::size(kInserts)];
    r.Call("setselection", {start, start % 3});
    r.Call("puttextatcursor", {insert});
    r.Selection();
    r.Call("puttextatcursor", {std::string("Z")});
    r.Call("getalltext");
    r.Selection();
    r.Call("replacealltext", {text});
    r.Selection();
  }

  // Head and body insertions before, around and after the selection.
  r.Note("-- head and body");
  for (int start : {0, 1, n / 2, n - 1, n})
    for (int length : {0, 3}) {
      r.Call("replacealltext", {text});
      r.Call("setselection", {start, length});
      r.Call("puttexthead", {std::string("<m>\r\n")});
      r.Selection();
      r.Call("TEXT_INSERTBEFORESLASHBODYTAG", {std::string("\n<i>\xC3\xA9</i>\r")});
      r.Selection();
      r.Call("getalltext");
      r.Call("DOC_GETHTMLTITLE");
    }

  // Every other page put in whole, and a selection in it.
  r.Note("-- replace all");
  for (const Page& other : kPages) {
    if (other.bytes.find('\xE9') != std::string::npos) continue;  // not UTF-8: cannot travel
    r.Call("replacealltext", {other.bytes});
    r.Selection();
    const int half = static_cast<int>(other.bytes.size() / 2);
    r.Call("setselection", {half, 3});
    r.Selection();
    r.Call("getalltext");
  }
  r.Call("replacealltext", {text});

  r.Note("-- bad calls");
  r.Call("setselection", {std::string("1"), 0});
  r.Call("setselection", {1});
  r.Call("puttextatcursor", {});
  r.Call("puttextatcursor", {3});
  r.Call("NoSuchCall");
  r.Selection();

  r.Note("-- save and new");
  r.Call("puttextatcursor", {std::string("<!-- saved -->\r\n")});
  r.Call("OpenNewFile");
  if (page.fromFile) {
    r.Call("ForceSave");
    r.Note("  file " + Quote(ReadFile(pagePath)));
    r.Call("OpenNewFile");
    r.Call("getalltext");
    r.Selection();
    r.Call("CurrentDocName");
    r.Call("GetWorkDir");
    r.Call("IsOpenDoc");
    r.Call("puttextatcursor", {std::string("a\r\nb")});
    r.Call("getalltext");
    r.Selection();
  }

}

}  // namespace

TEST(EditorAnswers, EveryCallOnEveryPageAsPinned) {
  TempHome home;
  const fs::path root = home.root();
  const fs::path site = root / "site";
  const fs::path bin = root / "bin";
  fs::create_directories(site);
  fs::create_directories(bin);
  // Browsers and the desktop's opener are stand-ins that do nothing, so the
  // answers do not depend on what the machine has installed.
  for (const char* name : {"firefox", "xdg-open"}) {
    std::ofstream(bin / name) << "#!/bin/sh\nexit 0\n";
    fs::permissions(bin / name, fs::perms::owner_all);
  }
  std::ofstream(root / "logo.gif", std::ios::binary) << "GIF89a";

  std::ostringstream transcript;
  bool first = true;
  for (const Page& page : kPages) {
    const fs::path pagePath = site / (std::string(page.name) + ".htm");
    QStringList args;
    if (page.fromFile) {
      std::ofstream(pagePath, std::ios::binary) << page.bytes;
      args << QString::fromStdString(pagePath.string());
    }
    HostProcess host(args, {QStringLiteral("PATH=") + QString::fromStdString(bin.string())});
    ASSERT_TRUE(host.WaitUntilServing()) << page.name;
    auto h = DBusHostEditor::Create();
    Recorder r(*h, root.string());
    r.Note("== " + std::string(page.name) + " " + Quote(page.bytes));
    Exercise(r, page, pagePath, first);
    first = false;
    transcript << r.out.str();
  }

  const fs::path golden = fs::path(TEST_SOURCE_DIR) / "host" / "editor_answers.txt";
  const std::string got = transcript.str();
  if (std::getenv("TENDREL_RECORD_ANSWERS") != nullptr) {
    std::ofstream(golden, std::ios::binary) << got;
    std::printf("Recorded %zu bytes of answers in %s\n", got.size(), golden.c_str());
  }
  const std::string want = ReadFile(golden);
  ASSERT_FALSE(want.empty()) << golden << " is missing";
  if (got == want) return;
  // Show the first line that differs, with the page it belongs to.
  std::istringstream a(got), b(want);
  std::string la, lb, pageLine;
  for (int line = 1;; ++line) {
    const bool moreA = static_cast<bool>(std::getline(a, la));
    const bool moreB = static_cast<bool>(std::getline(b, lb));
    if (!moreA && !moreB) break;
    if (la.rfind("== ", 0) == 0) pageLine = la;
    if (!moreA || !moreB || la != lb) {
      ADD_FAILURE() << "answers differ at line " << line << " (page " << pageLine << ")\n  expected: "
                    << (moreB ? lb : "<end>") << "\n  got:      " << (moreA ? la : "<end>");
      break;
    }
  }
}
