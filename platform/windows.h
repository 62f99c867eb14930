#pragma once
// The top-level windows of the desktop, as the programs look for the host
// editor's main window: the windows that host editors announce on the session
// bus, plus the X11 top-level windows when an X display is reachable.
#include <string>
#include <vector>

namespace tendrel {

struct WindowInfo {
  std::string caption;    // UTF-8
  std::string className;  // the window's class (X11: the class part of WM_CLASS)
  bool operator==(const WindowInfo&) const = default;
};

// Both sources below, the bus first; a window seen twice is listed once.
std::vector<WindowInfo> TopLevelWindows();

// The windows the host on the session bus announces (`Windows()` of
// Marquill4.Plugin at /Plugin). Empty when there is no bus or no host, or it
// does not answer within timeoutMs.
std::vector<WindowInfo> BusWindows(int timeoutMs = 1500);

// The top-level client windows of the X display `display` ("" = $DISPLAY):
// _NET_WM_NAME or else WM_NAME as caption, WM_CLASS's class as class name.
// Empty when no display is reachable.
std::vector<WindowInfo> X11Windows(const std::string& display = "");

}  // namespace tendrel
