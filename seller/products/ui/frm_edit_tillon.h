#pragma once
// The product editor's dialog: the vendor's registered products fetched from
// the service into a table, and for the chosen one its details to change,
// delete, encode anew or copy as an applet tag.
#include <QDialog>
#include <QSize>
#include <string>

#include "seller/products/product_editor.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QGroupBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace tendrel {

class BravantContext;
class StepRunner;
class TTendrelEdit;
struct ServiceOutcome;

class TfrmEditTillon : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmEditTillon(BravantContext& ctx, QWidget* parent = nullptr);
  ~TfrmEditTillon() override;

  // The buttons' actions.
  void GetProducts();
  void ChooseRow(int row);
  void SaveChanges();
  void CancelChanges();
  void DeleteProduct();
  void NewContents();
  void PasteApplet();

  // Shows the outcome of a product-list exchange (the last step of Get
  // Products; public so a reply can be shown without the service).
  void ShowList(const ServiceOutcome& outcome);
  // Whether "Get Products From Tillon" is still waiting for its reply.
  bool Fetching() const;
  const ProductEditor& Editor() const { return editor_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  void Build();
  void FillTable();
  void SetRowCells(int row);
  void ApplyButtons();
  void SetStatus(const std::string& text);
  ProductDetails Fields() const;
  void FieldEdited();

  BravantContext& ctx_;
  ProductEditor editor_;
  StepRunner* runner_ = nullptr;
  QSize remembered_;

  QLabel* lblStatus_ = nullptr;
  QLabel* lblExplain_ = nullptr;
  QPushButton* btnGetProducts_ = nullptr;
  QLabel* lblChoose_ = nullptr;
  QTreeWidget* lvProducts_ = nullptr;
  QGroupBox* gbDetails_ = nullptr;
  QPlainTextEdit* memDescription_ = nullptr;
  TTendrelEdit* edtPrice_ = nullptr;
  QLineEdit* edtURL_ = nullptr;
  QLineEdit* edtMIME_ = nullptr;
  QPushButton* btnSave_ = nullptr;
  QPushButton* btnCancel_ = nullptr;
  QPushButton* btnDelete_ = nullptr;
  QPushButton* btnNewContents_ = nullptr;
  QPushButton* btnPaste_ = nullptr;
};

// Shows the editor modally and frees it when it closes.
void EditRegisteredProducts(BravantContext& ctx, QWidget* parent);

}  // namespace tendrel
