#include "resources/resources.h"

#include <QtGlobal>

static void InitBitmapResources() { Q_INIT_RESOURCE(bitmaps); }
static void InitClassResources() { Q_INIT_RESOURCE(classes); }

namespace tendrel {
void InitResources() {
  InitBitmapResources();
  InitClassResources();
}
}  // namespace tendrel
