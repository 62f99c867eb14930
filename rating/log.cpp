#include "rating/log.h"

namespace tendrel {
Q_LOGGING_CATEGORY(lcRating, "tendrel.rating")
}  // namespace tendrel
