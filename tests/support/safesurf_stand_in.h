#pragma once
// The stand-in SafeSurf registration server (standins/safesurf_server.py),
// started on a free loopback port for one test and killed at its end.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "support/stand_in_process.h"

class SafeSurfStandIn {
 public:
  // options: the server's misbehaviour flags ("--error", "--slow", "30", ...).
  explicit SafeSurfStandIn(const QStringList& options = {}) {
    QStringList args = {QStringLiteral(TEST_SOURCE_DIR "/../standins/safesurf_server.py"),
                        QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--lifetime"),
                        QStringLiteral("60"), QStringLiteral("--record-dir"), records_.path()};
    args += options;
    proc_ = std::make_unique<StandInProcess>(args.takeFirst(), args);
  }
  SafeSurfStandIn(const SafeSurfStandIn&) = delete;
  SafeSurfStandIn& operator=(const SafeSurfStandIn&) = delete;

  // 0 when the server did not start.
  int port() const { return proc_->port(); }
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
  std::unique_ptr<StandInProcess> proc_;
};
