#pragma once
// How start-up finds the host editor: is its main window there, and the
// automation object. The desktop probe asks the real desktop and session bus;
// tests hand in their own answers.
#include <memory>

#include "host/host_editor.h"

namespace tendrel {

class HostProbe {
 public:
  virtual ~HostProbe() = default;
  // True when the host editor's main window is among the top-level windows.
  virtual bool HostWindowPresent() = 0;
  // The automation object; throws (EHostError or another std::exception) when
  // it cannot be had.
  virtual std::unique_ptr<HostEditor> CreateHost() = 0;
};

}  // namespace tendrel
