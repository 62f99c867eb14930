#include "host/html_document.h"

#include <algorithm>
#include <cctype>

namespace tendrel {

namespace {

size_t FindCI(const std::string& text, const std::string& pat, size_t from = 0) {
  auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())),
                        text.end(), pat.begin(), pat.end(), [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                        });
  return it == text.end() ? std::string::npos : static_cast<size_t>(it - text.begin());
}

// Position just after the start tag `<name ...>` or npos. "<head" must not
// match "<header".
size_t AfterStartTag(const std::string& text, const std::string& name) {
  size_t pos = 0;
  while ((pos = FindCI(text, "<" + name, pos)) != std::string::npos) {
    size_t after = pos + name.size() + 1;
    if (after < text.size() && (text[after] == '>' || std::isspace(static_cast<unsigned char>(text[after])))) {
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
  auto notSpace = [](unsigned char c) { return !std::isspace(c); };
  t.erase(t.begin(), std::find_if(t.begin(), t.end(), notSpace));
  t.erase(std::find_if(t.rbegin(), t.rend(), notSpace).base(), t.end());
  return t;
}

}  // namespace tendrel
