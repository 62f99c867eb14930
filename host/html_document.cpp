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

void HtmlDocument::InsertAtCursor(const std::string& s) {
  text_.replace(static_cast<size_t>(selStart_), static_cast<size_t>(selLength_), s);
  selStart_ += static_cast<int>(s.size());
  selLength_ = 0;
}

void HtmlDocument::ReplaceAll(const std::string& s) {
  text_ = s;
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
  text_.insert(pos, s);
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

}  // namespace tendrel
