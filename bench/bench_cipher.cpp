// Throughput of the content cipher: in memory and file to file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "seller/authoring/cipher.h"

namespace {

tendrel::TCipherKey BenchKey() {
  return tendrel::TTillonCipher::HexToKey("00112233445566778899AABBCCDDEEFF");
}

void BM_NextByte(benchmark::State& state) {
  tendrel::TTillonCipher cipher;
  cipher.SetKey(BenchKey());
  for (auto _ : state) benchmark::DoNotOptimize(cipher.NextByte());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_NextByte);

void BM_EncodeBuffer(benchmark::State& state) {
  tendrel::TTillonCipher cipher;
  cipher.SetKey(BenchKey());
  std::vector<uint8_t> buffer(static_cast<size_t>(state.range(0)), 0x5A);
  for (auto _ : state) {
    cipher.EncodeBuffer(buffer.data(), buffer.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_EncodeBuffer)->Arg(64)->Arg(8192)->Arg(1 << 20);

void BM_EncodeFile(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "tendrel_bench_cipher";
  fs::create_directories(dir);
  const std::string source = (dir / "source.bin").string();
  const std::string target = (dir / "target.bin").string();
  const size_t size = static_cast<size_t>(state.range(0));
  {
    std::vector<char> data(size);
    std::mt19937 rng(1);
    for (auto& c : data) c = static_cast<char>(rng());
    std::ofstream(source, std::ios::binary).write(data.data(), static_cast<std::streamsize>(size));
  }
  tendrel::TTillonCipher cipher;
  cipher.SetKey(BenchKey());
  for (auto _ : state) cipher.EncodeFile(source, target);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
  fs::remove_all(dir);
}
BENCHMARK(BM_EncodeFile)->Arg(64 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
