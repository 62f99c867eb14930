#include "seller/products/product_list.h"

#include "common/text.h"

namespace tendrel {

namespace {

constexpr std::string_view kSuccess = "{SUCCESS}";
constexpr std::string_view kEndAll = "{ENDALL}";
constexpr std::string_view kProduct = "{PRODUCT}";
constexpr std::string_view kEnd = "{END}\n";

ProductEntry ParseEntry(std::string_view text) {
  ProductEntry e;
  if (const auto p = text.find(kProduct); p != std::string_view::npos) text.remove_prefix(p + kProduct.size());
  size_t field = 0;
  size_t start = 0;
  // Everything after the sixth separator is the key.
  while (field + 1 < kFieldCount) {
    const auto semi = text.find(';', start);
    if (semi == std::string_view::npos) break;
    e.fields[field++] = std::string(text.substr(start, semi - start));
    start = semi + 1;
  }
  e.fields[field] = std::string(text.substr(start));
  try {
    e.key = TTillonCipher::HexToKey(e.fields[kFieldKey]);
    e.keyOk = true;
  } catch (const std::exception& error) {
    e.keyError = error.what();
  }
  return e;
}

}  // namespace

ProductListReply ParseProductList(const std::string& reply) {
  ProductListReply out;
  const std::string lower = LowerCase(reply);
  const auto token = lower.find("{success}");
  if (token == std::string::npos) return out;
  out.succeeded = true;
  size_t begin = token + kSuccess.size();
  if (begin < reply.size() && reply[begin] == '\n') {
    ++begin;
    if (reply.compare(begin, kEndAll.size(), kEndAll) == 0) {
      out.noProducts = true;
      return out;
    }
  }
  size_t stop = reply.find(kEndAll, begin);
  if (stop == std::string::npos) stop = reply.size();
  const std::string_view data = std::string_view(reply).substr(begin, stop - begin);
  size_t at = 0;
  while (at < data.size()) {
    const auto end = data.find(kEnd, at);
    const size_t last = end == std::string_view::npos ? data.size() : end;
    out.entries.push_back(ParseEntry(data.substr(at, last - at)));
    if (!out.entries.back().keyOk && out.keyError.empty()) out.keyError = out.entries.back().keyError;
    if (end == std::string_view::npos) break;
    at = end + kEnd.size();
  }
  return out;
}

}  // namespace tendrel
