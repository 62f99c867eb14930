#pragma once
// TTendrelCombo: an editable combo box whose item list is a most-recently-used
// list kept in one registry value (comma-text form, see comma_text.h).
#include <QComboBox>
#include <QString>
#include <string>
#include <vector>

#include "common/controls/registry_binding.h"

namespace tendrel {

class TTendrelCombo : public QComboBox {
  Q_OBJECT
  Q_PROPERTY(int MaxItems READ MaxItems WRITE SetMaxItems)
  Q_PROPERTY(bool MoveSelectedToTop READ MoveSelectedToTop WRITE SetMoveSelectedToTop)
  Q_PROPERTY(QString Version READ VersionQ WRITE SetVersionQ)
  Q_PROPERTY(QString RegPath READ RegPathQ WRITE SetRegPathQ)
  Q_PROPERTY(QString RegValue READ RegValueQ WRITE SetRegValueQ)
  Q_PROPERTY(bool RegStore READ RegStore WRITE SetRegStore)
  Q_PROPERTY(TTendrelComboOptions Options READ Options WRITE SetOptions)

 public:
  enum TTendrelComboOption { tcOnExit = 0x1 };
  Q_DECLARE_FLAGS(TTendrelComboOptions, TTendrelComboOption)
  Q_FLAG(TTendrelComboOptions)

  explicit TTendrelCombo(QWidget* parent = nullptr);

  // Most items kept when the list is loaded; 0 means no limit. A negative
  // number is stored as its absolute value.
  int MaxItems() const { return maxItems_; }
  void SetMaxItems(int value);
  bool MoveSelectedToTop() const { return moveSelectedToTop_; }
  void SetMoveSelectedToTop(bool on) { moveSelectedToTop_ = on; }
  // "1.01"; writing is ignored.
  std::string Version() const { return "1.01"; }
  void SetVersion(const std::string&) {}
  std::string RegPath() const { return registry_.Path(); }
  void SetRegPath(const std::string& path) { registry_.SetPath(path); }
  std::string RegValue() const { return registry_.Value(); }
  void SetRegValue(const std::string& value) { registry_.SetValue(value); }
  bool RegStore() const { return registry_.Store(); }
  void SetRegStore(bool on) { registry_.SetStore(on); }
  TTendrelComboOptions Options() const { return options_; }
  void SetOptions(TTendrelComboOptions options) { options_ = options; }

  // The items' texts, in order.
  std::vector<std::string> Items() const;

  // The form calls this once its properties are set: with RegStore on, the
  // items are replaced by the stored list, cut to MaxItems, and the first
  // one (if any) is selected.
  void Loaded();
  // Writes the item list to the registry value now. False when it was not
  // written (nothing is reported to the user).
  Q_INVOKABLE bool SaveToRegistry() const;

 signals:
  // The user picked the item now at index (after any move to the top). Forms
  // connect here rather than to activated(), whose index may be stale.
  void Picked(int index);
  // The focus left the combo; sent before the list is saved for tcOnExit.
  void Exited();

 protected:
  void focusOutEvent(QFocusEvent* event) override;

 private:
  QString VersionQ() const { return QStringLiteral("1.01"); }
  void SetVersionQ(const QString&) {}
  QString RegPathQ() const { return QString::fromStdString(registry_.Path()); }
  void SetRegPathQ(const QString& v) { registry_.SetPath(v.toStdString()); }
  QString RegValueQ() const { return QString::fromStdString(registry_.Value()); }
  void SetRegValueQ(const QString& v) { registry_.SetValue(v.toStdString()); }

  void OnActivated(int index);

  int maxItems_ = 0;
  bool moveSelectedToTop_ = false;
  RegistryBinding registry_;
  TTendrelComboOptions options_;
};

}  // namespace tendrel

Q_DECLARE_OPERATORS_FOR_FLAGS(tendrel::TTendrelCombo::TTendrelComboOptions)
