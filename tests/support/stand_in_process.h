#pragma once
// A stand-in server (a Python script of standins/) started on a free loopback
// port: the script prints the port it took on its first line of output. The
// process ends with the object. Free of the test framework, so benchmarks
// use it too.
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

class StandInProcess {
 public:
  // Runs `script` with `args` by the system's Python (where Debian's own
  // packages, pyftpdlib among them, are found) and waits at most
  // `startMs` for its port.
  StandInProcess(const QString& script, const QStringList& args, int startMs = 15000) {
    const QString python = QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                                  : QStringLiteral("python3");
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc_.start(python, QStringList{script} + args);
    if (!proc_.waitForStarted(5000)) return;
    QByteArray out;
    QDeadlineTimer deadline(startMs);
    while (!out.contains('\n') && !deadline.hasExpired() && proc_.state() == QProcess::Running) {
      proc_.waitForReadyRead(100);
      out += proc_.readAllStandardOutput();
    }
    port_ = out.trimmed().toInt();
  }
  ~StandInProcess() {
    proc_.terminate();
    if (!proc_.waitForFinished(3000)) {
      proc_.kill();
      proc_.waitForFinished(3000);
    }
  }
  StandInProcess(const StandInProcess&) = delete;
  StandInProcess& operator=(const StandInProcess&) = delete;

  // 0 when the server did not start.
  int port() const { return port_; }

 private:
  QProcess proc_;
  int port_ = 0;
};
