#include "common/text.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tendrel {

namespace {

using Table = std::array<unsigned char, 256>;

constexpr Table MakeFoldTable() {
  Table t{};
  for (int i = 0; i < 256; ++i)
    t[i] = static_cast<unsigned char>(i >= 'A' && i <= 'Z' ? i + ('a' - 'A') : i);
  return t;
}
constexpr Table kFold = MakeFoldTable();

inline unsigned char Fold(char c) { return kFold[static_cast<unsigned char>(c)]; }

// Patterns shorter than this are found by a plain scan; a skip table does not
// pay for itself below it.
constexpr size_t kSkipTableMin = 9;

// Finds one pattern repeatedly, with or without case folding. The skip table is
// built once, so ReplaceText and friends stay linear however many matches.
class Finder {
 public:
  Finder(std::string_view pattern, bool caseSensitive)
      : pat_(reinterpret_cast<const unsigned char*>(pattern.data())),
        m_(pattern.size()),
        fold_(caseSensitive ? nullptr : &kFold) {
#if defined(__SSE2__)
    return;  // the vector scan needs no table
#endif
    if (m_ < kSkipTableMin) return;
    // Horspool: every byte shifts the window by m, except bytes found at
    // pattern positions 0 .. m-2, which shift by their distance to the end.
    const uint32_t full = static_cast<uint32_t>(
        m_ < std::numeric_limits<uint32_t>::max() ? m_ : std::numeric_limits<uint32_t>::max());
    shift_.fill(full);
    for (size_t i = 0; i + 1 < m_; ++i) {
      const size_t d = m_ - 1 - i;
      shift_[Key(pat_[i])] = static_cast<uint32_t>(d < full ? d : full);
    }
    if (fold_) {
      // Index the table by the raw text byte: an upper-case letter shifts like
      // its lower-case twin.
      for (int c = 'A'; c <= 'Z'; ++c) shift_[c] = shift_[c + ('a' - 'A')];
    }
  }

  // Zero-based index of the first match at or after from, or npos.
  size_t Find(std::string_view text, size_t from) const {
    if (m_ == 0 || from > text.size() || text.size() - from < m_)
      return std::string_view::npos;
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
#if defined(__SSE2__)
    return fold_ ? Vector<true>(t, n, from) : Vector<false>(t, n, from);
#else
    if (fold_) return m_ < kSkipTableMin ? Plain<true>(t, n, from) : Horspool<true>(t, n, from);
    return m_ < kSkipTableMin ? Plain<false>(t, n, from) : Horspool<false>(t, n, from);
#endif
  }

  // The same answer as Plain and Horspool by another road (tests compare them).
  size_t FindPlain(std::string_view text, size_t from) const {
    if (m_ == 0 || from > text.size() || text.size() - from < m_)
      return std::string_view::npos;
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    return fold_ ? Plain<true>(t, text.size(), from) : Plain<false>(t, text.size(), from);
  }

 private:
  unsigned char Key(unsigned char c) const { return fold_ ? kFold[c] : c; }

  template <bool CI>
  static unsigned char K(unsigned char c) {
    if constexpr (CI) return kFold[c];
    else return c;
  }

  template <bool CI>
  bool SameAt(const unsigned char* t, size_t len) const {
    for (size_t j = 0; j < len; ++j)
      if (K<CI>(t[j]) != K<CI>(pat_[j])) return false;
    return true;
  }

  template <bool CI>
  size_t Plain(const unsigned char* t, size_t n, size_t from) const {
    const unsigned char first = K<CI>(pat_[0]);
    const size_t lastStart = n - m_;
    for (size_t i = from; i <= lastStart; ++i) {
      if (K<CI>(t[i]) == first && SameFrom<CI>(t + i, 1)) return i;
    }
    return std::string_view::npos;
  }

  // Pattern bytes j .. m-1 against the window at t.
  template <bool CI>
  bool SameFrom(const unsigned char* t, size_t j) const {
    for (; j < m_; ++j)
      if (K<CI>(t[j]) != K<CI>(pat_[j])) return false;
    return true;
  }

  template <bool CI>
  size_t Horspool(const unsigned char* t, size_t n, size_t from) const {
    const unsigned char last = K<CI>(pat_[m_ - 1]);
    const uint32_t* shift = shift_.data();
    const size_t end = n - m_;  // last window start
    const unsigned char* tail = t + m_ - 1;
    size_t i = from;
    while (i <= end) {
      const unsigned char c = tail[i];
      if (K<CI>(c) == last && SameAt<CI>(t + i, m_ - 1)) return i;
      i += shift[c];
    }
    return std::string_view::npos;
  }

#if defined(__SSE2__)
  // Sixteen window starts at a time: a start is a candidate when the text
  // holds the pattern's first byte at it and the pattern's last byte m-1
  // further on, each in either case; candidates are then checked in full.
  // Two bytes far apart rule out nearly every start in real text, so the
  // check runs rarely and the scan goes at memory speed.
  template <bool CI>
  size_t Vector(const unsigned char* t, size_t n, size_t from) const {
    const unsigned char first = pat_[0], last = pat_[m_ - 1];
    auto other = [](unsigned char c) {
      if constexpr (CI) {
        if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - ('a' - 'A'));
        if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + ('a' - 'A'));
      }
      return c;
    };
    const __m128i f1 = _mm_set1_epi8(static_cast<char>(first));
    const __m128i f2 = _mm_set1_epi8(static_cast<char>(other(first)));
    const __m128i l1 = _mm_set1_epi8(static_cast<char>(last));
    const __m128i l2 = _mm_set1_epi8(static_cast<char>(other(last)));
    const size_t lastStart = n - m_;
    size_t i = from;
    for (; i + 15 <= lastStart; i += 16) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i + m_ - 1));
      const __m128i hitA = _mm_or_si128(_mm_cmpeq_epi8(a, f1), _mm_cmpeq_epi8(a, f2));
      const __m128i hitB = _mm_or_si128(_mm_cmpeq_epi8(b, l1), _mm_cmpeq_epi8(b, l2));
      unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(hitA, hitB)));
      while (mask != 0) {
        const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
        if (SameFrom<CI>(t + at, 1)) return at;
        mask &= mask - 1;
      }
    }
    // Fewer than sixteen starts remain.
    return i <= lastStart ? Plain<CI>(t, n, i) : std::string_view::npos;
  }
#endif

  const unsigned char* pat_;
  size_t m_;
  const Table* fold_;
  std::array<uint32_t, 256> shift_;  // filled only for long patterns: no cost for short ones
};

inline size_t FindCI(std::string_view pattern, std::string_view text, size_t from = 0) {
  return Finder(pattern, false).Find(text, from);
}

inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

size_t PosCI(std::string_view pattern, std::string_view text) {
  const size_t i = FindCI(pattern, text);
  return i == std::string_view::npos ? 0 : i + 1;
}

size_t PosCIPlain(std::string_view pattern, std::string_view text) {
  const size_t i = Finder(pattern, false).FindPlain(text, 0);
  return i == std::string_view::npos ? 0 : i + 1;
}

size_t PosFrom(std::string_view pattern, std::string_view text, size_t offset) {
  if (offset > text.size()) return 0;
  const size_t p = PosCI(pattern, text.substr(offset));
  return p == 0 ? 0 : p + offset;
}

std::string Mid(std::string_view text, size_t from, long long count) {
  if (from == 0) from = 1;
  if (from > text.size() || count == 0 || count < -1) return {};
  const size_t avail = text.size() - (from - 1);
  const size_t n = count == -1 || static_cast<unsigned long long>(count) > avail
                       ? avail
                       : static_cast<size_t>(count);
  return std::string(text.substr(from - 1, n));
}

std::string LeftStr(std::string_view text, size_t n) {
  return std::string(text.substr(0, n));
}

std::string RightStr(std::string_view text, size_t n) {
  return n >= text.size() ? std::string(text) : std::string(text.substr(text.size() - n));
}

std::string DropRight(std::string_view text, size_t n) {
  return n >= text.size() ? std::string() : std::string(text.substr(0, text.size() - n));
}

std::string TextBefore(std::string_view text, std::string_view marker, bool keep) {
  const size_t p = PosCI(marker, text);
  if (p <= 1) return keep ? std::string(text) : std::string();
  return std::string(text.substr(0, p - 1));
}

std::string TextAfter(std::string_view text, std::string_view marker, bool keep) {
  const size_t p = PosCI(marker, text);
  if (p == 0) return keep ? std::string(text) : std::string();
  return std::string(text.substr(p - 1 + marker.size()));
}

std::string TextBetween(std::string_view text, std::string_view start, std::string_view end) {
  return TextBefore(TextAfter(text, start, false), end, false);
}

std::string ReplaceText(std::string_view text, std::string_view oldText,
                        std::string_view newText, bool caseSensitive) {
  const Finder finder(oldText, caseSensitive);
  std::string out;
  size_t pos = 0;
  size_t hit = finder.Find(text, 0);
  if (hit == std::string_view::npos) return std::string(text);
  out.reserve(text.size());
  while (hit != std::string_view::npos) {
    out.append(text, pos, hit - pos);
    out.append(newText);
    pos = hit + oldText.size();
    hit = finder.Find(text, pos);
  }
  out.append(text, pos);
  return out;
}

std::string ReplaceBetween(std::string_view text, std::string_view start,
                           std::string_view end, std::string_view replacement,
                           bool caseSensitive) {
  std::string out;
  if (start.empty()) {
    out.reserve(text.size() + replacement.size());
    out.append(text);
    out.append(replacement);
    return out;
  }
  static constexpr std::string_view kBetween = "[BETWEEN]";
  const bool hasToken = PosCI(kBetween, replacement) != 0;
  std::string formed;  // the replacement once "[BETWEEN]" has been filled in
  std::string_view repl = replacement;

  const Finder startFinder(start, caseSensitive);
  const Finder endFinder(end, caseSensitive);
  out.reserve(text.size());
  size_t pos = 0;
  bool first = true;
  for (;;) {
    const size_t s = startFinder.Find(text, pos);
    if (s == std::string_view::npos) break;
    const size_t inner = s + start.size();
    const size_t e = endFinder.Find(text, inner);
    if (e == std::string_view::npos) break;
    if (first && hasToken) {
      formed = ReplaceText(replacement, kBetween, text.substr(inner, e - inner), false);
      repl = formed;
    }
    first = false;
    out.append(text, pos, s - pos);
    out.append(repl);
    pos = e + end.size();
  }
  out.append(text, pos);
  return out;
}

int ExtractBlocks(std::string_view text, std::string_view start, std::string_view end,
                  bool withOffset, std::vector<std::string>& list) {
  list.clear();
  const Finder startFinder(start, false);
  const Finder endFinder(end, false);
  size_t pos = 0;  // offsets are counted in the whole text, so pos is the running offset
  for (;;) {
    const size_t s = startFinder.Find(text, pos);
    if (s == std::string_view::npos) break;
    const size_t e = endFinder.Find(text, s + start.size());
    if (e == std::string_view::npos) break;
    const size_t blockEnd = e + end.size();
    std::string entry;
    if (withOffset) {
      entry = std::to_string(s);
      entry += ',';
    }
    entry.append(text, s, blockEnd - s);
    list.push_back(std::move(entry));
    pos = blockEnd;
  }
  return static_cast<int>(list.size()) - 1;
}

int SplitText(std::string_view text, std::string_view separator,
              std::vector<std::string>& list) {
  list.clear();
  static constexpr char kNul[1] = {'\0'};
  if (separator.empty()) separator = std::string_view(kNul, 1);
  const Finder finder(separator, false);
  size_t pos = 0;
  for (size_t hit = finder.Find(text, 0); hit != std::string_view::npos;
       hit = finder.Find(text, pos)) {
    list.emplace_back(text.substr(pos, hit - pos));
    pos = hit + separator.size();
  }
  if (pos < text.size()) list.emplace_back(text.substr(pos));
  return static_cast<int>(list.size()) - 1;
}

std::string GetTagAttribute(std::string_view tag, std::string_view name) {
  const std::string trimmed = Trim(tag);
  const std::string_view t = trimmed;
  std::string key(name);
  key += '=';
  const size_t at = FindCI(key, t);
  if (at == std::string_view::npos) return {};
  const size_t begin = at + key.size();
  // A ">" right after "=" closes the tag: the attribute has no value.
  if (begin >= t.size() || t[begin] == '>') return {};
  const bool quoted = t[begin] == '"';
  size_t stop = t.size();  // one past the last byte of the value
  for (size_t i = begin + 1; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '"') { stop = i + 1; break; }
    if (c == '>') { stop = i; break; }
    if (!quoted && (c == ' ' || c == '\r' || c == '\n')) { stop = i + 1; break; }
  }
  return StripQuotes(t.substr(begin, stop - begin));
}

std::string StripQuotes(std::string_view text) {
  std::string s = Trim(text);
  std::string_view v = s;
  if (!v.empty() && v.front() == '"') v.remove_prefix(1);
  if (!v.empty() && v.back() == '"') v.remove_suffix(1);
  return std::string(v);
}

std::string AddQuotes(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  if (text.empty() || text.front() != '"') out += '"';
  out.append(text);
  if (text.empty() || text.back() != '"') out += '"';
  return out;
}

std::string StripPrefix(std::string_view text, std::string_view prefix) {
  if (!prefix.empty() && text.size() >= prefix.size() &&
      SameText(text.substr(0, prefix.size()), prefix))
    return std::string(text.substr(prefix.size()));
  return std::string(text);
}

std::string StripSuffix(std::string_view text, std::string_view suffix) {
  if (!suffix.empty() && text.size() >= suffix.size() &&
      SameText(text.substr(text.size() - suffix.size()), suffix))
    return std::string(text.substr(0, text.size() - suffix.size()));
  return std::string(text);
}

std::string StripBoth(std::string_view text, std::string_view affix) {
  return StripSuffix(StripPrefix(text, affix), affix);
}

bool IsInteger(std::string_view value) {
  bool negative = false;
  if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
    negative = value.front() == '-';
    value.remove_prefix(1);
  }
  if (value.empty()) return false;
  const unsigned long long limit = negative ? 2147483648ULL : 2147483647ULL;
  unsigned long long n = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<unsigned>(c - '0');
    if (n > limit) return false;  // also stops before n could overflow
  }
  return true;
}

std::string Trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(Fold(c));
  return out;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

}  // namespace tendrel
