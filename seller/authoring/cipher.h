#pragma once
// Content cipher: the stream cipher that encodes a product's file before it is
// uploaded, and the naming of encoded files. Encoding and decoding are the same
// operation with the same key.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tendrel {

// A content key: Length bytes of Bytes are in use (program-made keys have 16).
// Copied whole between the cipher, the product record and the preview builder.
struct TCipherKey {
  uint8_t Bytes[256]{};
  int32_t Length = 0;
};

// A malformed hex key text.
class EInvalidHexCodedKey : public std::runtime_error {
 public:
  using runtime_error::runtime_error;
};

// RC4-style permutation generator whose output passes through a key-dependent
// substitution (Rounds + 2 times) and then indexes the permutation; the byte
// found there is XORed with the data.
class TTillonCipher {
 public:
  uint8_t Rounds = 0;
  int32_t I = 0;
  int32_t J = 0;
  uint8_t ExpandedKey[256]{};
  int32_t KeySize = 0;
  uint8_t Substitution[256]{};
  uint32_t Table[256]{};
  uint8_t State[256]{};

  // 16 bytes from the operating system's secure random source.
  static TCipherKey NewRandomKey();
  // Two upper-case hex digits per key byte. Throws std::invalid_argument when
  // Length is outside 0..256.
  static std::string KeyToHex(const TCipherKey& key);
  // Inverse of KeyToHex (either case accepted). Throws EInvalidHexCodedKey.
  static TCipherKey HexToKey(const std::string& text);

  // Key schedule. Throws std::runtime_error for a key shorter than 16 or
  // longer than 256 bytes; the cipher is then left as it was.
  void SetKey(const TCipherKey& key);
  // Restarts the key stream with the current key (nothing happens before a
  // key has been set).
  void Reset();
  // One generator output: an index into State.
  uint8_t NextByte();
  // Each byte b of buffer[0..count) becomes State[NextByte()] ^ b.
  void EncodeBuffer(uint8_t* buffer, size_t count);
  // Encodes source into target (overwritten if it exists) and then Resets.
  // The target appears only when complete: it is written under a temporary
  // name beside it and renamed at the end. Throws FileError (with errno) when
  // the source cannot be read or the target cannot be written.
  void EncodeFile(const std::string& source, const std::string& target);

 private:
  // EncodeBuffer with the substitution passes already folded into one table.
  void EncodePieces(uint8_t* buffer, size_t count, const uint8_t* passes);
};

// Name of the encoded copy of source: the dot of the file name's extension
// becomes ".e" (report.txt -> report.etxt). A source without extension is
// returned unchanged. Both '/' and '\\' separate folders.
std::string EncodedFileName(const std::string& source);
// n put in front of each dot of the file name (report.etxt -> report1.etxt);
// folder names are left alone.
std::string NumberedFileName(const std::string& path, int n);
// encodedName when no file of that name exists, else the first free
// NumberedFileName(encodedName, 1, 2, 3, ...).
std::string FreeEncodedFileName(const std::string& encodedName);
// Deletes the encoded copies of the given sources: EncodedFileName(src), then
// its numbered names 1, 2, 3, ... up to the first that does not exist.
// Sources without extension are skipped; errors are ignored.
void DeleteEncodedFiles(const std::vector<std::string>& sourceFiles);

}  // namespace tendrel
