#include "seller/products/product_editor.h"

#include <algorithm>

#include "seller/authoring/cipher.h"
#include "seller/core/settings.h"
#include "seller/service/service_query.h"
#include "seller/service/transport.h"

namespace tendrel {

namespace {

constexpr char kVendor[] = "Vendor";

}  // namespace

ProductEditor::ProductEditor(SettingsStore& settings) : settings_(settings) { Enter(EditorState::Idle); }

std::string ProductEditor::ListRequest() const {
  ServiceQuery q(kProductDetailsPath);
  q.Add("vendor_id", settings_.ReadText(kVendor, "ID", ""))
      .Add("vendor_password", EncodePassword(settings_.ReadText(kVendor, "Password", ""), "DEC"));
  return q.Text();
}

ListOutcome ProductEditor::TakeList(const std::string& reply) {
  ProductListReply list = ParseProductList(reply);
  keyError_ = list.keyError;
  if (!list.succeeded) return ListOutcome::Failed;
  if (list.noProducts) return ListOutcome::NoProducts;
  rows_.clear();
  selected_ = -1;
  rows_.reserve(list.entries.size());
  const std::string vendorId = settings_.ReadText(kVendor, "ID", "");
  for (ProductEntry& e : list.entries) {
    ProductRow row{{}, TApplet(&settings_), e.keyOk};
    auto& f = e.fields;
    row.cells[kColId] = f[kFieldId];
    row.cells[kColName] = f[kFieldName];
    row.cells[kColDescr] = f[kFieldDescr];
    row.cells[kColPrice] = f[kFieldPrice];
    row.cells[kColUrl] = f[kFieldUrl];
    row.cells[kColMime] = f[kFieldMime];
    TApplet& r = row.record;
    r.ProductID = std::move(f[kFieldId]);
    r.ProductName = std::move(f[kFieldName]);
    r.Cost = std::move(f[kFieldPrice]);
    r.Description = std::move(f[kFieldDescr]);
    r.MediaType = std::move(f[kFieldMime]);
    r.EncodedFile = std::move(f[kFieldUrl]);
    if (e.keyOk) r.Key = e.key;
    r.Width = "400";
    r.Height = "400";
    r.VendorID = vendorId;
    rows_.push_back(std::move(row));
  }
  // Rows keep the order of their ID text, as the list control sorts them;
  // equal IDs stay in the reply's order.
  std::stable_sort(rows_.begin(), rows_.end(),
                   [](const ProductRow& a, const ProductRow& b) { return a.cells[kColId] < b.cells[kColId]; });
  return ListOutcome::Listed;
}

int ProductEditor::FindRow(const std::string& id) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].cells[kColId] == id) return static_cast<int>(i);
  return -1;
}

std::optional<ProductDetails> ProductEditor::Choose(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return std::nullopt;
  selected_ = row;
  const ProductRow& r = rows_[static_cast<size_t>(row)];
  filling_ = true;
  ProductDetails d{r.cells[kColDescr], r.cells[kColPrice], r.cells[kColUrl], r.cells[kColMime]};
  Enter(EditorState::Shown);
  return d;
}

void ProductEditor::FieldChanged() {
  if (filling_) return;
  Enter(EditorState::Edited);
}

TApplet* ProductEditor::SelectedRecord() {
  if (selected_ < 0 || selected_ >= static_cast<int>(rows_.size())) return nullptr;
  return &rows_[static_cast<size_t>(selected_)].record;
}

const ProductRow* ProductEditor::SelectedRow() const {
  if (selected_ < 0 || selected_ >= static_cast<int>(rows_.size())) return nullptr;
  return &rows_[static_cast<size_t>(selected_)];
}

std::optional<std::string> ProductEditor::SaveRequest(const ProductDetails& details) {
  TApplet* r = SelectedRecord();
  if (!r) return std::nullopt;
  r->Description = details.description;
  r->Cost = details.price;
  r->EncodedFile = details.url;
  r->MediaType = details.mime;
  return r->BuildRegistrationURL(details.url, true);
}

bool ProductEditor::TakeSaveReply(const std::string& reply, const ProductDetails& details) {
  const bool ok = ReplySucceeded(reply);
  if (ok && selected_ >= 0 && selected_ < static_cast<int>(rows_.size())) {
    auto& cells = rows_[static_cast<size_t>(selected_)].cells;
    cells[kColDescr] = details.description;
    cells[kColPrice] = details.price;
    cells[kColUrl] = details.url;
    cells[kColMime] = details.mime;
  }
  Enter(EditorState::Idle);
  return ok;
}

void ProductEditor::Cancel() { Enter(EditorState::Idle); }

std::optional<std::string> ProductEditor::DeleteRequest() const {
  const ProductRow* row = SelectedRow();
  if (!row) return std::nullopt;
  ServiceQuery q(kProductDeletePath);
  q.Add("vendor_id", settings_.ReadText(kVendor, "ID", ""))
      .Add("vendor_password", EncodePassword(settings_.ReadText(kVendor, "Password", ""), "DEC"))
      .Add("product_id", row->cells[kColId]);
  return q.Text();
}

bool ProductEditor::TakeDeleteReply(const std::string& reply) {
  if (!ReplySucceeded(reply)) return false;
  if (selected_ >= 0 && selected_ < static_cast<int>(rows_.size())) rows_.erase(rows_.begin() + selected_);
  selected_ = -1;
  return true;
}

void ProductEditor::Enter(EditorState state) {
  state_ = state;
  ProductButtons& b = buttons_;
  switch (state) {
    case EditorState::Idle:
      b.details = false;
      b.saveCancel = false;
      b.remove = false;
      b.table = true;
      filling_ = false;
      break;
    case EditorState::Shown: {
      b.details = true;
      b.saveCancel = false;
      b.remove = true;
      // A row without a usable key can neither encode nor give a tag.
      const ProductRow* row = SelectedRow();
      b.newContents = row && row->keyOk;
      break;
    }
    case EditorState::Edited:
      b.saveCancel = true;
      b.remove = true;
      b.table = false;
      break;
  }
  b.paste = b.newContents;
}

std::string NotDeletedMessage(const std::string& reply) { return std::string(kNotDeleted) + "\r\n\r\n" + reply; }

std::string NewContentsMessage(const std::string& encoded, const std::string& url) {
  return encoded + " has been created on your local system. \r\nThis can be used to replace " + url +
         ".  Use any standard FTP client to transfer the file to your WWW host.";
}

std::string NewContentsTarget(const std::string& source) {
  const std::string encoded = EncodedFileName(source);
  if (encoded == source) return {};
  return FreeEncodedFileName(encoded);
}

}  // namespace tendrel
