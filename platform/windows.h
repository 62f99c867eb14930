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

// A method on the session bus that answers a(ss): caption and class name of
// each top-level window of the program that serves it.
struct WindowAnnouncer {
  std::string service;
  std::string path;
  std::string interface;
  std::string method;
};

// Both sources below, the bus first; a window seen twice is listed once.
std::vector<WindowInfo> TopLevelWindows(const WindowAnnouncer& announcer);

// The windows `announcer` lists. Empty when there is no bus or nothing serves
// it, or it does not answer within timeoutMs.
std::vector<WindowInfo> BusWindows(const WindowAnnouncer& announcer, int timeoutMs = 1500);

// The top-level client windows of the X display `display` ("" = $DISPLAY):
// _NET_WM_NAME or else WM_NAME as caption, WM_CLASS's class as class name.
// Empty when no display is reachable.
std::vector<WindowInfo> X11Windows(const std::string& display = "");

}  // namespace tendrel
