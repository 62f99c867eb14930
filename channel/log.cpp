#include "channel/log.h"

namespace tendrel::channel {
Q_LOGGING_CATEGORY(lcChannel, "tendrel.channel")
}  // namespace tendrel::channel
