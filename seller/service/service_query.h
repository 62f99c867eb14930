#pragma once
// The path and query of a service request. Every value is escaped the same
// way, the vendor and reseller IDs included: an ID typed or pasted by hand
// that holds "&" or "=" must not cut or change the request.
#include <string>
#include <string_view>

namespace tendrel {

class ServiceQuery {
 public:
  explicit ServiceQuery(std::string path) : text_(std::move(path)) {}

  // Appends key=value, the first with "?" and the rest with "&". The value
  // is escaped (apostrophes become backquotes first); one whose escaped form
  // does not fit the escaping buffer is sent empty.
  ServiceQuery& Add(std::string_view key, std::string_view value);

  const std::string& Text() const { return text_; }

 private:
  std::string text_;
  bool first_ = true;
};

}  // namespace tendrel
