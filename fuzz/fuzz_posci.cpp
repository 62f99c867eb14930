// The case-insensitive search on any bytes: the vector scan, the plain scan
// and a by-the-definition reference must agree, from every offset tried.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"

using fuzz::Check;
using fuzz::NaivePos;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // First byte: pattern length; the pattern is then planted (in flipped case)
  // at a place given by the second byte, so matches are common.
  const size_t plen = 1 + data[0] % 40;
  const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::string_view pattern = rest.substr(0, plen);
  std::string text(rest.substr(pattern.size()));
  if (data[1] & 1) {
    std::string planted(pattern);
    for (char& c : planted)
      if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') c ^= 0x20;
    text.insert(text.empty() ? 0 : data[1] % (text.size() + 1), planted);
  }
  const size_t want = NaivePos(pattern, text);
  Check(tendrel::PosCI(pattern, text) == want);
  Check(tendrel::PosCIPlain(pattern, text) == want);
  const size_t off = data[1] % (text.size() + 2);
  const size_t inRest = off <= text.size() ? NaivePos(pattern, std::string_view(text).substr(off)) : 0;
  Check(tendrel::PosFrom(pattern, text, off) == (inRest ? inRest + off : 0));
  return 0;
}
