#include "common/controls/comma_text.h"

namespace tendrel {

namespace {

bool IsBlankByte(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool NeedsQuotes(std::string_view item) {
  if (item.empty()) return true;
  for (char c : item)
    if (IsBlankByte(c) || c == '"' || c == ',') return true;
  return false;
}

std::string Quoted(std::string_view item) {
  std::string out = "\"";
  for (char c : item) {
    out += c;
    if (c == '"') out += '"';
  }
  out += '"';
  return out;
}

// Length of text cut to at most limit bytes without splitting a UTF-8
// sequence (a continuation byte at the cut means the character straddles it).
size_t CutAtCharacter(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text.size();
  size_t n = limit;
  size_t back = 0;
  while (n > 0 && back < 3 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) {
    --n;
    ++back;
  }
  // Not a UTF-8 sequence after all: keep the plain byte cut.
  if ((static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) return limit;
  return n;
}

}  // namespace

std::string ToCommaText(const std::vector<std::string>& items, size_t limit) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    std::string piece = NeedsQuotes(items[i]) ? Quoted(items[i]) : items[i];
    size_t grown = out.size() + (i > 0 ? 1 : 0) + piece.size();
    if (grown >= limit) break;
    if (i > 0) out += ',';
    out += piece;
  }
  return out;
}

std::vector<std::string> FromCommaText(std::string_view text, size_t limit) {
  text = text.substr(0, CutAtCharacter(text, limit));
  std::vector<std::string> items;
  size_t p = 0;
  const size_t n = text.size();
  auto skipBlanks = [&] {
    while (p < n && IsBlankByte(text[p])) ++p;
  };
  skipBlanks();
  while (p < n) {
    std::string item;
    if (text[p] == '"') {
      ++p;
      while (p < n) {
        if (text[p] == '"') {
          if (p + 1 < n && text[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += text[p++];
      }
    } else {
      size_t start = p;
      while (p < n && !IsBlankByte(text[p]) && text[p] != ',') ++p;
      item.assign(text.substr(start, p - start));
    }
    items.push_back(std::move(item));
    skipBlanks();
    if (p < n && text[p] == ',') {
      ++p;
      skipBlanks();
    }
  }
  return items;
}

}  // namespace tendrel
