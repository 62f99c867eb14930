#pragma once
// A session bus of the benchmark's own, so no other editor answers in place
// of the one timed, and the wait that keeps the event loop turning.
#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace benchbus {

// Turns the event loop until done() or ms have passed.
inline bool WaitFor(const std::function<bool()>& done, int ms) {
  QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    QThread::usleep(500);
  }
  return true;
}

// Starts dbus-daemon in daemon and points DBUS_SESSION_BUS_ADDRESS at it;
// false (with a line on stderr) when it does not come up.
inline bool StartPrivateBus(QProcess& daemon) {
  daemon.start(QStringLiteral("dbus-daemon"),
               {QStringLiteral("--session"), QStringLiteral("--print-address=1"), QStringLiteral("--nofork")});
  QByteArray address;
  WaitFor([&] {
    daemon.waitForReadyRead(50);
    address += daemon.readAllStandardOutput();
    return address.contains('\n');
  }, 5000);
  if (address.trimmed().isEmpty()) {
    std::fprintf(stderr, "dbus-daemon could not be started\n");
    return false;
  }
  setenv("DBUS_SESSION_BUS_ADDRESS", address.trimmed().constData(), 1);
  return true;
}

}  // namespace benchbus
