#pragma once
// Reads and writes the controls' registry values directly, to check what a
// control stored and to prepare what it loads.
#include <string>

#include "platform/registry.h"

namespace tendrel::controls_test {

inline std::string Stored(const char* key, const std::string& value) {
  std::string out = "<missing>";
  if (auto k = RegistryKey::Open(RegRoot::CurrentUser, key, false)) k->ReadString(value, out);
  return out;
}

inline void Store(const char* key, const std::string& value, const std::string& text) {
  RegistryKey::Open(RegRoot::CurrentUser, key, true)->WriteString(value, text);
}

}  // namespace tendrel::controls_test
