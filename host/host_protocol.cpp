#include "host/host_protocol.h"

namespace tendrel {

namespace {

// Call names are ASCII; folding only ASCII letters keeps "İ" and the like
// from matching anything.
char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

// The table is indexed by the enumeration: each row must sit at its own place.
constexpr bool TableInOrder() {
  for (size_t i = 0; i < kHostCalls.size(); ++i)
    if (static_cast<size_t>(kHostCalls[i].call) != i) return false;
  return true;
}
static_assert(TableInOrder(), "kHostCalls rows must follow the HostCall order");

}  // namespace

const HostCallInfo* FindHostCall(std::string_view name) {
  for (const HostCallInfo& info : kHostCalls)
    if (EqualFolded(info.name, name)) return &info;
  return nullptr;
}

}  // namespace tendrel
