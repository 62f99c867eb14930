#pragma once
// The stand-in FTP server (standins/ftp_server.py over pyftpdlib), started on
// a free loopback port for one test and killed at its end. One user, "vendor"
// with the password "secret", whose home folder (a temporary folder, the FTP
// root the login lands in) is also the web root.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <set>
#include <memory>
#include <string>
#include <vector>

#include "support/stand_in_process.h"

class FtpStandIn {
 public:
  static constexpr char kUser[] = "vendor";
  static constexpr char kPassword[] = "secret";

  // options: the server's misbehaviour switches ("--cut-upload", "65536", ...).
  explicit FtpStandIn(const QStringList& options = {}) {
    QDir().mkpath(Home());
    QStringList args = {QStringLiteral(TEST_SOURCE_DIR "/../standins/ftp_server.py"),
                        QStringLiteral("--port"), QStringLiteral("0"),
                        QStringLiteral("--lifetime"), QStringLiteral("120"),
                        QStringLiteral("--home"), Home(),
                        QStringLiteral("--user"), QString::fromLatin1(kUser),
                        QStringLiteral("--password"), QString::fromLatin1(kPassword),
                        QStringLiteral("--record"), work_.filePath(QStringLiteral("commands.log"))};
    args += options;
    proc_ = std::make_unique<StandInProcess>(args.takeFirst(), args);
  }
  FtpStandIn(const FtpStandIn&) = delete;
  FtpStandIn& operator=(const FtpStandIn&) = delete;

  // 0 when the server did not start.
  int port() const { return proc_->port(); }
  // The address as a user types it into a server definition.
  std::string Address() const { return "127.0.0.1:" + std::to_string(port()); }
  // The user's home folder, the FTP root.
  QString Home() const { return work_.filePath(QStringLiteral("home")); }
  std::string HomePath(const std::string& relative = {}) const {
    return (Home() + QStringLiteral("/") + QString::fromStdString(relative)).toStdString();
  }
  // The whole content of a file below the home folder ("" when missing).
  std::string FileText(const std::string& relative) const {
    QFile f(QString::fromStdString(HomePath(relative)));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
  }
  bool Exists(const std::string& relative) const { return QFileInfo::exists(QString::fromStdString(HomePath(relative))); }

  struct Command {
    int connection;    // the server's number of the control connection it came on
    std::string line;  // the command as received (a password masked)
  };
  // Every command received, in order.
  std::vector<Command> Commands() const {
    std::vector<Command> lines;
    QFile f(work_.filePath(QStringLiteral("commands.log")));
    if (!f.open(QIODevice::ReadOnly)) return lines;
    for (const QByteArray& l : f.readAll().split('\n')) {
      const int sp = l.indexOf(' ');
      if (sp <= 0) continue;
      lines.push_back({l.left(sp).toInt(), l.mid(sp + 1).toStdString()});
    }
    return lines;
  }
  // How many control connections sent a command.
  size_t Connections() const {
    std::set<int> seen;
    for (const Command& c : Commands()) seen.insert(c.connection);
    return seen.size();
  }
  // The commands received that begin with verb (e.g. "STOR", "USER").
  std::vector<std::string> CommandsOf(const std::string& verb) const {
    std::vector<std::string> lines;
    for (const Command& c : Commands())
      if (c.line.rfind(verb, 0) == 0) lines.push_back(c.line);
    return lines;
  }

 private:
  QTemporaryDir work_;
  std::unique_ptr<StandInProcess> proc_;
};
