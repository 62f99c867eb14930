#pragma once
// Page-like text for the text benchmarks.
#include <cstddef>
#include <iterator>
#include <random>
#include <string>

namespace bench {

inline constexpr size_t kMiB = 1024 * 1024;

// HTML-like filler in mixed case. It has no '-' and no '=', so patterns
// holding one of them occur only where a benchmark plants them.
inline std::string Filler(size_t size, unsigned seed) {
  static const char* const kWords[] = {"<p>",    "The",     "applet", "VENDOR", "product",
                                       "Salebox", "<b>",    "price",  "cents",  "Tillon",
                                       "</p>",   "content", "teaser", "image",  "page"};
  std::mt19937 rng(seed);
  std::string s;
  s.reserve(size + 16);
  while (s.size() < size) {
    s += kWords[rng() % std::size(kWords)];
    s += rng() % 8 ? ' ' : '\n';
  }
  s.resize(size);
  return s;
}

}  // namespace bench
