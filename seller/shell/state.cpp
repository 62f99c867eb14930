#include "seller/shell/state.h"

namespace tendrel {

void BravantState::SetHostWindowFound(bool found) {
  if (hostWindowFound_ == found) return;
  hostWindowFound_ = found;
  emit hostWindowFoundChanged(found);
}

void BravantState::SetSaleboxPlaced(bool placed) {
  if (saleboxPlaced_ == placed) return;
  saleboxPlaced_ = placed;
  emit saleboxPlacedChanged(placed);
}

void BravantState::SetEditMode(bool edit) {
  if (editMode_ == edit) return;
  editMode_ = edit;
  emit editModeChanged(edit);
}

}  // namespace tendrel
