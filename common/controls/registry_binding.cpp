#include "common/controls/registry_binding.h"

#include "platform/registry.h"

namespace tendrel {

std::string RootedRegPath(std::string_view path) {
  if (path.empty() || path.front() == '\\') return std::string(path);
  // Appending rather than "\\" + string: GCC 12 at -O3 warns falsely on the latter.
  std::string rooted = "\\";
  rooted.append(path);
  return rooted;
}

std::optional<std::string> RegistryBinding::Load() const {
  if (!store_) return std::nullopt;
  auto key = RegistryKey::Open(RegRoot::CurrentUser, path_, true);
  std::string text;
  if (!key || !key->ReadString(value_, text)) return std::string();
  return text;
}

bool RegistryBinding::Save(const std::string& text) const {
  auto key = RegistryKey::Open(RegRoot::CurrentUser, path_, true);
  return key && key->WriteString(value_, text);
}

}  // namespace tendrel
