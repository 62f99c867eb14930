// The JavaScript content cipher against the program's: files the program
// encoded decode to their sources under node and in Chromium, and both
// refuse the same keys with the same messages.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <stdexcept>

#include "classes_support.h"

using namespace classestest;
using namespace tendrel;

namespace {

// Decodes every file of the manifest into <encoded>.decoded, whole and again
// in uneven pieces (which must agree), and answers what the cipher says to
// the refused keys.
const char kNodeDecoder[] = R"JS(
const fs = require('fs'), path = require('path');
const site = process.argv[2];
const TillonCipher = require(path.join(site, 'classes', 'tillon-cipher.js'));
const m = JSON.parse(fs.readFileSync(path.join(site, 'manifest.json'), 'utf8'));
const out = {pieces: [], refusals: [], keyRefusals: []};
function refusal(f) { try { f(); return null; } catch (e) { return e.message; } }
for (const c of m.files) {
  const data = fs.readFileSync(path.join(site, c.encoded));
  const key = TillonCipher.hexToKey(c.key);
  const whole = TillonCipher.decode(key, data);
  fs.writeFileSync(path.join(site, c.encoded + '.decoded'), whole);
  const cipher = new TillonCipher.Cipher(key);
  let same = true;
  for (let at = 0, n = 1; at < data.length; at += n, n = n * 5 + 3) {
    const part = cipher.process(data.subarray(at, at + n));
    same = same && Buffer.compare(Buffer.from(part), Buffer.from(whole.subarray(at, at + n))) === 0;
  }
  out.pieces.push(same);
}
for (const r of m.refusals) out.refusals.push(refusal(() => TillonCipher.hexToKey(r.text)));
for (const r of m.keyRefusals)
  out.keyRefusals.push(refusal(() => TillonCipher.decode(new Uint8Array(r.length), new Uint8Array(1))));
console.log(JSON.stringify(out));
)JS";

std::string HexRefusal(const std::string& text) {
  try {
    TTillonCipher::HexToKey(text);
  } catch (const EInvalidHexCodedKey& e) {
    return e.what();
  }
  return {};
}

std::string KeyRefusal(int length) {
  TCipherKey key;
  key.Length = length;
  TTillonCipher cipher;
  try {
    cipher.SetKey(key);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return {};
}

class JsCipher : public ::testing::Test {
 protected:
  // Sources of the edge sizes around the program's 8192-byte pieces and a
  // 16 MiB one, each encoded under a 16-byte and a 256-byte key.
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    ASSERT_TRUE(dir_->isValid());
    ASSERT_TRUE(CopyShippedScripts(Site() + "/classes"));
    QJsonArray files;
    const qsizetype sizes[] = {0, 1, 8191, 8192, 8193, 16 * 1024 * 1024};
    for (const int keyLength : {16, 256}) {
      const TCipherKey key = KeyOf(keyLength, 77u + static_cast<quint32>(keyLength));
      for (const qsizetype size : sizes) {
        const QString name = QStringLiteral("k%1-%2.bin").arg(keyLength).arg(size);
        ASSERT_TRUE(WriteBytes(Site() + "/src/" + name, RandomBytes(size, static_cast<quint32>(size) + 1)));
        Encode(Site() + "/src/" + name, Site() + "/enc/" + name, key);
        files.append(QJsonObject{{"source", "src/" + name},
                                 {"encoded", "enc/" + name},
                                 {"key", QString::fromStdString(TTillonCipher::KeyToHex(key))}});
      }
    }
    QJsonArray refusals;
    const std::string hex32 = "00112233445566778899AABBCCDDEEFF";
    for (const std::string& text :
         {std::string(), std::string("0"), hex32.substr(0, 30), hex32.substr(0, 31), std::string(514, 'a'),
          hex32.substr(0, 31) + "g", hex32.substr(0, 31) + "\x01", "\xC3\xA9" + hex32.substr(0, 30)}) {
      const std::string message = HexRefusal(text);
      ASSERT_FALSE(message.empty()) << text;
      refusals.append(QJsonObject{{"text", QString::fromStdString(text)}, {"message", QString::fromStdString(message)}});
    }
    // The program cannot encode under a 1-byte key (nor 15 or 257 bytes):
    // the JavaScript must refuse such a key just as the program does.
    QJsonArray keyRefusals;
    for (const int length : {1, 15, 257}) {
      const std::string message = KeyRefusal(length);
      ASSERT_FALSE(message.empty()) << length;
      keyRefusals.append(QJsonObject{{"length", length}, {"message", QString::fromStdString(message)}});
    }
    manifest_ = new QJsonObject{{"files", files}, {"refusals", refusals}, {"keyRefusals", keyRefusals}};
    ASSERT_TRUE(WriteBytes(Site() + "/manifest.json", QJsonDocument(*manifest_).toJson()));
  }
  static void TearDownTestSuite() {
    delete manifest_;
    manifest_ = nullptr;
    delete dir_;
    dir_ = nullptr;
  }
  static QString Site() { return dir_->path(); }

  static QTemporaryDir* dir_;
  static QJsonObject* manifest_;
};

QTemporaryDir* JsCipher::dir_ = nullptr;
QJsonObject* JsCipher::manifest_ = nullptr;

}  // namespace

TEST_F(JsCipher, NodeDecodesWhatTheProgramEncodedAndRefusesAlike) {
  const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
  if (node.isEmpty()) GTEST_SKIP() << "node is not installed";
  ASSERT_TRUE(WriteBytes(Site() + "/decode.js", kNodeDecoder));
  const ProcessRun run = RunProgram(node, {Site() + "/decode.js", Site()});
  ASSERT_EQ(run.code, 0) << run.output.toStdString();
  const QJsonObject out = QJsonDocument::fromJson(run.output).object();

  const QJsonArray files = (*manifest_)["files"].toArray();
  ASSERT_EQ(out["pieces"].toArray().size(), files.size());
  for (qsizetype k = 0; k < files.size(); ++k) {
    const QJsonObject c = files[k].toObject();
    const QByteArray source = ReadBytes(Site() + "/" + c["source"].toString());
    const QByteArray decoded = ReadBytes(Site() + "/" + c["encoded"].toString() + ".decoded");
    const QByteArray encoded = ReadBytes(Site() + "/" + c["encoded"].toString());
    const std::string name = c["source"].toString().toStdString();
    EXPECT_EQ(decoded.size(), source.size()) << name;
    EXPECT_TRUE(decoded == source) << name;
    // The fixture is really encoded (the empty file aside).
    if (source.size() > 1) {
      EXPECT_FALSE(encoded == source) << name;
    }
    EXPECT_TRUE(out["pieces"].toArray()[k].toBool()) << name << ": decoding piece by piece differs";
  }

  const QJsonArray refusals = (*manifest_)["refusals"].toArray();
  ASSERT_EQ(out["refusals"].toArray().size(), refusals.size());
  for (qsizetype k = 0; k < refusals.size(); ++k)
    EXPECT_EQ(out["refusals"].toArray()[k].toString(), refusals[k].toObject()["message"].toString())
        << refusals[k].toObject()["text"].toString().toStdString();
  const QJsonArray keyRefusals = (*manifest_)["keyRefusals"].toArray();
  ASSERT_EQ(out["keyRefusals"].toArray().size(), keyRefusals.size());
  for (qsizetype k = 0; k < keyRefusals.size(); ++k)
    EXPECT_EQ(out["keyRefusals"].toArray()[k].toString(), keyRefusals[k].toObject()["message"].toString())
        << keyRefusals[k].toObject()["length"].toInt() << "-byte key";
}

TEST_F(JsCipher, ChromiumDecodesWhatTheProgramEncodedAndRefusesAlike) {
  const std::string missing = BrowserMissing();
  if (!missing.empty()) GTEST_SKIP() << missing;
  const ProcessRun run = RunProgram(Python(), {ScenarioScript(), QStringLiteral("decode"), Site()});
  if (run.code == 77) GTEST_SKIP() << run.output.toStdString();
  EXPECT_EQ(run.code, 0) << run.output.toStdString();
}
