#include "host/html_document.h"

#include <algorithm>

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

}  // namespace

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
  std::string t = text_.substr(start, end == std::string::npos ? std::string::npos : end - start);
  auto notSpace = [](unsigned char c) { return !AsciiSpace(c); };
  t.erase(t.begin(), std::find_if(t.begin(), t.end(), notSpace));
  t.erase(std::find_if(t.rbegin(), t.rend(), notSpace).base(), t.end());
  return t;
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
