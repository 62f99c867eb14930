#pragma once
// The logging category of the Internet exchanges: what they cannot report to
// their caller leaves one line here (never a password).
#include <QLoggingCategory>

namespace tendrel {
Q_DECLARE_LOGGING_CATEGORY(lcInet)
}  // namespace tendrel
