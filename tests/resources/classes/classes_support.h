#pragma once
// Shared by the tests of the class folder's JavaScript: fixture files
// encoded by the program's own cipher, the shipped scripts taken from the
// program's resources, and the runs of node and of the browser scenarios.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <string>

#include "resources/resources.h"
#include "seller/authoring/cipher.h"

namespace classestest {

inline QString Python() {
  return QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                               : QStringLiteral("python3");
}

inline QString ScenarioScript() { return QStringLiteral(TEST_SOURCE_DIR "/resources/classes/browser_pages.py"); }

// Why the browser tests cannot run here, or empty.
inline std::string BrowserMissing() {
  for (const char* path : {"/usr/bin/chromium", "/usr/bin/chromedriver"})
    if (!QFileInfo(QString::fromLatin1(path)).isExecutable()) return std::string(path) + " is not installed";
  return {};
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray ReadBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QByteArray RandomBytes(qsizetype size, quint32 seed) {
  QByteArray bytes(size, '\0');
  QRandomGenerator rng(seed);
  for (qsizetype k = 0; k < size; ++k) bytes[k] = static_cast<char>(rng.bounded(256));
  return bytes;
}

inline tendrel::TCipherKey KeyOf(int length, quint32 seed) {
  tendrel::TCipherKey key;
  QRandomGenerator rng(seed);
  for (int n = 0; n < length; ++n) key.Bytes[n] = static_cast<uint8_t>(rng.bounded(256));
  key.Length = length;
  return key;
}

// source encoded into target by the program's cipher, as it encodes a product.
inline void Encode(const QString& source, const QString& target, const tendrel::TCipherKey& key) {
  tendrel::TTillonCipher cipher;
  cipher.SetKey(key);
  QDir().mkpath(QFileInfo(target).absolutePath());
  cipher.EncodeFile(source.toStdString(), target.toStdString());
}

// The class folder's scripts as the program ships them (its resources), so
// a file missing from the resource list fails the tests that use it.
inline bool CopyShippedScripts(const QString& classFolder) {
  tendrel::InitResources();
  QDir().mkpath(classFolder);
  for (const char* name : {"tillon-cipher.js", "salebox.js"}) {
    const QByteArray text = ReadBytes(QStringLiteral(":/classes/") + QString::fromLatin1(name));
    if (text.isEmpty() || !WriteBytes(classFolder + QLatin1Char('/') + QString::fromLatin1(name), text)) return false;
  }
  return true;
}

struct ProcessRun {
  int code = -1;  // -1: did not start or did not end in time
  QByteArray output;
};

inline ProcessRun RunProgram(const QString& program, const QStringList& args, int timeoutMs = 180000) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  ProcessRun run;
  if (!p.waitForStarted(10000)) return run;
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished(5000);
    run.output = p.readAll();
    return run;
  }
  run.output = p.readAll();
  run.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  return run;
}

}  // namespace classestest
