#pragma once
// A private session bus for the whole test program, and the real stand-in
// editor started on it. Every process started here is killed on teardown.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>

class PrivateBus : public ::testing::Environment {
 public:
  void SetUp() override {
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--print-address=1"), QStringLiteral("--nofork")});
    ASSERT_TRUE(daemon_.waitForStarted(5000)) << "dbus-daemon could not be started";
    QByteArray address;
    QDeadlineTimer deadline(5000);
    while (!address.contains('\n') && !deadline.hasExpired() && daemon_.waitForReadyRead(200))
      address += daemon_.readAllStandardOutput();
    address = address.trimmed();
    ASSERT_FALSE(address.isEmpty()) << "dbus-daemon printed no address";
    setenv("DBUS_SESSION_BUS_ADDRESS", address.constData(), 1);
  }
  void TearDown() override {
    daemon_.kill();
    daemon_.waitForFinished(3000);
  }

 private:
  QProcess daemon_;
};

// Spins the event loop until `done` or the time is up.
inline bool WaitFor(const std::function<bool()>& done, int ms) {
  QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(10);
  }
  return true;
}

// True once the process has a handler for SIGTERM (it is then past its start).
inline bool CatchesSigterm(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return false;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("SigCgt:")) return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
  return false;
}

inline bool HostOnBus() {
  return QDBusConnection::sessionBus().interface()->isServiceRegistered(QStringLiteral("Marquill4.Plugin")).value();
}

class HostProcess {
 public:
  // Starts marquill-host with `args`; extra variables as NAME=value.
  explicit HostProcess(const QStringList& args = {}, const QStringList& env = {}) {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const QString& kv : env) e.insert(kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
    proc_.setProcessEnvironment(e);
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc_.start(QStringLiteral(MARQUILL_HOST_PATH), args);
  }
  ~HostProcess() { Kill(); }
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;

  // True once the editor serves its name on the bus.
  bool WaitUntilServing(int ms = 10000) {
    return WaitFor([] { return HostOnBus(); }, ms);
  }
  void Kill() {
    if (proc_.state() != QProcess::NotRunning) {
      proc_.kill();
      proc_.waitForFinished(5000);
    }
    // The next editor must find the name free.
    WaitFor([] { return !HostOnBus(); }, 3000);
  }
  qint64 Pid() const { return proc_.processId(); }
  QProcess& Process() { return proc_; }

 private:
  QProcess proc_;
};

// An X server of its own for a test: Xvfb picks a free display and writes its
// number on standard output. Without -noreset it would reset when the first
// client disconnects, refusing the next one meanwhile. display() is empty
// when Xvfb is not installed or gave no number.
class PrivateXServer {
 public:
  PrivateXServer() {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    installed_ = !xvfb.isEmpty();
    if (!installed_) return;
    x_.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("800x600x24")});
    if (!x_.waitForStarted(5000)) return;
    QByteArray number;
    WaitFor([&] {
      number += x_.readAllStandardOutput();
      return number.contains('\n') || x_.state() == QProcess::NotRunning;
    }, 10000);
    if (!number.trimmed().isEmpty()) display_ = ":" + number.trimmed().toStdString();
  }
  ~PrivateXServer() {
    x_.terminate();  // lets Xvfb remove its lock and socket
    if (!x_.waitForFinished(3000)) x_.kill();
  }
  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;

  bool installed() const { return installed_; }
  const std::string& display() const { return display_; }

 private:
  QProcess x_;
  bool installed_ = false;
  std::string display_;
};
