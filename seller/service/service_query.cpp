#include "seller/service/service_query.h"

#include "common/paths.h"

namespace tendrel {

ServiceQuery& ServiceQuery::Add(std::string_view key, std::string_view value) {
  text_ += first_ ? '?' : '&';
  first_ = false;
  text_.append(key);
  text_ += '=';
  text_ += EscapeURLValue(value);
  return *this;
}

}  // namespace tendrel
