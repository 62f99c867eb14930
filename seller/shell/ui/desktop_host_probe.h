#pragma once
// The host probe of the running program: the desktop's top-level windows and
// the editor's automation object on the session bus.
#include "seller/shell/host_probe.h"

namespace tendrel {

class DesktopHostProbe : public HostProbe {
 public:
  bool HostWindowPresent() override;
  std::unique_ptr<HostEditor> CreateHost() override;
};

}  // namespace tendrel
