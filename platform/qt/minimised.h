#pragma once
// A wizard steps out of the way while the host works for the user: the host
// may show its save dialog, which the wizard's window would otherwise cover.
#include <functional>

class QWidget;

namespace tendrel {

// Minimises `window` (may be null) while `work` runs, then gives the window
// back its former state, also when `work` throws (the exception passes on).
void RunMinimised(QWidget* window, const std::function<void()>& work);

}  // namespace tendrel
