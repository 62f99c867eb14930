// Throughput of the case-insensitive search (bench_search sets it against
// glibc memmem, run by run), and of the replace helpers on large pages with many
// matches (their cost must stay linear in the page size).
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

#include "common/text.h"
#include "filler.h"

namespace {

using bench::Filler;
using bench::kMiB;

const std::string& SearchText(std::string_view pattern) {
  static std::string text;
  text = Filler(64 * kMiB - pattern.size(), 7);
  text += pattern;  // found only at the very end: the whole text is scanned
  return text;
}

void BM_PosCI(benchmark::State& state, std::string_view pattern) {
  const std::string& text = SearchText(pattern);
  for (auto _ : state) benchmark::DoNotOptimize(tendrel::PosCI(pattern, text));
  if (tendrel::PosCI(pattern, text) != text.size() - pattern.size() + 1)
    state.SkipWithError("wrong position");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

constexpr std::string_view k16 = "</applet-salebox";  // 16 bytes
constexpr std::string_view k9 = "vendorid=";          // 9 bytes

BENCHMARK_CAPTURE(BM_PosCI, pattern16, k16)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PosCI, pattern9, k9)->Unit(benchmark::kMillisecond);

// A page of the given size with 100 000 applet blocks spread evenly.
std::string Page(size_t size) {
  constexpr size_t kBlocks = 100000;
  const std::string block = "<APPLET name=x>y</Applet>";
  const size_t gap = size / kBlocks - block.size();
  const std::string filler = Filler(size, 11);
  std::string page;
  page.reserve(size);
  for (size_t i = 0; i < kBlocks; ++i) {
    page.append(filler, i * gap % (filler.size() - gap), gap);
    page += block;
  }
  return page;
}

void BM_ReplaceText(benchmark::State& state) {
  const std::string page = Page(static_cast<size_t>(state.range(0)) * kMiB);
  for (auto _ : state)
    benchmark::DoNotOptimize(tendrel::ReplaceText(page, "</applet>", "</applet>\r\n", false));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

void BM_ReplaceBetween(benchmark::State& state) {
  const std::string page = Page(static_cast<size_t>(state.range(0)) * kMiB);
  for (auto _ : state)
    benchmark::DoNotOptimize(tendrel::ReplaceBetween(page, "<applet", "</applet>", "", false));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

BENCHMARK(BM_ReplaceText)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceBetween)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
