#pragma once
// Helpers of the shell tests: a host probe with scripted answers and a way to
// act on the modal window a call is about to open.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <functional>
#include <memory>

#include "host/in_memory_host.h"
#include "seller/shell/host_probe.h"

namespace shelltest {

class FakeProbe : public tendrel::HostProbe {
 public:
  bool window = true;
  // Handed out by CreateHost; when empty, CreateHost fails.
  std::unique_ptr<tendrel::InMemoryHost> host = std::make_unique<tendrel::InMemoryHost>();
  int creations = 0;

  bool HostWindowPresent() override { return window; }
  std::unique_ptr<tendrel::HostEditor> CreateHost() override {
    ++creations;
    if (!host) throw tendrel::EHostError("no editor on the bus");
    return std::move(host);
  }
};

// The control of the window named `name`, found as a user-level test would
// find it; a failure (and null) when there is none.
template <typename T = QWidget>
T* Control(const QObject& window, const char* name) {
  T* control = window.findChild<T*>(QString::fromUtf8(name));
  if (control == nullptr) ADD_FAILURE() << "no control named " << name;
  return control;
}

// Runs `act` on the next modal window once it is up (polling every 10 ms,
// for at most 5 s).
inline void WhenModal(std::function<void(QWidget*)> act, int triesLeft = 500) {
  QTimer::singleShot(10, [act, triesLeft] {
    if (QWidget* w = QApplication::activeModalWidget())
      act(w);
    else if (triesLeft > 0)
      WhenModal(act, triesLeft - 1);
  });
}

}  // namespace shelltest
