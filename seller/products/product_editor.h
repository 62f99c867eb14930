#pragma once
// The product editor without its dialog: the rows of the vendor's registered
// products kept sorted by ID text, the chosen row, the button states, and the
// requests that fetch, change and delete products.
#include <optional>
#include <string>
#include <vector>

#include "seller/authoring/applet.h"
#include "seller/products/product_list.h"

namespace tendrel {

class BravantContext;
class SettingsStore;

inline constexpr char kProductDetailsPath[] = "/vendor/VendorProductDetails.html";
inline constexpr char kProductDeletePath[] = "/vendor/VendorProductDelete.html";

// The editor's texts.
inline constexpr char kStatusConnecting[] = "Connecting to Tillon...";
inline constexpr char kStatusConnectionFailed[] = "Connection failed !";
inline constexpr char kStatusRetrieving[] = "Retrieving your product information...";
inline constexpr char kRetrievalFailed[] = "Product information retrieval failed !";
inline constexpr char kNoProducts[] = "You currently have no products registered with Tillon.";
inline constexpr char kStatusSending[] = "Sending changes to Tillon...";
inline constexpr char kUpdateSucceeded[] = "Update has succeeded.";
inline constexpr char kUpdateFailed[] = "Update has failed.";
inline constexpr char kDeleteQuestion[] = "Are you sure you to delete this product from the Tillon database ?";
inline constexpr char kDeleted[] =
    "The product was successfully deleted from the database.  Please remove any references to it from your web pages.";
inline constexpr char kNotDeleted[] = "The product could not be deleted.";
inline constexpr char kNewContentsFilter[] =
    "Common Files (txt,gif,jpg,htm,html)|*.txt;*.gif;*.jpg;*.htm;*.html|All Files|*.*";

// The table's columns, in order.
enum ProductColumn { kColId, kColName, kColDescr, kColPrice, kColUrl, kColMime, kColumnCount };

struct ProductRow {
  std::string cells[kColumnCount];
  TApplet record;
  bool keyOk = false;  // a row whose key was malformed cannot encode or give a tag
};

// The four detail fields.
struct ProductDetails {
  std::string description, price, url, mime;
  bool operator==(const ProductDetails&) const = default;
};

// What the buttons and groups show.
struct ProductButtons {
  bool details = false;
  bool saveCancel = false;
  bool remove = false;
  bool newContents = false;
  bool paste = false;  // always follows newContents
  bool table = true;
  bool operator==(const ProductButtons&) const = default;
};

enum class EditorState { Idle, Shown, Edited };

// How a fetched list went.
enum class ListOutcome { Failed, NoProducts, Listed };

class ProductEditor {
 public:
  explicit ProductEditor(SettingsStore& settings);

  // The product list request: vendor ID as stored, the decoded password.
  std::string ListRequest() const;
  // Replaces the rows with the reply's products, unless it failed or held
  // none (the rows then stay as they were). keyError() names the first
  // malformed key of the reply.
  ListOutcome TakeList(const std::string& reply);
  const std::string& keyError() const { return keyError_; }

  const std::vector<ProductRow>& Rows() const { return rows_; }
  // The row whose ID cell is id; -1 when there is none.
  int FindRow(const std::string& id) const;
  int Selected() const { return selected_; }

  // Chooses a row: its details, taken while the filling flag is set, and the
  // shown state. Nothing for a row that does not exist.
  std::optional<ProductDetails> Choose(int row);
  bool Filling() const { return filling_; }
  // The details are in their fields: changes count as edits again.
  void DoneFilling() { filling_ = false; }
  // A field changed: counts as an edit unless the fields are being filled.
  void FieldChanged();

  // The change request for the chosen row after the details went into its
  // record; nothing without a chosen row.
  std::optional<std::string> SaveRequest(const ProductDetails& details);
  // The reply to a change: the cells follow on success. Back to idle.
  bool TakeSaveReply(const std::string& reply, const ProductDetails& details);
  // Back to idle; the caller empties the fields.
  void Cancel();

  // The delete request for the chosen row; nothing without one.
  std::optional<std::string> DeleteRequest() const;
  // On success the row leaves the table and none is chosen.
  bool TakeDeleteReply(const std::string& reply);

  // The chosen row's record; null without one.
  TApplet* SelectedRecord();
  const ProductRow* SelectedRow() const;

  EditorState State() const { return state_; }
  const ProductButtons& Buttons() const { return buttons_; }

 private:
  void Enter(EditorState state);

  SettingsStore& settings_;
  std::vector<ProductRow> rows_;
  int selected_ = -1;
  bool filling_ = false;
  EditorState state_ = EditorState::Idle;
  ProductButtons buttons_;
  std::string keyError_;
};

// "The product could not be deleted." with a blank line and the reply.
std::string NotDeletedMessage(const std::string& reply);
// The encoded file's path, then " has been created on your local system. ",
// a line break and what it replaces.
std::string NewContentsMessage(const std::string& encoded, const std::string& url);
// Where new contents for source go: its ".e" name, numbered when taken; empty
// for a source without an extension.
std::string NewContentsTarget(const std::string& source);

}  // namespace tendrel
