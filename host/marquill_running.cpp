#include "host/marquill_running.h"

#include <string_view>

#include "host/host_protocol.h"

namespace tendrel {

namespace {

// Blanks as the caption trim knows them: every control character and space.
std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

bool IsHostWindow(const WindowInfo& w) {
  std::string_view caption = Trim(w.caption);
  bool named = caption.starts_with("Marquill4") || caption.starts_with("Marquill Professional");
  return named && w.className.find("TfrmMain") != std::string::npos;
}

}  // namespace

bool MarquillRunning(const std::vector<WindowInfo>& windows) {
  for (const WindowInfo& w : windows)
    if (IsHostWindow(w)) return true;
  return false;
}

WindowAnnouncer HostWindowAnnouncer() {
  return {kHostBusName, kHostObjectPath, kHostInterface, kHostWindowsMethod};
}

bool MarquillRunning() { return MarquillRunning(TopLevelWindows(HostWindowAnnouncer())); }

}  // namespace tendrel
