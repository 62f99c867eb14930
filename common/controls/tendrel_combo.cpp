#include "common/controls/tendrel_combo.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <climits>
#include <cstdlib>
#include <optional>

#include "common/controls/comma_text.h"

namespace tendrel {

TTendrelCombo::TTendrelCombo(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  // The list is the program's history: typed text joins it only where the
  // form says so, never by Return.
  setInsertPolicy(QComboBox::NoInsert);
  connect(this, &QComboBox::activated, this, &TTendrelCombo::OnActivated);
}

void TTendrelCombo::SetMaxItems(int value) {
  maxItems_ = value == INT_MIN ? INT_MAX : std::abs(value);
}

std::vector<std::string> TTendrelCombo::Items() const {
  std::vector<std::string> items;
  items.reserve(static_cast<size_t>(count()));
  for (int i = 0; i < count(); ++i) items.push_back(itemText(i).toStdString());
  return items;
}

void TTendrelCombo::Loaded() {
  const std::optional<std::string> stored = registry_.Load();
  if (!stored) return;
  std::vector<std::string> items = FromCommaText(*stored);
  if (maxItems_ > 0 && items.size() > static_cast<size_t>(maxItems_))
    items.resize(static_cast<size_t>(maxItems_));
  clear();
  for (const auto& item : items) addItem(QString::fromStdString(item));
  if (count() > 0) {
    setCurrentIndex(0);
    setEditText(itemText(0));
  } else {
    setCurrentIndex(-1);
    clearEditText();
  }
}

bool TTendrelCombo::SaveToRegistry() const {
  return registry_.Save(ToCommaText(Items()));
}

void TTendrelCombo::OnActivated(int index) {
  if (moveSelectedToTop_ && index > 0 && index < count()) {
    const QString text = itemText(index);
    removeItem(index);
    insertItem(0, text);
    index = 0;
  }
  if (moveSelectedToTop_ && index == 0) {
    setCurrentIndex(0);
    setEditText(itemText(0));
  }
  emit Picked(index);
}

void TTendrelCombo::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  // Opening the drop-down list or switching windows is not leaving the combo
  // (the list takes the focus more than once while it opens).
  if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason ||
      (view() && view()->isVisible()))
    return;
  emit Exited();
  if (registry_.SavesOn(options_.testFlag(tcOnExit))) SaveToRegistry();
}

}  // namespace tendrel
