#pragma once
// The stand-in SafeSurf registration server (standins/safesurf_server.py),
// started on a free loopback port for one test and killed at its end.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

class SafeSurfStandIn {
 public:
  // options: the server's misbehaviour flags ("--error", "--slow", "30", ...).
  explicit SafeSurfStandIn(const QStringList& options = {}) {
    QStringList args = {QStringLiteral(TEST_SOURCE_DIR "/../standins/safesurf_server.py"),
                        QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--lifetime"),
                        QStringLiteral("60"), QStringLiteral("--record-dir"), records_.path()};
    args += options;
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc_.start(QStringLiteral("python3"), args);
    if (!proc_.waitForStarted(5000)) return;
    QByteArray out;
    QDeadlineTimer deadline(10000);
    while (!out.contains('\n') && !deadline.hasExpired() && proc_.state() == QProcess::Running) {
      proc_.waitForReadyRead(100);
      out += proc_.readAllStandardOutput();
    }
    port_ = out.trimmed().toInt();
  }
  ~SafeSurfStandIn() {
    proc_.kill();
    proc_.waitForFinished(3000);
  }
  SafeSurfStandIn(const SafeSurfStandIn&) = delete;
  SafeSurfStandIn& operator=(const SafeSurfStandIn&) = delete;

  // 0 when the server did not start.
  int port() const { return port_; }
  // How many bodies the server has received.
  int Received() const {
    return static_cast<int>(QDir(records_.path()).entryList({QStringLiteral("body-*.txt")}, QDir::Files).size());
  }
  // The n-th body received (from 1), byte for byte.
  std::string Body(int n) const {
    QFile f(QDir(records_.path()).filePath(QStringLiteral("body-%1.txt").arg(n)));
    if (!f.open(QIODevice::ReadOnly)) return "<no body " + std::to_string(n) + ">";
    return f.readAll().toStdString();
  }

 private:
  QTemporaryDir records_;
  QProcess proc_;
  int port_ = 0;
};
