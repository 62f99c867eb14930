#pragma once
// Checks shared by the fuzz targets: a failed check aborts, so the fuzzer
// records the input.
#include <cstdlib>
#include <string_view>

#include "common/text.h"

namespace fuzz {

inline void Check(bool ok) {
  if (!ok) std::abort();
}

// Position of p in t ignoring case, the plain way: what the skip-table search
// must agree with.
inline size_t NaivePos(std::string_view p, std::string_view t) {
  if (p.empty() || p.size() > t.size()) return 0;
  for (size_t i = 0; i + p.size() <= t.size(); ++i)
    if (tendrel::SameText(t.substr(i, p.size()), p)) return i + 1;
  return 0;
}

}  // namespace fuzz
