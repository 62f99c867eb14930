#include "host/host_log.h"

namespace tendrel {
Q_LOGGING_CATEGORY(lcHost, "tendrel.host", QtWarningMsg)
}
