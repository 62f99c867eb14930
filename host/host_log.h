#pragma once
// Trace of the host link: calls that failed, whatever the caller then made of
// them. Turn on with QT_LOGGING_RULES="tendrel.host.debug=true".
#include <QLoggingCategory>

namespace tendrel {
Q_DECLARE_LOGGING_CATEGORY(lcHost)
}
