#include "platform/platform_log.h"

namespace tendrel {
Q_LOGGING_CATEGORY(lcRegistry, "tendrel.registry", QtWarningMsg)
}
