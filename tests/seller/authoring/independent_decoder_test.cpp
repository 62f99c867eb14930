// Files encoded by Bravant's cipher must come back whole through the
// service's decoder (standins/tillon_cipher.py), which is kept apart from the
// program's code: the two meet only in the fixed mixing table and the hex key.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "seller/authoring/cipher.h"

using namespace tendrel;

namespace {

using Bytes = std::vector<uint8_t>;

const QString kStandIns = QStringLiteral(TEST_SOURCE_DIR "/../standins");

Bytes RandomBytes(size_t count, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes data(count);
  for (auto& b : data) b = static_cast<uint8_t>(rng());
  return data;
}

TCipherKey KeyOf(const Bytes& bytes) {
  TCipherKey key;
  for (size_t n = 0; n < bytes.size(); ++n) key.Bytes[n] = bytes[n];
  key.Length = static_cast<int32_t>(bytes.size());
  return key;
}

struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

Outcome Python(const QStringList& args) {
  QProcess proc;
  // -B: no bytecode cache left in the source tree.
  proc.start(QStringLiteral("python3"), QStringList{QStringLiteral("-B")} + args);
  Outcome run;
  if (!proc.waitForFinished(60000)) return run;
  run.exitCode = proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -1;
  run.out = proc.readAllStandardOutput().toStdString();
  run.err = proc.readAllStandardError().toStdString();
  return run;
}

// Where two files first differ, for a readable failure.
std::string FirstDifference(const Bytes& want, const Bytes& got) {
  if (want == got) return "";
  size_t k = 0;
  while (k < want.size() && k < got.size() && want[k] == got[k]) ++k;
  return "sizes " + std::to_string(want.size()) + "/" + std::to_string(got.size()) +
         ", first difference at byte " + std::to_string(k);
}

class IndependentDecoder : public ::testing::Test {
 protected:
  QString Path(const QString& name) const { return dir_.filePath(name); }

  void Write(const QString& name, const Bytes& data) const {
    QFile f(Path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<qint64>(data.size()));
  }
  Bytes Read(const QString& name) const {
    QFile f(Path(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray all = f.readAll();
    return Bytes(all.begin(), all.end());
  }

  // Encodes data with the program's cipher (already keyed), decodes the
  // encoded file with the service's decoder and expects data back.
  void ExpectRoundTrip(TTillonCipher& cipher, const TCipherKey& key, const Bytes& data,
                       const QString& name) {
    const std::string hex = TTillonCipher::KeyToHex(key);
    SCOPED_TRACE("key " + hex + ", " + std::to_string(data.size()) + " bytes");
    Write(name, data);
    const QString encoded = name + QStringLiteral(".e");
    const QString decoded = name + QStringLiteral(".d");
    cipher.EncodeFile(Path(name).toStdString(), Path(encoded).toStdString());
    const Bytes coded = Read(encoded);
    ASSERT_EQ(coded.size(), data.size());
    if (data.size() >= 64) {
      EXPECT_NE(coded, data) << "the file was not encoded at all";
    }
    const Outcome run = Python({kStandIns + QStringLiteral("/tillon_cipher.py"), QString::fromStdString(hex),
                            Path(encoded), Path(decoded)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(FirstDifference(data, Read(decoded)), "");
  }

  QTemporaryDir dir_;
};

}  // namespace

// The table is the one constant both ends must share; a 16-byte key of zeros
// leaves the cipher's working copy equal to it.
TEST_F(IndependentDecoder, HoldsTheProgramsMixingTable) {
  TTillonCipher cipher;
  cipher.SetKey(KeyOf(Bytes(16, 0)));
  std::string program;
  for (uint32_t word : cipher.Table) program += std::to_string(word) + "\n";
  const Outcome run = Python({QStringLiteral("-c"),
                          QStringLiteral("import sys; sys.path.insert(0, sys.argv[1]); import tillon_cipher; "
                                         "print('\\n'.join(map(str, tillon_cipher.MIXING_TABLE)))"),
                          kStandIns});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, program);
}

// One cipher for all files: each file starts again from the beginning of the
// key stream, and the 8192-byte pieces do not show in the result.
TEST_F(IndependentDecoder, DecodesFilesOfEverySizeUnderARandomKey) {
  const TCipherKey key = TTillonCipher::NewRandomKey();
  ASSERT_EQ(key.Length, 16);
  TTillonCipher cipher;
  cipher.SetKey(key);
  uint32_t seed = 1;
  for (size_t size : {0, 1, 8191, 8192, 8193, 100 * 1024}) {
    ExpectRoundTrip(cipher, key, RandomBytes(size, seed++), QStringLiteral("f%1").arg(size));
  }
  // A file of one repeated byte shows the key stream itself.
  ExpectRoundTrip(cipher, key, Bytes(20000, 0), QStringLiteral("zeros"));
}

// Keys at both length limits, longer keys (only their first 16 bytes adjust
// the table, all of them feed the schedule), repeated bytes that adjust one
// table word several times, and byte sums giving each number of passes.
TEST_F(IndependentDecoder, DecodesUnderKeysOfEveryShape) {
  std::vector<Bytes> keys;
  for (unsigned rounds = 0; rounds < 4; ++rounds) {
    Bytes k(16);
    unsigned sum = 0;
    for (size_t n = 0; n < k.size(); ++n) sum += k[n] = static_cast<uint8_t>(n * 17 + 3);
    k[15] = static_cast<uint8_t>(k[15] + (rounds + 4 - sum % 4) % 4);  // byte sum = rounds (mod 4)
    keys.push_back(k);
  }
  keys.push_back(Bytes(16, 0xFF));
  keys.push_back(Bytes(16, 0x00));
  keys.push_back(RandomBytes(17, 7));
  keys.push_back(RandomBytes(100, 8));
  Bytes all(256);
  for (size_t n = 0; n < all.size(); ++n) all[n] = static_cast<uint8_t>(255 - n);
  keys.push_back(all);
  keys.push_back(RandomBytes(256, 9));

  const Bytes data = RandomBytes(20000, 11);
  int n = 0;
  for (const Bytes& bytes : keys) {
    const TCipherKey key = KeyOf(bytes);
    TTillonCipher cipher;
    cipher.SetKey(key);
    if (n < 4) {
      EXPECT_EQ(cipher.Rounds, n);
    }
    ExpectRoundTrip(cipher, key, data, QStringLiteral("k%1").arg(n++));
  }
}

// The stand-in service decodes an upload with the key it holds for the
// product, as registered (hex text, either case); it refuses what it cannot
// decode and then writes nothing.
TEST_F(IndependentDecoder, ServiceDecodesWithTheRegisteredKey) {
  const TCipherKey key = TTillonCipher::NewRandomKey();
  std::string hex = TTillonCipher::KeyToHex(key);
  std::string lower = hex;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::string state =
      "{\"next_product\": 5003, \"products\": {"
      "\"5001\": {\"vendor_id\": \"1001\", \"product_key\": \"" + hex + "\"},"
      "\"5002\": {\"vendor_id\": \"1001\", \"product_key\": \"" + lower + "\"},"
      "\"5003\": {\"vendor_id\": \"1001\", \"product_key\": \"\"},"
      "\"5004\": {\"vendor_id\": \"1001\", \"product_key\": \"" + hex.substr(0, 30) + "\"}}}";
  Write(QStringLiteral("state.json"), Bytes(state.begin(), state.end()));

  const Bytes data = RandomBytes(30000, 21);
  Write(QStringLiteral("page.txt"), data);
  TTillonCipher cipher;
  cipher.SetKey(key);
  cipher.EncodeFile(Path(QStringLiteral("page.txt")).toStdString(), Path(QStringLiteral("page.etxt")).toStdString());

  auto decode = [&](const QString& product, const QString& out) {
    return Python({kStandIns + QStringLiteral("/tillon_service.py"), QStringLiteral("--decode-product"),
                   Path(QStringLiteral("state.json")), product, Path(QStringLiteral("page.etxt")), Path(out)});
  };
  for (const char* product : {"5001", "5002"}) {
    SCOPED_TRACE(product);
    const QString out = QStringLiteral("out%1").arg(QLatin1String(product));
    const Outcome run = decode(QLatin1String(product), out);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(FirstDifference(data, Read(out)), "");
  }
  for (const char* product : {"5003", "5004", "9999"}) {
    SCOPED_TRACE(product);
    const QString out = QStringLiteral("bad%1").arg(QLatin1String(product));
    const Outcome run = decode(QLatin1String(product), out);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_FALSE(QFile::exists(Path(out)));
    EXPECT_FALSE(QFile::exists(Path(out + QStringLiteral(".part"))));
  }
}
