#pragma once
// Kestrel's logging category: every failure the wizard passes over without
// telling the author leaves one line here, with the failure's text and never
// a secret.
#include <QLoggingCategory>

namespace tendrel {
Q_DECLARE_LOGGING_CATEGORY(lcRating)
}  // namespace tendrel
