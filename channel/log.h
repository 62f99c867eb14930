#pragma once
// Pennant's logging category: every failure Finish passes over without
// telling the author (a host call, a conversion) leaves one line here.
#include <QLoggingCategory>

namespace tendrel::channel {
Q_DECLARE_LOGGING_CATEGORY(lcChannel)
}  // namespace tendrel::channel
