// Encodes one file with the content cipher, for timing against other tools:
//   bench_encode_cli SOURCE TARGET [HEXKEY]
// Prints the time spent in EncodeFile and the throughput.
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "seller/authoring/cipher.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: %s SOURCE TARGET [HEXKEY]\n", argv[0]);
    return 2;
  }
  try {
    const std::string hex = argc == 4 ? argv[3] : "00112233445566778899AABBCCDDEEFF";
    tendrel::TTillonCipher cipher;
    cipher.SetKey(tendrel::TTillonCipher::HexToKey(hex));
    const auto start = std::chrono::steady_clock::now();
    cipher.EncodeFile(argv[1], argv[2]);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const double mb = static_cast<double>(std::filesystem::file_size(argv[1])) / 1e6;
    std::printf("%.3f s, %.1f MB/s\n", took.count(), took.count() > 0 ? mb / took.count() : 0.0);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
