#pragma once
// Traces of the platform layer. The registry stand-in says why a key reads
// as empty or a change was refused (QT_LOGGING_RULES="tendrel.registry.debug=true").
#include <QLoggingCategory>

namespace tendrel {
Q_DECLARE_LOGGING_CATEGORY(lcRegistry)
}
