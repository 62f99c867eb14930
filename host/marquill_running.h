#pragma once
// The host editor runs when one of the top-level windows is its main window.
#include <vector>

#include "platform/windows.h"

namespace tendrel {

// True when a window's caption, with surrounding blanks removed, begins with
// "Marquill4" or "Marquill Professional" and its class name contains "TfrmMain".
bool MarquillRunning(const std::vector<WindowInfo>& windows);
// The same over the desktop's top-level windows: those the host announces on
// the bus and the X11 ones.
bool MarquillRunning();

// The host's own list of its windows (Windows() of the automation object).
WindowAnnouncer HostWindowAnnouncer();

}  // namespace tendrel
