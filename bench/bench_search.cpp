// PosCI against glibc memmem on text lowered beforehand, side by side: each
// round times one search of each, in turn, so drift of the machine's speed
// falls on both; the medians and their ratio are printed.
//   bench_search [ROUNDS]   (default 31)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/text.h"
#include "filler.h"

namespace {

using bench::Filler;
using bench::kMiB;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

template <typename F>
double Seconds(F&& f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 31;
  const char* const patterns[] = {"</applet-salebox", "vendorid=", "Tillon-", "=x"};
  std::printf("%-18s %10s %10s %10s %10s %8s\n", "pattern", "PosCI GB/s", "min-max", "memmem GB/s",
              "min-max", "ratio");
  for (const char* pattern : patterns) {
    std::string text = Filler(64 * kMiB - std::strlen(pattern), 7);
    text += pattern;
    const std::string lower = tendrel::LowerCase(text);
    const std::string lowerPattern = tendrel::LowerCase(pattern);
    const size_t want = text.size() - std::strlen(pattern) + 1;
    std::vector<double> ours, theirs;
    volatile size_t sink = 0;
    for (int r = 0; r < rounds; ++r) {
      // Alternate which goes first, so neither always meets a warm cache.
      auto a = [&] { sink = tendrel::PosCI(pattern, text); };
      auto b = [&] { sink = static_cast<size_t>(
                         static_cast<const char*>(memmem(lower.data(), lower.size(), lowerPattern.data(),
                                                         lowerPattern.size())) - lower.data()) + 1; };
      if (r % 2 == 0) {
        ours.push_back(Seconds(a));
        if (sink != want) return std::fprintf(stderr, "PosCI found the wrong place\n"), 1;
        theirs.push_back(Seconds(b));
      } else {
        theirs.push_back(Seconds(b));
        ours.push_back(Seconds(a));
        if (sink != want) return std::fprintf(stderr, "PosCI found the wrong place\n"), 1;
      }
    }
    const double gb = static_cast<double>(text.size()) / 1e9;
    const auto [oMin, oMax] = std::minmax_element(ours.begin(), ours.end());
    const auto [tMin, tMax] = std::minmax_element(theirs.begin(), theirs.end());
    std::printf("%-18s %10.2f %4.2f-%-5.2f %10.2f %4.2f-%-5.2f %8.2f\n", pattern, gb / Median(ours),
                gb / *oMax, gb / *oMin, gb / Median(theirs), gb / *tMax, gb / *tMin,
                Median(theirs) / Median(ours));
  }
  std::printf("ratio: memmem's median time over PosCI's (above 1: PosCI is faster)\n");
  return 0;
}
