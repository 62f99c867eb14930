#pragma once
// SIGTERM ends a wizard program the way the host's close message does: the
// form closes (running its close handling) and the event loop returns.
class QWidget;

namespace tendrel {

// From now on SIGTERM closes form, on the UI thread.
void CloseOnTerm(QWidget* form);

}  // namespace tendrel
