#include "resources/resources.h"

#include <QtGlobal>

static void InitBitmapResources() { Q_INIT_RESOURCE(bitmaps); }

namespace tendrel {
void InitResources() { InitBitmapResources(); }
}  // namespace tendrel
