#pragma once
// The service's list of a vendor's registered products: one entry per
// product, "{PRODUCT}" and seven ";"-separated fields ended by "{END}" and a
// line feed, all between "{SUCCESS}" plus a line feed and "{ENDALL}".
#include <array>
#include <string>
#include <vector>

#include "seller/authoring/cipher.h"

namespace tendrel {

// The fields of one entry, in the reply's order.
enum ProductField { kFieldId, kFieldName, kFieldPrice, kFieldDescr, kFieldMime, kFieldUrl, kFieldKey, kFieldCount };

struct ProductEntry {
  std::array<std::string, kFieldCount> fields;  // always seven; missing ones empty
  TCipherKey key;                               // decoded from the key field when keyOk
  bool keyOk = false;
  std::string keyError;  // the hex-key reader's complaint when !keyOk
};

struct ProductListReply {
  bool succeeded = false;   // the reply holds "{SUCCESS}"
  bool noProducts = false;  // "{SUCCESS}", a line feed and "{ENDALL}" directly
  std::vector<ProductEntry> entries;
  // The first malformed key's complaint: reported once however many there are.
  std::string keyError;
};

// Never throws: an entry with a malformed key is listed without its key.
ProductListReply ParseProductList(const std::string& reply);

}  // namespace tendrel
