#pragma once
// The host editor reached over the session bus: Invoke(s name, av args) -> v
// of Marquill4.Plugin at /Plugin. The object is bound to the editor process
// that owned the bus name when it was created, as the automation object is
// bound to the editor that served it: a call after that editor has gone fails
// rather than reaching another one.
#include <memory>
#include <string>
#include <vector>

#include "host/host_editor.h"

namespace tendrel {

class DBusHostEditor : public HostEditor {
 public:
  static constexpr int kDefaultTimeoutMs = 10000;

  // Throws EHostError when there is no session bus or no editor on it.
  // A call that waits for the user (ForceSave's save dialog: see the
  // protocol's table) has no time-out; every other call fails when no answer
  // comes within timeoutMs.
  static std::unique_ptr<DBusHostEditor> Create(int timeoutMs = kDefaultTimeoutMs);

  HostValue Invoke(const std::string& name, const std::vector<HostValue>& args) override;

  // The editor's unique bus name.
  const std::string& Owner() const { return owner_; }

 private:
  HostValue Call(const std::string& name, const std::vector<HostValue>& args);
  DBusHostEditor(std::string owner, int timeoutMs) : owner_(std::move(owner)), timeoutMs_(timeoutMs) {}
  std::string owner_;
  int timeoutMs_;
};

}  // namespace tendrel
