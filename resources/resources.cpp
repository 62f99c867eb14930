#include "resources/resources.h"

#include <QtGlobal>

static void InitBitmapResources() { Q_INIT_RESOURCE(bitmaps); }
static void InitClassResources() { Q_INIT_RESOURCE(classes); }
static void InitTextResources() { Q_INIT_RESOURCE(text); }

namespace tendrel {
void InitResources() {
  InitBitmapResources();
  InitClassResources();
  InitTextResources();
}
}  // namespace tendrel
