#include "seller/shell/ui/desktop_host_probe.h"

#include "host/dbus_host_editor.h"
#include "host/marquill_running.h"

namespace tendrel {

bool DesktopHostProbe::HostWindowPresent() { return MarquillRunning(); }

std::unique_ptr<HostEditor> DesktopHostProbe::CreateHost() { return DBusHostEditor::Create(); }

}  // namespace tendrel
