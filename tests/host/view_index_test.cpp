// The stand-in editor keeps a page's bytes beside a text view that folds line
// ends; these tests hold the byte <-> view mapping and the edits passed each
// way against a plain model of such a view (UTF-16 text, one separator per
// line end), including while the view is still being filled.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "host/html_document.h"
#include "host/in_memory_host.h"

using namespace tendrel;

namespace {

constexpr char16_t kSep = u'\u2029';

bool Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
bool InsideCrLf(const std::string& t, size_t b) { return b > 0 && b < t.size() && t[b - 1] == '\r' && t[b] == '\n'; }

// The view's text for valid UTF-8 `bytes`: UTF-16, each line end (CR LF, CR,
// LF, U+2029, U+FDD0, U+FDD1) one separator, as a text document holds it.
std::u16string ViewOf(const std::string& bytes) {
  std::u16string out;
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    const size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    char32_t cp = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
    for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    if (cp == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    if (cp == '\r' || cp == '\n' || cp == 0x2029 || cp == 0xFDD0 || cp == 0xFDD1) {
      out += kSep;
    } else if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += n;
  }
  return out;
}

// UTF-16 to UTF-8, the separator written as U+2029 (as a view's selected text reads).
std::string Utf8Of(const std::u16string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp < 0xDC00) cp = 0x10000 + ((cp - 0xD800) << 10) + (s[++i] - 0xDC00);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

// Where byte `b` stands in the view, worked out the slow way: the view of the
// bytes before it; between CR and LF, the end of the line.
size_t SlowToView(const std::string& t, size_t b) {
  return ViewOf(t.substr(0, InsideCrLf(t, b) ? b - 1 : b)).size();
}

// Pieces the random texts are made of: every kind of line end (and pieces
// that join into one), characters of every UTF-8 length, a line separator
// that is not a line end.
const std::vector<std::string> kTokens = {
    "a", "b", "<p>", "\r", "\n", "\r\n", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xE2\x80\xA9",
    "\xE2\x80\xA8", "\xEF\xB7\x90", "\xEF\xB7\x91", " ", "\t", std::string(1, '\0')};

std::string RandomText(std::mt19937& rng, size_t tokens) {
  std::string s;
  for (size_t i = 0; i < tokens; ++i) s += kTokens[rng() % kTokens.size()];
  return s;
}

// A random character boundary of `t` (one between CR and LF included).
size_t RandomBoundary(std::mt19937& rng, const std::string& t) {
  size_t b = rng() % (t.size() + 1);
  while (b > 0 && b < t.size() && Continuation(t[b])) --b;
  return b;
}

}  // namespace

TEST(ViewIndex, MapsEveryByteAndPositionAsTheViewCountsThem) {
  std::mt19937 rng(7);
  for (size_t tokens : {0u, 1u, 5u, 40u, 3000u}) {
    const std::string t = RandomText(rng, tokens);
    ViewIndex index;
    index.Reset(t);
    ASSERT_EQ(index.Size(), ViewOf(t).size()) << tokens;
    for (size_t b = 0; b <= t.size(); ++b) {
      if (b < t.size() && Continuation(t[b])) {
        // Inside a character: the character's start.
        size_t start = b;
        while (Continuation(t[start])) --start;
        EXPECT_EQ(index.ToView(t, b), SlowToView(t, start)) << b;
        continue;
      }
      const size_t pos = SlowToView(t, b);
      ASSERT_EQ(index.ToView(t, b), pos) << "byte " << b << " of " << t.size();
      // Back from the view: the line end's first byte for a position inside one.
      if (!InsideCrLf(t, b)) {
        EXPECT_EQ(index.ToByte(t, pos), b) << "position " << pos;
      }
    }
    EXPECT_EQ(index.ToByte(t, index.Size() + 5), t.size()) << "a position past the end is the end";
    EXPECT_EQ(index.ToView(t, t.size() + 5), index.Size());
  }
}

TEST(ViewIndex, StaysInStepThroughEditsOfEverySize) {
  std::mt19937 rng(11);
  std::string t = RandomText(rng, 6000);  // several pieces of the index
  ViewIndex index;
  index.Reset(t);
  for (int round = 0; round < 300; ++round) {
    const size_t start = RandomBoundary(rng, t);
    size_t end = std::min(t.size(), start + (round % 10 == 0 ? rng() % 9000 : rng() % 12));
    while (end < t.size() && Continuation(t[end])) ++end;
    const std::string inserted = RandomText(rng, round % 25 == 0 ? 2500 : rng() % 6);
    t.replace(start, end - start, inserted);
    index.Replaced(t, start, end - start, inserted.size());
    ASSERT_EQ(index.Size(), ViewOf(t).size()) << "round " << round;
    for (int k = 0; k < 20; ++k) {
      const size_t b = RandomBoundary(rng, t);
      ASSERT_EQ(index.ToView(t, b), SlowToView(t, b)) << "round " << round << " byte " << b;
    }
  }
  // Down to nothing and back.
  index.Replaced(std::string(), 0, t.size(), 0);
  EXPECT_EQ(index.Size(), 0u);
  EXPECT_EQ(index.ToByte(std::string(), 3), 0u);
  index.Replaced("a\r\nb", 0, 0, 4);
  EXPECT_EQ(index.Size(), 3u);
}

TEST(ViewEdits, TheViewFollowsEveryEditOfTheBytesAlsoWhileItFills) {
  std::mt19937 rng(3);
  for (int page = 0; page < 40; ++page) {
    std::string t = RandomText(rng, page % 4 == 0 ? 2000 : 30);
    ViewIndex index;
    index.Reset(t);
    // Some pages are still being filled: the view holds a first part only.
    size_t held = page % 2 ? t.size() : LoadCut(t, rng() % (t.size() + 1));
    std::u16string view = ViewOf(t.substr(0, held));
    for (int round = 0; round < 60; ++round) {
      if (held < t.size() && round % 7 == 6) {
        // The next piece goes in at the view's end.
        const size_t cut = LoadCut(t, held + rng() % 50);
        ASSERT_EQ(LoadCut(t, cut), cut);
        view += ViewOf(t.substr(held, cut - held));
        held = cut;
      }
      const size_t start = RandomBoundary(rng, t);
      size_t end = start;
      for (size_t n = rng() % 4; n > 0 && end < t.size(); --n) {
        ++end;
        while (end < t.size() && Continuation(t[end])) ++end;
      }
      // Sometimes the same bytes again: the view must not change at all.
      const std::string inserted = round % 9 == 0 ? t.substr(start, end - start) : RandomText(rng, rng() % 4);
      const ViewEdit plan = PlanViewEdit(t, index, held, start, end - start, inserted);
      EXPECT_EQ(plan.changes, t.compare(start, end - start, inserted) != 0);
      if (plan.inView) {
        ASSERT_LE(plan.to, view.size());
        view.replace(plan.from, plan.to - plan.from, ViewOf(plan.piece));
      }
      t.replace(start, end - start, inserted);
      index.Replaced(t, start, end - start, inserted.size());
      held = plan.held;
      ASSERT_EQ(LoadCut(t, held), held) << "the view stops between characters and line ends";
      ASSERT_EQ(view, ViewOf(t.substr(0, held))) << "page " << page << " round " << round;
    }
  }
}

TEST(ViewEdits, TypingInTheViewWritesTheBytesWithTheirLineEnds) {
  std::mt19937 rng(5);
  const std::string lineEnds[] = {"\n", "\r\n", "\r", "\xE2\x80\xA9"};
  const std::u16string typed[] = {u"x", u"\u2029", u"\u00e9\u2029\u2029z", u"", u"\U0001F600", u"\u2029q"};
  for (int round = 0; round < 600; ++round) {
    std::string t = RandomText(rng, 12);
    const std::string& lineEnd = lineEnds[round % 4];
    ViewIndex index;
    index.Reset(t);
    std::u16string view = ViewOf(t);
    // A caret never stands inside a surrogate pair.
    auto boundary = [&](size_t p) {
      return p > 0 && p < view.size() && view[p] >= 0xDC00 && view[p] < 0xE000 ? p - 1 : p;
    };
    const size_t pos = boundary(rng() % (view.size() + 1));
    const size_t removed = boundary(std::min(view.size(), pos + rng() % 3)) - pos;
    const std::u16string& added = typed[rng() % std::size(typed)];
    const TextEdit e = TypedEdit(t, index, pos, removed, Utf8Of(added), lineEnd);
    view.replace(pos, removed, added);
    t.replace(e.start, e.removed, e.inserted);
    ASSERT_EQ(ViewOf(t), view) << "round " << round;
    // New lines get the page's kind of line end.
    if (added.find(kSep) != std::u16string::npos) {
      EXPECT_NE(e.inserted.find(lineEnd), std::string::npos) << "round " << round;
    }
  }
}

TEST(ViewEdits, LineEndsThatWouldMergeAreKeptApart) {
  ViewIndex index;
  // Removing the "b" between a lone CR and a lone LF: two line ends stay two.
  std::string t = "a\rb\nc";
  index.Reset(t);
  TextEdit e = TypedEdit(t, index, 2, 1, "", "\n");
  t.replace(e.start, e.removed, e.inserted);
  EXPECT_EQ(t, "a\r\n\nc");
  // A new line typed right after a lone CR, or right before an LF.
  t = "a\rb";
  index.Reset(t);
  e = TypedEdit(t, index, 2, 0, "\xE2\x80\xA9", "\n");
  EXPECT_EQ(e.inserted, "\r\n");
  t = "a\nb";
  index.Reset(t);
  e = TypedEdit(t, index, 1, 0, "\xE2\x80\xA9", "\r");
  EXPECT_EQ(e.inserted, "\r\n");
}

TEST(ViewEdits, WideningAndCuttingNeverSplitACharacterOrALineEnd) {
  const std::string t = "a\r\n\xE2\x82\xAC\rb";
  auto widen = [&](size_t s, size_t e) {
    WidenForView(t, &s, &e);
    return std::make_pair(s, e);
  };
  EXPECT_EQ(widen(3, 3), std::make_pair(size_t{3}, size_t{3})) << "after a whole CR LF: nothing to take in";
  EXPECT_EQ(widen(2, 2), std::make_pair(size_t{1}, size_t{3})) << "between CR and LF";
  EXPECT_EQ(widen(4, 5), std::make_pair(size_t{3}, size_t{6})) << "inside the euro sign";
  EXPECT_EQ(widen(0, 1), std::make_pair(size_t{0}, size_t{1}));
  EXPECT_EQ(widen(7, 8), std::make_pair(size_t{6}, size_t{8})) << "after a lone CR";

  EXPECT_EQ(LoadCut(t, 0), 0u);
  EXPECT_EQ(LoadCut(t, 2), 3u);
  EXPECT_EQ(LoadCut(t, 4), 6u);
  EXPECT_EQ(LoadCut(t, 99), t.size());
  EXPECT_EQ(FirstLineEnd("ab\rc\r\n"), "\r");
  EXPECT_EQ(FirstLineEnd("ab\xEF\xB7\x91\n"), "\xEF\xB7\x91");
  EXPECT_EQ(FirstLineEnd("none"), "");
}

namespace {

struct Recorder : TextListener {
  std::string before;
  std::vector<TextEdit> edits;
  void Replacing(const std::string& text, size_t start, size_t removed, std::string_view inserted) override {
    before = text;
    edits.push_back({start, removed, std::string(inserted)});
  }
  void Replaced(const std::string& text) override {
    std::string applied = before;
    applied.replace(edits.back().start, edits.back().removed, edits.back().inserted);
    EXPECT_EQ(text, applied) << "told before and after the same edit";
  }
};

}  // namespace

TEST(HtmlDocument, TellsItsListenerOfEachEditAndOnlyThePartThatChanged) {
  HtmlDocument d;
  Recorder r;
  d.SetListener(&r);
  d.Load("<html><head></head><body>x</body></html>");
  EXPECT_TRUE(r.edits.empty()) << "a loaded text is not an edit";
  d.ReplaceAll("<html><head></head><body>y</body></html>");
  ASSERT_EQ(r.edits.size(), 1u);
  EXPECT_EQ(r.edits[0].start, 25u);
  EXPECT_EQ(r.edits[0].removed, 1u);
  EXPECT_EQ(r.edits[0].inserted, "y");
  d.ReplaceAll(d.Text());
  EXPECT_EQ(r.edits.size(), 1u) << "the same text again changes nothing";
  d.SetSelection(25, 1);
  d.InsertInHead("<m>");
  d.InsertBeforeBodyEnd("<e>");
  d.InsertAtCursor("zz");
  EXPECT_EQ(r.edits.size(), 4u);
  EXPECT_EQ(d.Text(), "<html><head><m></head><body>zz<e></body></html>");

  // An edit made by hand: the selection keeps to its text.
  d.SetSelection(28, 2);  // "zz"
  d.Replace(6, 6, "<HEAD>");
  EXPECT_EQ(d.SelectedText(), "zz");
  d.Replace(29, 5, "Q");  // takes the second z and more
  EXPECT_EQ(d.SelStart(), 28);
  EXPECT_EQ(d.SelectedText(), "z");
  d.Replace(1000, 3, "!");
  EXPECT_EQ(d.Text().back(), '!') << "kept within the text";
}

TEST(InMemoryHost, NoTextAnswerArrivesCutAtANul) {
  InMemoryHost host;
  const std::string nul(1, '\0');
  host.doc.ReplaceAll("<title>a" + nul + "b</title><p>x" + nul + "y</p>");
  host.docName = "/site/p" + nul + ".htm";
  host.appPath = "/opt/m" + nul;
  host.browserList = "None=None" + nul;
  host.doc.SetSelection(20, 4);
  const std::pair<const char*, std::string> cases[] = {
      {"getalltext", "byte 8 (of 28)"},     {"getseltext", "byte 2 (of 4)"},
      {"DOC_GETHTMLTITLE", "byte 1 (of 3)"}, {"CurrentDocName", "byte 7 (of 12)"},
      {"GetWorkDir", ""},                    {"GetAppPath", "byte 6 (of 7)"},
      {"BrowserList", "byte 9 (of 10)"},
  };
  for (const auto& [name, where] : cases) {
    try {
      const std::string answer = host.CallText(name);
      EXPECT_EQ(answer.find('\0'), std::string::npos) << name << " answered with a NUL in it";
      EXPECT_TRUE(where.empty()) << name << " answered " << answer;
    } catch (const EHostError& e) {
      const std::string m = e.what();
      EXPECT_NE(m.find(std::string("the answer to ") + name + " holds a NUL character at " + where),
                std::string::npos)
          << m;
    }
  }
  // Without a NUL in it the same answer comes whole.
  host.doc.SetSelection(23, 2);
  EXPECT_EQ(host.CallText("getseltext"), "y<");
  EXPECT_EQ(host.CallInt("getselstart"), 23);
}
