#include "seller/core/log.h"

namespace tendrel {
Q_LOGGING_CATEGORY(lcSeller, "tendrel.seller")
}  // namespace tendrel
