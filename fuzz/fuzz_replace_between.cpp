// ReplaceBetween (and ReplaceText) on arbitrary text, markers and replacement,
// compared with a plain quadratic reference written straight from the rules.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/text.h"

namespace {

// Zero-based index of p in t at or after from, or npos; plain scan.
size_t NaiveFind(std::string_view p, std::string_view t, size_t from, bool cs) {
  if (p.empty() || from > t.size()) return std::string::npos;
  for (size_t i = from; i + p.size() <= t.size(); ++i) {
    const std::string_view w = t.substr(i, p.size());
    if (cs ? w == p : tendrel::SameText(w, p)) return i;
  }
  return std::string::npos;
}

std::string NaiveReplaceText(std::string_view t, std::string_view o, std::string_view n, bool cs) {
  std::string out;
  size_t pos = 0;
  for (size_t h; (h = NaiveFind(o, t, pos, cs)) != std::string::npos; pos = h + o.size()) {
    out.append(t.substr(pos, h - pos));
    out.append(n);
  }
  out.append(t.substr(pos));
  return out;
}

std::string NaiveReplaceBetween(std::string_view t, std::string_view s, std::string_view e,
                                std::string_view r, bool cs) {
  if (s.empty()) return std::string(t) + std::string(r);
  std::string out, repl(r);
  bool first = true;
  size_t pos = 0;
  for (;;) {
    const size_t a = NaiveFind(s, t, pos, cs);
    if (a == std::string::npos) break;
    const size_t b = NaiveFind(e, t, a + s.size(), cs);
    if (b == std::string::npos) break;
    if (first)
      repl = NaiveReplaceText(r, "[BETWEEN]", t.substr(a + s.size(), b - a - s.size()), false);
    first = false;
    out.append(t.substr(pos, a - pos));
    out.append(repl);
    pos = b + e.size();
  }
  out.append(t.substr(pos));
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const bool cs = in.ConsumeBool();
  const std::string start = in.ConsumeRandomLengthString(24);
  const std::string end = in.ConsumeRandomLengthString(24);
  const std::string repl = in.ConsumeRandomLengthString(32);
  const std::string text = in.ConsumeRemainingBytesAsString();

  if (tendrel::ReplaceBetween(text, start, end, repl, cs) !=
      NaiveReplaceBetween(text, start, end, repl, cs))
    std::abort();
  if (tendrel::ReplaceText(text, start, repl, cs) != NaiveReplaceText(text, start, repl, cs))
    std::abort();
  return 0;
}
