#include "platform/qt/close_on_term.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QWidget>

namespace tendrel {

namespace {

// The signal handler may only write a byte; the notifier reads it on the UI
// thread, where closing the form is allowed.
int g_termPipe[2] = {-1, -1};

void OnTerm(int) {
  const char b = 1;
  [[maybe_unused]] ssize_t n = write(g_termPipe[1], &b, 1);
}

}  // namespace

void CloseOnTerm(QWidget* form) {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_termPipe) != 0) return;
  auto* notifier = new QSocketNotifier(g_termPipe[0], QSocketNotifier::Read, form);
  QObject::connect(notifier, &QSocketNotifier::activated, form, [form] {
    char b;
    [[maybe_unused]] ssize_t n = read(g_termPipe[0], &b, 1);
    form->close();
  });
  struct sigaction sa {};
  sa.sa_handler = OnTerm;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
}

}  // namespace tendrel
