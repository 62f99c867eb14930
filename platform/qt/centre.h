#pragma once
// Placing a window on its screen.
class QWidget;

namespace tendrel {

// Moves the window so that its frame's centre is the centre of the available
// area of its screen (the primary screen when it has none yet).
void CentreOnScreen(QWidget* window);

}  // namespace tendrel
