#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "seller/authoring/cipher.h"
#include "seller/authoring/mixing_table.h"

using namespace tendrel;

namespace {

TCipherKey MakeKey(std::vector<uint8_t> bytes) {
  TCipherKey key;
  for (size_t n = 0; n < bytes.size(); ++n) key.Bytes[n] = bytes[n];
  key.Length = static_cast<int32_t>(bytes.size());
  return key;
}

// A key of the given length whose byte sum is wanted mod 4 (its last byte adjusted).
TCipherKey KeyWithSum(int length, unsigned wanted, uint32_t seed) {
  std::mt19937 rng(seed);
  TCipherKey key;
  key.Length = length;
  unsigned sum = 0;
  for (int n = 0; n + 1 < length; ++n) sum += key.Bytes[n] = static_cast<uint8_t>(rng());
  key.Bytes[length - 1] = static_cast<uint8_t>((wanted - sum) & 3);
  return key;
}

// The key schedule and generator written out plainly, step by step, as the
// encoded-file format describes them; the cipher must match it byte for byte.
struct ReferenceCipher {
  int passes = 0;
  uint8_t sub[256], s[256];
  int i = 0, j = 0;

  explicit ReferenceCipher(const TCipherKey& key) {
    int sum = 0;
    for (int n = 0; n < key.Length; ++n) sum += key.Bytes[n];
    passes = sum % 4 + 2;
    uint32_t table[256];
    for (int n = 0; n < 256; ++n) table[n] = kCipherMixingTable[n];
    for (int n = 0; n < 16; ++n) table[key.Bytes[n]] -= key.Bytes[n];
    uint8_t expanded[256];
    for (int n = 0; n < 256; ++n) {
      int b = key.Bytes[n % key.Length];
      sub[n] = (table[255 - n] >> (8 * (b & 3))) & 0xFF;
      expanded[n] = b ^ sub[n];
    }
    for (int n = 0; n < 256; ++n) s[n] = n;
    for (int n = 0, jj = 0; n < 256; ++n) {
      jj = (jj + s[n] + expanded[n]) % 256;
      std::swap(s[n], s[jj]);
    }
  }
  uint8_t Next() {
    i = (i + 1) % 256;
    j = (j + s[i]) % 256;
    std::swap(s[i], s[j]);
    int r = (s[i] + s[j]) % 256;
    for (int p = 0; p < passes; ++p) r = sub[r];
    return r;
  }
};

}  // namespace

TEST(MixingTable, IsPinned) {
  uint64_t h = 0xcbf29ce484222325ULL;  // FNV-1a 64 over the words, little-endian
  std::set<uint32_t> distinct;
  for (uint32_t v : kCipherMixingTable) {
    distinct.insert(v);
    for (int b = 0; b < 4; ++b) h = (h ^ ((v >> (8 * b)) & 0xFF)) * 0x100000001b3ULL;
  }
  EXPECT_EQ(h, 0x2E7464EF0FFF6114ULL);
  EXPECT_EQ(distinct.size(), 132u);
}

TEST(TillonCipher, KnownAnswers) {
  // Expected bytes were computed by a separate implementation of the format.
  struct Case {
    std::vector<uint8_t> key;
    int rounds;
    std::vector<uint8_t> out;
  } cases[] = {
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 0,
       {0xC9, 0x5A, 0xFF, 0xC9, 0x71, 0x9F, 0x62, 0x26, 0xA0, 0x93, 0x3F, 0x40, 0x34, 0x50, 0x1F, 0x28,
        0x1C, 0x9B, 0x80, 0x86, 0x12, 0xED, 0x8E, 0x0F, 0x26, 0xDA, 0x5A, 0x8B, 0x0F, 0x0F, 0x52, 0x9F}},
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0x12}, 3,
       {0x30, 0x3F, 0x74, 0xE4, 0x93, 0x13, 0xC2, 0x40, 0xB1, 0x21, 0xB8, 0x40, 0x1B, 0x4A, 0x09, 0x5E,
        0xAE, 0xA0, 0x62, 0xFA, 0x68, 0x96, 0xA0, 0xBD, 0xAE, 0x4B, 0xAE, 0xA0, 0xAE, 0x4B, 0x1B, 0xE4}},
  };
  for (const auto& c : cases) {
    TTillonCipher cipher;
    cipher.SetKey(MakeKey(c.key));
    EXPECT_EQ(cipher.Rounds, c.rounds);
    std::vector<uint8_t> zeros(32, 0);
    cipher.EncodeBuffer(zeros.data(), zeros.size());
    EXPECT_EQ(zeros, c.out);
  }
}

TEST(TillonCipher, MatchesReferenceForAllRoundsAndKeyLengths) {
  for (int length : {16, 17, 255, 256}) {
    for (unsigned rounds = 0; rounds < 4; ++rounds) {
      SCOPED_TRACE("length " + std::to_string(length) + " rounds " + std::to_string(rounds));
      const TCipherKey key = KeyWithSum(length, rounds, length * 4 + rounds);
      ReferenceCipher ref(key);
      TTillonCipher stepped, buffered;
      stepped.SetKey(key);
      buffered.SetKey(key);
      ASSERT_EQ(stepped.Rounds, rounds);
      ASSERT_EQ(ref.passes, static_cast<int>(rounds) + 2);

      // Uneven pieces: the buffered path must carry I, J and State across calls.
      std::mt19937 rng(length + rounds);
      size_t done = 0;
      for (size_t piece : {0, 1, 7, 255, 256, 1000, 3}) {
        std::vector<uint8_t> data(piece), expected(piece);
        for (size_t k = 0; k < piece; ++k) {
          data[k] = static_cast<uint8_t>(rng());
          const uint8_t r = stepped.NextByte();
          ASSERT_EQ(r, ref.Next()) << "at output " << done + k;
          expected[k] = data[k] ^ stepped.State[r];
        }
        buffered.EncodeBuffer(data.data(), data.size());
        ASSERT_EQ(data, expected) << "piece after " << done;
        done += piece;
      }
      EXPECT_EQ(0, std::memcmp(stepped.State, buffered.State, 256));
      EXPECT_EQ(stepped.I, buffered.I);
      EXPECT_EQ(stepped.J, buffered.J);
    }
  }
}

TEST(TillonCipher, RefusedKeyLeavesCipherUnchanged) {
  TTillonCipher cipher, fresh;
  const TCipherKey good = KeyWithSum(16, 1, 7);
  cipher.SetKey(good);
  fresh.SetKey(good);
  for (int length : {15, 0, -1, 257}) {
    TCipherKey bad = KeyWithSum(16, 2, 9);
    bad.Length = length;
    try {
      cipher.SetKey(bad);
      ADD_FAILURE() << "length " << length << " accepted";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), length < 16 ? "Encryption key MUST be 16 bytes (128 bits) or greater"
                                         : "Encryption key MUST be 256 bytes (2048 bits) or less");
    }
  }
  for (int n = 0; n < 64; ++n) ASSERT_EQ(cipher.NextByte(), fresh.NextByte());
}

TEST(TillonCipher, HexToKeyChecks) {
  struct Case {
    std::string text;
    const char* message;  // nullptr: accepted
  } cases[] = {
      {std::string(31, 'A'), "Invalid hex encoded key (must have even number of characters)"},
      {"", "Invalid hex encoded key (empty)"},
      {std::string(30, 'A'), "Invalid hex encoded key (too short - must be at least 32 chars)"},
      {std::string(513, 'A'), "Invalid hex encoded key (must have even number of characters)"},
      {std::string(514, 'A'), "Invalid hex encoded key (too long - must be at most 512 chars)"},
      {std::string(30, '0') + "0g", "Invalid hex encoded key (not a hexadecimal digit: 'g')"},
      {" " + std::string(31, '0'), "Invalid hex encoded key (not a hexadecimal digit: ' ')"},
      {std::string(31, '0') + '\x01', "Invalid hex encoded key (not a hexadecimal digit: '\\x01')"},
      {std::string(32, 'f'), nullptr},
      {"00ab0F" + std::string(26, '9'), nullptr},
      {std::string(512, 'c'), nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("text of " + std::to_string(c.text.size()) + " chars");
    if (!c.message) {
      const TCipherKey key = TTillonCipher::HexToKey(c.text);
      EXPECT_EQ(key.Length, static_cast<int>(c.text.size() / 2));
      std::string upper = c.text;
      for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      EXPECT_EQ(TTillonCipher::KeyToHex(key), upper);
      continue;
    }
    try {
      TTillonCipher::HexToKey(c.text);
      ADD_FAILURE() << "accepted";
    } catch (const EInvalidHexCodedKey& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(TillonCipher, KeyToHexAndRandomKeys) {
  TCipherKey key = MakeKey({0, 171, 15, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 255});
  EXPECT_EQ(TTillonCipher::KeyToHex(key), "00AB0F0102030405060708090A0B0CFF");
  key.Length = 257;
  EXPECT_THROW(TTillonCipher::KeyToHex(key), std::invalid_argument);

  const TCipherKey a = TTillonCipher::NewRandomKey(), b = TTillonCipher::NewRandomKey();
  EXPECT_EQ(a.Length, 16);
  EXPECT_EQ(b.Length, 16);
  EXPECT_NE(TTillonCipher::KeyToHex(a), TTillonCipher::KeyToHex(b));
}
