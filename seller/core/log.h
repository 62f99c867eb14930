#pragma once
// The seller tool's logging category. Faults the program deliberately goes
// on after (a host that cannot be reached, a selection that cannot be read)
// leave one line here with the fault's own text; never a password or a key.
// Enable with QT_LOGGING_RULES="tendrel.seller.debug=true".
#include <QLoggingCategory>

namespace tendrel {
Q_DECLARE_LOGGING_CATEGORY(lcSeller)
}  // namespace tendrel
