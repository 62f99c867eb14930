#include "host/html_document.h"

#include <algorithm>

#include "host/named_references.h"

namespace tendrel {

namespace {

// Tag names fold ASCII letters only, whatever the user's locale.
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool AsciiSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

size_t FindCI(const std::string& text, const std::string& pat, size_t from = 0) {
  auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())),
                        text.end(), pat.begin(), pat.end(), [](char a, char b) {
                          return AsciiLower(a) == AsciiLower(b);
                        });
  return it == text.end() ? std::string::npos : static_cast<size_t>(it - text.begin());
}

// Position just after the start tag `<name ...>` or npos. "<head" must not
// match "<header".
size_t AfterStartTag(const std::string& text, const std::string& name) {
  size_t pos = 0;
  while ((pos = FindCI(text, "<" + name, pos)) != std::string::npos) {
    size_t after = pos + name.size() + 1;
    if (after < text.size() && (text[after] == '>' || AsciiSpace(static_cast<unsigned char>(text[after])))) {
      size_t close = text.find('>', after);
      return close == std::string::npos ? std::string::npos : close + 1;
    }
    pos = after;
  }
  return std::string::npos;
}

size_t CharStart(const std::string& text, size_t pos) {
  pos = std::min(pos, text.size());
  while (pos > 0 && pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
    --pos;
  return pos;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

constexpr bool NamesSorted() {
  for (size_t i = 1; i < kNamedReferences.size(); ++i)
    if (!(kNamedReferences[i - 1].name < kNamedReferences[i].name)) return false;
  return true;
}
static_assert(NamesSorted(), "kNamedReferences must be sorted by name");

// The reference starting at text[at] ('&'): its code point and length, or
// false when there is none to decode there.
bool ReadReference(const std::string& text, size_t at, char32_t* code, size_t* length) {
  const size_t semi = text.find(';', at + 1);
  // The longest name is 8 letters; a numeric one with more digits than a
  // code point needs is still read (and gives U+FFFD).
  if (semi == std::string::npos || semi - at > 32) return false;
  const std::string_view body(text.data() + at + 1, semi - at - 1);
  if (body.empty()) return false;
  if (body[0] == '#') {
    const bool hex = body.size() > 1 && (body[1] == 'x' || body[1] == 'X');
    const std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty()) return false;
    unsigned long value = 0;
    for (char c : digits) {
      int d = -1;
      if (c >= '0' && c <= '9') d = c - '0';
      else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
      if (d < 0) return false;
      if (value <= 0x10FFFF) value = value * (hex ? 16 : 10) + static_cast<unsigned long>(d);
    }
    const bool valid = value != 0 && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
    *code = valid ? static_cast<char32_t>(value) : U'\uFFFD';
  } else {
    auto it = std::lower_bound(kNamedReferences.begin(), kNamedReferences.end(), body,
                               [](const NamedReference& r, std::string_view n) { return r.name < n; });
    if (it == kNamedReferences.end() || it->name != body) return false;
    *code = it->codePoint;
  }
  *length = semi - at + 1;
  return true;
}

}  // namespace

std::string HtmlToText(const std::string& html) {
  std::string decoded;
  decoded.reserve(html.size());
  for (size_t i = 0; i < html.size();) {
    char32_t code = 0;
    size_t length = 0;
    if (html[i] == '&' && ReadReference(html, i, &code, &length)) {
      AppendUtf8(code, decoded);
      i += length;
    } else {
      decoded += html[i++];
    }
  }
  // Blanks fold after decoding, as a browser does with a title: "&#32;" is a
  // blank like any other.
  std::string out;
  out.reserve(decoded.size());
  bool pendingSpace = false;
  for (char c : decoded) {
    if (AsciiSpace(static_cast<unsigned char>(c))) {
      pendingSpace = !out.empty();
      continue;
    }
    if (pendingSpace) out += ' ';
    pendingSpace = false;
    out += c;
  }
  return out;
}

std::string HtmlDocument::SelectedText() const {
  return text_.substr(static_cast<size_t>(selStart_), static_cast<size_t>(selLength_));
}

void HtmlDocument::Load(std::string text) {
  text_ = std::move(text);
  selStart_ = 0;
  selLength_ = 0;
}

void HtmlDocument::ReplaceText(size_t start, size_t removed, std::string_view inserted) {
  if (listener_ != nullptr) listener_->Replacing(text_, start, removed, inserted);
  text_.replace(start, removed, inserted);
  if (listener_ != nullptr) listener_->Replaced(text_);
}

void HtmlDocument::Replace(size_t start, size_t removed, std::string_view inserted) {
  start = std::min(start, text_.size());
  removed = std::min(removed, text_.size() - start);
  const size_t end = start + removed;
  auto moved = [&](size_t p) { return p >= end ? p - removed + inserted.size() : std::min(p, start); };
  const size_t b = moved(static_cast<size_t>(selStart_));
  const size_t e = moved(static_cast<size_t>(selStart_ + selLength_));
  ReplaceText(start, removed, inserted);
  selStart_ = static_cast<int>(b);
  selLength_ = static_cast<int>(e - b);
}

void HtmlDocument::InsertAtCursor(const std::string& s) {
  ReplaceText(static_cast<size_t>(selStart_), static_cast<size_t>(selLength_), s);
  selStart_ += static_cast<int>(s.size());
  selLength_ = 0;
}

void HtmlDocument::ReplaceAll(const std::string& s) {
  if (listener_ == nullptr) {
    text_ = s;
  } else if (s != text_) {
    // A listener keeping a view gets the part that changed, not a new page.
    const TextEdit e = SmallestEdit(text_, s);
    ReplaceText(e.start, e.removed, e.inserted);
  }
  selStart_ = 0;
  selLength_ = 0;
}

void HtmlDocument::SetSelection(int start, int length) {
  size_t b = CharStart(text_, static_cast<size_t>(std::max(start, 0)));
  size_t e = static_cast<size_t>(std::max(start, 0)) + static_cast<size_t>(std::max(length, 0));
  e = std::max(b, CharStart(text_, e));
  selStart_ = static_cast<int>(b);
  selLength_ = static_cast<int>(e - b);
}

void HtmlDocument::InsertAt(size_t pos, const std::string& s) {
  ReplaceText(pos, 0, s);
  if (static_cast<size_t>(selStart_) >= pos) selStart_ += static_cast<int>(s.size());
  else if (static_cast<size_t>(selStart_ + selLength_) > pos) selLength_ += static_cast<int>(s.size());
}

void HtmlDocument::InsertInHead(const std::string& s) {
  size_t pos = AfterStartTag(text_, "head");
  if (pos != std::string::npos) {
    InsertAt(pos, s);
    return;
  }
  size_t html = AfterStartTag(text_, "html");
  InsertAt(html == std::string::npos ? 0 : html, "<head>" + s + "</head>");
}

void HtmlDocument::InsertBeforeBodyEnd(const std::string& s) {
  size_t pos = std::string::npos, p = 0;
  while ((p = FindCI(text_, "</body", p)) != std::string::npos) pos = p++;
  InsertAt(pos == std::string::npos ? text_.size() : pos, s);
}

std::string HtmlDocument::Title() const {
  size_t start = AfterStartTag(text_, "title");
  if (start == std::string::npos) return {};
  size_t end = FindCI(text_, "</title", start);
  return HtmlToText(text_.substr(start, end == std::string::npos ? std::string::npos : end - start));
}

namespace {
bool Continuation(const std::string& s, size_t i) {
  return i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80;
}
}  // namespace

TextEdit SmallestEdit(const std::string& before, const std::string& after) {
  const size_t shorter = std::min(before.size(), after.size());
  size_t p = 0;
  while (p < shorter && before[p] == after[p]) ++p;
  size_t s = 0;
  while (s < shorter - p && before[before.size() - 1 - s] == after[after.size() - 1 - s]) ++s;

  // The shared bytes before p are equal, so one test on `before` serves both
  // texts; the byte at p may differ and is checked in each.
  while (p > 0 && (Continuation(before, p) || Continuation(after, p) || before[p - 1] == '\r')) --p;
  while (s > 0) {
    size_t b = before.size() - s;
    if (Continuation(before, b) || before[b] == '\n') --s;
    else break;
  }
  TextEdit e;
  e.start = p;
  e.removed = before.size() - s - p;
  e.inserted = after.substr(p, after.size() - s - p);
  return e;
}

std::vector<std::string> LineEnds(const std::string& text) {
  // U+2029 and the frame marks U+FDD0, U+FDD1, all three bytes long.
  static const char* const kWide[] = {"\xE2\x80\xA9", "\xEF\xB7\x90", "\xEF\xB7\x91"};
  std::vector<std::string> out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      bool crlf = i + 1 < text.size() && text[i + 1] == '\n';
      out.push_back(crlf ? "\r\n" : "\r");
      if (crlf) ++i;
    } else if (text[i] == '\n') {
      out.push_back("\n");
    } else if (static_cast<unsigned char>(text[i]) >= 0xE0) {
      for (const char* w : kWide)
        if (text.compare(i, 3, w) == 0) {
          out.push_back(w);
          i += 2;
          break;
        }
    }
  }
  return out;
}

std::string FirstLineEnd(const std::string& text) {
  static const char* const kWide[] = {"\xE2\x80\xA9", "\xEF\xB7\x90", "\xEF\xB7\x91"};
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r') return i + 1 < text.size() && text[i + 1] == '\n' ? "\r\n" : "\r";
    if (c == '\n') return "\n";
    if (c >= 0xE0)
      for (const char* w : kWide)
        if (text.compare(i, 3, w) == 0) return w;
  }
  return {};
}

// ---- ViewIndex

namespace {

// Pieces are cut near this size: a lookup scans at most one of them.
constexpr size_t kPiece = 4096;

bool ContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The view positions byte i of `text` takes: a character's first byte takes
// its UTF-16 length, the LF of a CR LF nothing (the pair is one separator).
size_t Weight(const std::string& text, size_t i) {
  const unsigned char c = static_cast<unsigned char>(text[i]);
  if (c < 0x80) return c == '\n' && i > 0 && text[i - 1] == '\r' ? 0 : 1;
  if (c < 0xC0) return 0;
  return c >= 0xF0 ? 2 : 1;
}

}  // namespace

void ViewIndex::Reset(const std::string& text) {
  chunks_.clear();
  firstStale_ = 0;
  Rebuild(text, 0, 0, 0, text.size());
}

void ViewIndex::Refresh() const {
  for (size_t i = firstStale_; i < chunks_.size(); ++i) {
    chunks_[i].byteStart = i == 0 ? 0 : chunks_[i - 1].byteStart + chunks_[i - 1].bytes;
    chunks_[i].unitStart = i == 0 ? 0 : chunks_[i - 1].unitStart + chunks_[i - 1].units;
  }
  firstStale_ = chunks_.size();
}

ViewIndex::Sums ViewIndex::Total() const {
  Refresh();
  const Chunk& last = chunks_.back();
  return {last.byteStart + last.bytes, last.unitStart + last.units};
}

void ViewIndex::Rebuild(const std::string& text, size_t firstChunk, size_t endChunk, size_t from, size_t to) {
  // Pieces of equal size, none longer than kPiece.
  const size_t length = to - from;
  const size_t count = (length + kPiece - 1) / kPiece;
  std::vector<Chunk> pieces(count);
  for (size_t k = 0; k < count; ++k) {
    const size_t b = from + length * k / count, e = from + length * (k + 1) / count;
    pieces[k].bytes = e - b;
    for (size_t i = b; i < e; ++i) pieces[k].units += Weight(text, i);
  }
  const auto first = chunks_.begin() + static_cast<std::ptrdiff_t>(firstChunk);
  chunks_.insert(chunks_.erase(first, chunks_.begin() + static_cast<std::ptrdiff_t>(endChunk)), pieces.begin(),
                 pieces.end());
  firstStale_ = std::min(firstStale_, firstChunk);
}

void ViewIndex::Replaced(const std::string& text, size_t start, size_t removed, size_t inserted) {
  if (chunks_.empty()) {
    Reset(text);
    return;
  }
  const size_t oldSize = Total().bytes;
  start = std::min(start, oldSize);
  removed = std::min(removed, oldSize - start);
  // The pieces holding the edit and the byte after it, whose weight changes
  // when an LF gains or loses the CR before it.
  auto chunkAt = [this](size_t byte) {
    auto it = std::upper_bound(chunks_.begin(), chunks_.end(), byte,
                               [](size_t b, const Chunk& c) { return b < c.byteStart; });
    return static_cast<size_t>(it - chunks_.begin()) - 1;
  };
  size_t first = chunkAt(start);
  size_t end = chunkAt(std::min(start + removed, oldSize - 1)) + 1;
  size_t from = chunks_[first].byteStart;
  size_t to = chunks_[end - 1].byteStart + chunks_[end - 1].bytes - removed + inserted;
  // A piece that has shrunk takes a neighbour along, so pieces stay large.
  if (to - from < kPiece / 2) {
    if (end < chunks_.size()) {
      to += chunks_[end++].bytes;
    } else if (first > 0) {
      from -= chunks_[--first].bytes;
    }
  }
  Rebuild(text, first, end, from, to);
}

size_t ViewIndex::ToView(const std::string& text, size_t byte) const {
  if (chunks_.empty()) return 0;
  byte = std::min(byte, text.size());
  for (int k = 0; k < 3 && byte > 0 && byte < text.size() && ContinuationByte(text[byte]); ++k) --byte;
  Refresh();
  auto it = std::upper_bound(chunks_.begin(), chunks_.end(), byte,
                             [](size_t b, const Chunk& c) { return b < c.byteStart; });
  const Chunk& c = *(it - 1);
  size_t units = c.unitStart;
  for (size_t i = c.byteStart; i < byte; ++i) units += Weight(text, i);
  // Between CR and LF: the separator itself, where the line's text ends.
  if (byte > 0 && byte < text.size() && text[byte] == '\n' && text[byte - 1] == '\r') --units;
  return units;
}

size_t ViewIndex::ToByte(const std::string& text, size_t pos) const {
  if (chunks_.empty()) return 0;
  Refresh();
  auto it = std::upper_bound(chunks_.begin(), chunks_.end(), pos,
                             [](size_t p, const Chunk& c) { return p < c.unitStart; });
  const Chunk& c = *(it - 1);
  // The first byte that takes a position at or after `pos`; bytes that take
  // none (inner bytes of a character, the LF of a CR LF) belong to the one before.
  size_t units = c.unitStart;
  for (size_t i = c.byteStart; i < text.size(); ++i) {
    const size_t w = Weight(text, i);
    if (w == 0) continue;
    if (units >= pos) return i;
    units += w;
  }
  return text.size();
}

void WidenForView(const std::string& text, size_t* start, size_t* end) {
  const size_t n = text.size();
  *start = std::min(*start, n);
  *end = std::clamp(*end, *start, n);
  for (int k = 0; k < 3 && *start > 0 && *start < n && ContinuationByte(text[*start]); ++k) --*start;
  if (*start > 0 && text[*start - 1] == '\r') --*start;
  for (int k = 0; k < 3 && *end < n && ContinuationByte(text[*end]); ++k) ++*end;
  if (*end < n && text[*end] == '\n') ++*end;
}

size_t LoadCut(const std::string& text, size_t from) {
  if (from >= text.size()) return text.size();
  while (from < text.size() && (ContinuationByte(text[from]) || (from > 0 && text[from] == '\n' && text[from - 1] == '\r')))
    ++from;
  return from;
}

ViewEdit PlanViewEdit(const std::string& text, const ViewIndex& index, size_t held, size_t start, size_t removed,
                      std::string_view inserted) {
  ViewEdit v;
  v.held = held;
  // Only what really changes counts: an edit that puts back the same bytes
  // leaves the view (and its undo history) alone.
  size_t s = start, r = removed;
  while (r > 0 && !inserted.empty() && text[s] == inserted.front()) {
    ++s;
    --r;
    inserted.remove_prefix(1);
  }
  while (r > 0 && !inserted.empty() && text[s + r - 1] == inserted.back()) {
    --r;
    inserted.remove_suffix(1);
  }
  v.changes = r > 0 || !inserted.empty();
  if (!v.changes) return v;
  const bool filling = held < text.size();
  size_t from = s, to = s + r;
  WidenForView(text, &from, &to);
  const size_t piece = to - from - r + inserted.size();
  // Past what the view holds so far, the edit waits in the bytes.
  if (filling && from >= held) return v;
  v.inView = true;
  v.from = index.ToView(text, from);
  v.to = index.ToView(text, std::min(to, held));
  v.piece.reserve(piece);
  v.piece.assign(text, from, s - from).append(inserted).append(text, s + r, to - s - r);
  v.held = to > held ? from + piece : held + piece - (to - from);
  return v;
}

TextEdit TypedEdit(const std::string& text, const ViewIndex& index, size_t pos, size_t removed,
                   std::string_view added, const std::string& lineEnd) {
  static constexpr std::string_view kSeparator = "\xE2\x80\xA9";
  TextEdit e;
  e.start = index.ToByte(text, pos);
  e.removed = index.ToByte(text, pos + removed) - e.start;
  e.inserted.reserve(added.size());
  size_t from = 0;
  for (size_t at; (at = added.find(kSeparator, from)) != std::string_view::npos; from = at + kSeparator.size())
    e.inserted.append(added.substr(from, at - from)).append(lineEnd);
  e.inserted.append(added.substr(from));

  const size_t end = e.start + e.removed;
  const bool crBefore = e.start > 0 && text[e.start - 1] == '\r';
  const bool lfAfter = end < text.size() && text[end] == '\n';
  if (e.inserted.empty()) {
    if (crBefore && lfAfter) {
      --e.start;
      ++e.removed;
      e.inserted = "\r\n";
    }
    return e;
  }
  if (crBefore && e.inserted.front() == '\n') e.inserted.insert(0, 1, '\r');
  if (lfAfter && e.inserted.back() == '\r') e.inserted += '\n';
  return e;
}

}  // namespace tendrel
