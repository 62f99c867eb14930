// The service's product list: any reply parses without a crash; every entry
// has its seven fields; an entry's key is taken exactly when the hex-key
// reader takes its key field, the first refused one is the reply's named
// complaint, and the log's masking leaves no taken key in a product entry.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "seller/authoring/cipher.h"
#include "seller/products/product_list.h"
#include "seller/service/activity_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string reply(reinterpret_cast<const char*>(data), size);
  const tendrel::ProductListReply r = tendrel::ParseProductList(reply);
  fuzz::Check(!r.noProducts || (r.succeeded && r.entries.empty()));
  if (!r.succeeded) fuzz::Check(r.entries.empty() && r.keyError.empty());
  std::string firstError;
  for (const tendrel::ProductEntry& e : r.entries) {
    fuzz::Check(e.fields.size() == 7);
    bool taken = true;
    std::string error;
    tendrel::TCipherKey key;
    try {
      key = tendrel::TTillonCipher::HexToKey(e.fields[tendrel::kFieldKey]);
    } catch (const tendrel::EInvalidHexCodedKey& ex) {
      taken = false;
      error = ex.what();
    }
    fuzz::Check(e.keyOk == taken);
    if (taken) {
      fuzz::Check(e.keyError.empty() && e.key.Length == key.Length &&
                  std::string(reinterpret_cast<const char*>(e.key.Bytes), static_cast<size_t>(key.Length)) ==
                      std::string(reinterpret_cast<const char*>(key.Bytes), static_cast<size_t>(key.Length)));
    } else {
      fuzz::Check(e.keyError == error && !error.empty());
      if (firstError.empty()) firstError = error;
    }
  }
  fuzz::Check(r.keyError == firstError);
  // Masked, the list still parses to as many entries, none with a key.
  const tendrel::ProductListReply masked = tendrel::ParseProductList(tendrel::MaskProductKeys(reply));
  fuzz::Check(masked.entries.size() == r.entries.size());
  for (const tendrel::ProductEntry& e : masked.entries) fuzz::Check(!e.keyOk);
  return 0;
}
