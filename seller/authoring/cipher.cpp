#include "seller/authoring/cipher.h"

#include <QRandomGenerator>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "common/file_error.h"
#include "seller/authoring/mixing_table.h"

namespace tendrel {

namespace {

constexpr int kMinKeyLength = 16;
constexpr int kMaxKeyLength = 256;
constexpr size_t kMaxHexKeyChars = 2 * kMaxKeyLength;
constexpr size_t kPieceSize = 8192;
// Files are read and written this much at a time (a whole number of pieces):
// one system call per 8 KiB piece cost more than the cipher itself.
constexpr size_t kIoSize = 32 * kPieceSize;
// Below this many bytes, folding the substitution passes into one table costs
// more than it saves.
constexpr size_t kFoldThreshold = 128;

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string ShowChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 0x20 && u < 0x7F) return std::string(1, c);
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02X", u);
  return buf;
}

// One generator step on local state; the caller's permutation is a local copy,
// which the data buffer cannot alias, so the compiler keeps it without reloads.
inline uint8_t Step(uint8_t* s, uint32_t& i, uint32_t& j, const uint8_t* passes) {
  i = (i + 1) & 0xFF;
  const uint8_t si = s[i];
  j = (j + si) & 0xFF;
  const uint8_t sj = s[j];
  s[i] = sj;
  s[j] = si;
  return s[passes[(si + sj) & 0xFF]];
}

// XORs the key stream into data, eight bytes to a word so that the buffer is
// touched once per eight steps.
void ApplyKeyStream(uint8_t* data, size_t count, uint8_t* s, uint32_t& i, uint32_t& j,
                    const uint8_t* passes) {
  size_t k = 0;
  for (; k + 8 <= count; k += 8) {
    uint64_t stream = 0;
#pragma GCC unroll 8
    for (int b = 0; b < 8; ++b) {
      const int shift = std::endian::native == std::endian::little ? 8 * b : 8 * (7 - b);
      stream |= static_cast<uint64_t>(Step(s, i, j, passes)) << shift;
    }
    uint64_t chunk;
    std::memcpy(&chunk, data + k, 8);
    chunk ^= stream;
    std::memcpy(data + k, &chunk, 8);
  }
  for (; k < count; ++k) data[k] = static_cast<uint8_t>(data[k] ^ Step(s, i, j, passes));
}

std::string::size_type FileNameStart(const std::string& path) {
  const auto sep = path.find_last_of("/\\");
  return sep == std::string::npos ? 0 : sep + 1;
}

bool PathExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  const auto st = std::filesystem::symlink_status(path, ec);
  return std::filesystem::exists(st);
}

void RemoveIfFile(const std::string& path) {
  std::error_code ec;
  const auto st = std::filesystem::symlink_status(path, ec);
  if (ec || !std::filesystem::exists(st) || std::filesystem::is_directory(st)) return;
  std::filesystem::remove(path, ec);
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void ThrowFileError(const std::string& what, const std::string& path, int code) {
  throw FileError(what + " \"" + path + "\": " + std::strerror(code), code);
}

}  // namespace

TCipherKey TTillonCipher::NewRandomKey() {
  TCipherKey key;
  QRandomGenerator* rng = QRandomGenerator::system();
  for (int n = 0; n < kMinKeyLength; ++n) key.Bytes[n] = static_cast<uint8_t>(rng->bounded(256));
  key.Length = kMinKeyLength;
  return key;
}

std::string TTillonCipher::KeyToHex(const TCipherKey& key) {
  if (key.Length < 0 || key.Length > kMaxKeyLength)
    throw std::invalid_argument("Invalid key length " + std::to_string(key.Length));
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(2 * static_cast<size_t>(key.Length));
  for (int n = 0; n < key.Length; ++n) {
    hex += kDigits[key.Bytes[n] >> 4];
    hex += kDigits[key.Bytes[n] & 0x0F];
  }
  return hex;
}

TCipherKey TTillonCipher::HexToKey(const std::string& text) {
  if (text.size() % 2 != 0)
    throw EInvalidHexCodedKey("Invalid hex encoded key (must have even number of characters)");
  if (text.empty()) throw EInvalidHexCodedKey("Invalid hex encoded key (empty)");
  if (text.size() < 2 * kMinKeyLength)
    throw EInvalidHexCodedKey("Invalid hex encoded key (too short - must be at least 32 chars)");
  // Longer texts would run past the key's 256 bytes.
  if (text.size() > kMaxHexKeyChars)
    throw EInvalidHexCodedKey("Invalid hex encoded key (too long - must be at most 512 chars)");
  TCipherKey key;
  for (size_t k = 0; k < text.size(); ++k) {
    const int v = HexDigitValue(text[k]);
    // Any other character would silently give a wrong key.
    if (v < 0)
      throw EInvalidHexCodedKey("Invalid hex encoded key (not a hexadecimal digit: '" +
                                ShowChar(text[k]) + "')");
    key.Bytes[k / 2] = static_cast<uint8_t>(k % 2 == 0 ? v << 4 : key.Bytes[k / 2] | v);
  }
  key.Length = static_cast<int32_t>(text.size() / 2);
  return key;
}

void TTillonCipher::SetKey(const TCipherKey& key) {
  // Checked before anything changes, so a refused key leaves the cipher usable
  // with its previous key.
  if (key.Length < kMinKeyLength)
    throw std::runtime_error("Encryption key MUST be 16 bytes (128 bits) or greater");
  if (key.Length > kMaxKeyLength)
    throw std::runtime_error("Encryption key MUST be 256 bytes (2048 bits) or less");

  unsigned sum = 0;
  for (int n = 0; n < key.Length; ++n) sum += key.Bytes[n];
  Rounds = static_cast<uint8_t>(sum % 4);

  for (int n = 0; n < 256; ++n) Table[n] = kCipherMixingTable[n];
  for (int n = 0; n < kMinKeyLength; ++n) {
    const uint8_t c = key.Bytes[n];
    Table[c] -= c;
  }
  KeySize = 256;
  for (int n = 0; n < 256; ++n) {
    const uint8_t b = key.Bytes[n % key.Length];
    Substitution[n] = static_cast<uint8_t>(Table[255 - n] >> (8 * (b & 3)));
    ExpandedKey[n] = static_cast<uint8_t>(b ^ Substitution[n]);
  }
  Reset();
}

void TTillonCipher::Reset() {
  if (KeySize <= 0) return;
  I = 0;
  J = 0;
  for (int n = 0; n < 256; ++n) State[n] = static_cast<uint8_t>(n);
  unsigned j = 0;
  for (int n = 0; n < 256; ++n) {
    j = (j + State[n] + ExpandedKey[n]) & 0xFF;
    std::swap(State[n], State[j]);
  }
}

uint8_t TTillonCipher::NextByte() {
  const unsigned i = (static_cast<unsigned>(I) + 1) & 0xFF;
  const unsigned j = (static_cast<unsigned>(J) + State[i]) & 0xFF;
  std::swap(State[i], State[j]);
  I = static_cast<int32_t>(i);
  J = static_cast<int32_t>(j);
  uint8_t r = Substitution[(State[i] + State[j]) & 0xFF];
  for (unsigned pass = 0; pass <= Rounds; ++pass) r = Substitution[r];
  return r;
}

// The Rounds + 2 substitution passes depend only on their input, so they are
// folded into one table instead of chained for every byte.
static void FoldPasses(const uint8_t* substitution, unsigned rounds, uint8_t* passes) {
  for (unsigned t = 0; t < 256; ++t) {
    uint8_t r = substitution[t];
    for (unsigned pass = 0; pass <= rounds; ++pass) r = substitution[r];
    passes[t] = r;
  }
}

void TTillonCipher::EncodeBuffer(uint8_t* buffer, size_t count) {
  if (count < kFoldThreshold) {
    for (size_t k = 0; k < count; ++k) buffer[k] = static_cast<uint8_t>(buffer[k] ^ State[NextByte()]);
    return;
  }
  uint8_t passes[256];
  FoldPasses(Substitution, Rounds, passes);
  EncodePieces(buffer, count, passes);
}

void TTillonCipher::EncodePieces(uint8_t* buffer, size_t count, const uint8_t* passes) {
  uint8_t s[256];
  std::memcpy(s, State, sizeof s);
  uint32_t i = static_cast<uint32_t>(I) & 0xFF;
  uint32_t j = static_cast<uint32_t>(J) & 0xFF;
  ApplyKeyStream(buffer, count, s, i, j, passes);
  std::memcpy(State, s, sizeof s);
  I = static_cast<int32_t>(i);
  J = static_cast<int32_t>(j);
}

void TTillonCipher::EncodeFile(const std::string& source, const std::string& target) {
  // The next file encoded with this cipher starts the key stream afresh, even
  // when this one fails half-way.
  struct ResetAtEnd {
    TTillonCipher& cipher;
    ~ResetAtEnd() { cipher.Reset(); }
  } resetAtEnd{*this};

  FilePtr in(std::fopen(source.c_str(), "rb"));
  if (!in) ThrowFileError("Cannot open", source, errno);
  std::setvbuf(in.get(), nullptr, _IONBF, 0);

  // Written under a temporary name and renamed when complete, so a failure
  // never leaves a truncated encoded file that could be taken for a good one.
  // The temporary name is short and lies in the target's folder: one made by
  // lengthening the target's name would fail for names near the system's limit.
  const std::string folder = target.substr(0, FileNameStart(target));
  std::string temp;
  FilePtr out;
  for (int attempt = 0; attempt < 100 && !out; ++attempt) {
    char name[24];
    std::snprintf(name, sizeof name, ".~enc%08X", QRandomGenerator::global()->generate());
    temp = folder + name;
    out.reset(std::fopen(temp.c_str(), "wbx"));
    if (!out && errno != EEXIST) break;
  }
  if (!out) ThrowFileError("Cannot create", target, errno);
  std::setvbuf(out.get(), nullptr, _IONBF, 0);

  auto fail = [&](const char* what, const std::string& path, int code) {
    out.reset();
    std::remove(temp.c_str());
    ThrowFileError(what, path, code);
  };

  // The key stream runs on through the file piece after piece, exactly as if
  // each 8192-byte piece were read, encoded and written on its own.
  uint8_t passes[256];
  FoldPasses(Substitution, Rounds, passes);
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[kIoSize]);
  for (;;) {
    const size_t got = std::fread(buffer.get(), 1, kIoSize, in.get());
    for (size_t at = 0; at < got; at += kPieceSize)
      EncodePieces(buffer.get() + at, std::min(kPieceSize, got - at), passes);
    if (got > 0 && std::fwrite(buffer.get(), 1, got, out.get()) != got) fail("Cannot write", target, errno);
    if (got < kIoSize) {
      if (std::ferror(in.get())) fail("Cannot read", source, errno);
      break;
    }
  }
  in.reset();
  if (std::fclose(out.release()) != 0) fail("Cannot write", target, errno);
  if (std::rename(temp.c_str(), target.c_str()) != 0) {
    const int code = errno;
    std::remove(temp.c_str());
    ThrowFileError("Cannot create", target, code);
  }
}

std::string EncodedFileName(const std::string& source) {
  const auto start = FileNameStart(source);
  const auto dot = source.rfind('.');
  if (dot == std::string::npos || dot < start) return source;
  return source.substr(0, dot + 1) + "e" + source.substr(dot + 1);
}

std::string NumberedFileName(const std::string& path, int n) {
  const auto start = FileNameStart(path);
  const std::string number = std::to_string(n);
  std::string result = path.substr(0, start);
  for (auto k = start; k < path.size(); ++k) {
    if (path[k] == '.') result += number;
    result += path[k];
  }
  return result;
}

std::string FreeEncodedFileName(const std::string& encodedName) {
  if (!PathExists(encodedName)) return encodedName;
  // A name without a dot cannot be numbered.
  if (NumberedFileName(encodedName, 1) == encodedName)
    throw FileError("No free name for \"" + encodedName + "\"", EEXIST);
  for (int n = 1; n < INT_MAX; ++n) {
    std::string candidate = NumberedFileName(encodedName, n);
    if (!PathExists(candidate)) return candidate;
  }
  throw FileError("No free name for \"" + encodedName + "\"", EEXIST);
}

void DeleteEncodedFiles(const std::vector<std::string>& sourceFiles) {
  for (const auto& source : sourceFiles) {
    const std::string encoded = EncodedFileName(source);
    if (encoded == source) continue;
    RemoveIfFile(encoded);
    for (int n = 1; n < INT_MAX; ++n) {
      const std::string numbered = NumberedFileName(encoded, n);
      if (!PathExists(numbered)) break;
      RemoveIfFile(numbered);
    }
  }
}

}  // namespace tendrel
