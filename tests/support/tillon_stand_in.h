#pragma once
// The stand-in Tillon service (standins/tillon_service.py), started over
// HTTPS on a free loopback port for one test and killed at its end. Its test
// CA is made in a temporary folder; clients trust it through TENDREL_CA_FILE.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "support/stand_in_process.h"

class TillonStandIn {
 public:
  // options: the service's misbehaviour switches ("--slow", "30", ...).
  // tlsDir: where the test CA and the certificate are (made when missing);
  // empty for a folder of its own.
  explicit TillonStandIn(const QStringList& options = {}, const QString& tlsDir = {})
      : tlsDir_(tlsDir.isEmpty() ? work_.filePath(QStringLiteral("tls")) : tlsDir) {
    QStringList args = {QStringLiteral(TEST_SOURCE_DIR "/../standins/tillon_service.py"),
                        QStringLiteral("--port"), QStringLiteral("0"),
                        QStringLiteral("--lifetime"), QStringLiteral("90"),
                        QStringLiteral("--tls-dir"), tlsDir_,
                        QStringLiteral("--state"), work_.filePath(QStringLiteral("state.json")),
                        QStringLiteral("--record-dir"), work_.filePath(QStringLiteral("records"))};
    args += options;
    // Making the certificates takes a moment.
    proc_ = std::make_unique<StandInProcess>(args.takeFirst(), args, 30000);
  }
  TillonStandIn(const TillonStandIn&) = delete;
  TillonStandIn& operator=(const TillonStandIn&) = delete;

  // 0 when the service did not start.
  int port() const { return proc_->port(); }
  // The CA that vouches for this service's certificate.
  std::string CaFile() const { return QDir(tlsDir_).filePath(QStringLiteral("ca.pem")).toStdString(); }
  QString TlsDir() const { return tlsDir_; }

  struct Line {
    int connection;       // the service's number of the connection it came on
    std::string request;  // the request line, byte for byte, without its line end
  };
  // Every request line received, in order.
  std::vector<Line> Requests() const {
    std::vector<Line> lines;
    QFile f(work_.filePath(QStringLiteral("records/requests.log")));
    if (!f.open(QIODevice::ReadOnly)) return lines;
    for (const QByteArray& l : f.readAll().split('\n')) {
      const int sp = l.indexOf(' ');
      if (sp <= 0) continue;
      lines.push_back({l.left(sp).toInt(), l.mid(sp + 1).toStdString()});
    }
    return lines;
  }

 private:
  QTemporaryDir work_;
  QString tlsDir_;
  std::unique_ptr<StandInProcess> proc_;
};

// Points TENDREL_CA_FILE at a CA for the life of the object.
class TrustedCa {
 public:
  explicit TrustedCa(const std::string& file) {
    if (const char* v = std::getenv("TENDREL_CA_FILE")) old_ = v, had_ = true;
    setenv("TENDREL_CA_FILE", file.c_str(), 1);
  }
  ~TrustedCa() {
    if (had_) setenv("TENDREL_CA_FILE", old_.c_str(), 1);
    else unsetenv("TENDREL_CA_FILE");
  }

 private:
  std::string old_;
  bool had_ = false;
};
