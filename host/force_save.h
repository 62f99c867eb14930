#pragma once
// Pennant and Kestrel step out of the way while the host saves: the host may
// show its save dialog, which the wizard's window would otherwise cover.
#include "host/host_editor.h"

class QWidget;

namespace tendrel {

// Minimises `window` (may be null), calls ForceSave and gives the window back
// its former state, also when the call throws (the EHostError passes on).
HostValue ForceSaveMinimised(HostEditor& host, QWidget* window);

}  // namespace tendrel
