#pragma once
// The flags that start-up, the main window and the wizards share. Each change
// is announced, so a control that depends on a flag can follow it; setting a
// flag to the value it already has announces nothing.
#include <QObject>

namespace tendrel {

class BravantState : public QObject {
  Q_OBJECT

 public:
  explicit BravantState(QObject* parent = nullptr) : QObject(parent) {}

  // The host's main window was seen at start-up.
  bool HostWindowFound() const { return hostWindowFound_; }
  void SetHostWindowFound(bool found);

  // False while a newly chosen content file has not yet been put into the
  // page; the close question asks only then.
  bool SaleboxPlaced() const { return saleboxPlaced_; }
  void SetSaleboxPlaced(bool placed);

  // Start-up found a Salebox tag selected in the host and opened it for
  // editing.
  bool EditMode() const { return editMode_; }
  void SetEditMode(bool edit);

 signals:
  void hostWindowFoundChanged(bool found);
  void saleboxPlacedChanged(bool placed);
  void editModeChanged(bool edit);

 private:
  bool hostWindowFound_ = false;
  bool saleboxPlaced_ = true;
  bool editMode_ = false;
};

}  // namespace tendrel
