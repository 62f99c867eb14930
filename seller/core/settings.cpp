#include "seller/core/settings.h"

#include <climits>
#include <optional>
#include <string_view>

#include "common/text.h"
#include "platform/registry.h"

namespace tendrel {

namespace {

struct LayoutDefault {
  const char* section;
  const char* name;
  const char* value;
};

constexpr LayoutDefault kDefaults[] = {
    {"Options", "Class Location", "classes/"},
    {"Options", "Logging", "No"},
    {"Options", "Process All Saleboxes", "No"},
    {"Options", "JPEG Quality", "75"},
    {"", "Port", "443"},
};

int DigitValue(char c, int base) {
  int d = -1;
  if (c >= '0' && c <= '9') d = c - '0';
  else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
  return d < base ? d : -1;
}

// A decimal integer with an optional sign, or (when allowed) "0x"/"0X" and
// hex digits; nothing when the text is not one or does not fit 32 bits.
std::optional<int> ParseInteger(std::string_view t, bool allowHex = true) {
  int base = 10;
  bool negative = false;
  if (allowHex && t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    base = 16;
    t.remove_prefix(2);
  } else if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  if (t.empty()) return std::nullopt;
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  long long v = 0;
  for (const char c : t) {
    const int d = DigitValue(c, base);
    if (d < 0) return std::nullopt;
    v = v * base + d;
    if (v > limit) return std::nullopt;
  }
  return static_cast<int>(negative ? -v : v);
}

constexpr std::string_view kPasswordKey = "Keep these settings";

std::string CombineWithKey(std::string data) {
  for (size_t i = 0; i < data.size(); ++i) data[i] ^= kPasswordKey[i % kPasswordKey.size()];
  return data;
}

int PieceValue(std::string_view piece) {
  while (!piece.empty() && piece.front() == ' ') piece.remove_prefix(1);
  while (!piece.empty() && piece.back() == ' ') piece.remove_suffix(1);
  return ParseInteger(piece, false).value_or(0);
}

}  // namespace

SettingsStore::SettingsStore(const std::string& rootPath) : rootPath_(rootPath) {
  // The root is made to exist at once; a failure shows later as unwritten values.
  RegistryKey::Open(RegRoot::CurrentUser, rootPath_, true);
}

std::string SettingsStore::KeyPath(const std::string& section) const {
  return section.empty() ? rootPath_ : rootPath_ + "\\" + section;
}

std::string SettingsStore::ReadText(const std::string& section, const std::string& name,
                                    const std::string& def) const {
  const auto key = RegistryKey::Open(RegRoot::CurrentUser, KeyPath(section), false);
  std::string value;
  if (!key || !key->ReadString(name, value)) return def;
  return value;
}

std::string SettingsStore::ReadText(const std::string& section, const std::string& name) const {
  for (const LayoutDefault& d : kDefaults)
    if (SameText(section, d.section) && SameText(name, d.name)) return ReadText(section, name, d.value);
  return ReadText(section, name, std::string());
}

bool SettingsStore::WriteText(const std::string& section, const std::string& name,
                              const std::string& value) {
  auto key = RegistryKey::Open(RegRoot::CurrentUser, KeyPath(section), true);
  return key && key->WriteString(name, value);
}

int SettingsStore::ReadInteger(const std::string& section, const std::string& name,
                               int def) const {
  const auto key = RegistryKey::Open(RegRoot::CurrentUser, KeyPath(section), false);
  std::string text;
  if (!key || !key->ReadString(name, text)) return def;
  return ParseInteger(text).value_or(def);
}

bool SettingsStore::WriteInteger(const std::string& section, const std::string& name,
                                 int value) {
  return WriteText(section, name, std::to_string(value));
}

bool SettingsStore::ReadFlag(const std::string& section, const std::string& name,
                             const std::string& def) const {
  return SameText(ReadText(section, name, def), "Yes");
}

std::vector<std::string> SettingsStore::ListSections(const std::string& section) const {
  const auto key = RegistryKey::Open(RegRoot::CurrentUser, KeyPath(section), false);
  return key ? key->SubKeys() : std::vector<std::string>();
}

bool SettingsStore::DeleteSection(const std::string& section) {
  // Split off the last name; the rest is the parent section.
  std::string trimmed = section;
  while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
  if (trimmed.empty()) return false;
  const size_t cut = trimmed.rfind('\\');
  const std::string parent = cut == std::string::npos ? std::string() : trimmed.substr(0, cut);
  const std::string last = cut == std::string::npos ? trimmed : trimmed.substr(cut + 1);

  RegError why = RegError::None;
  auto key = RegistryKey::Open(RegRoot::CurrentUser, KeyPath(parent), false, &why);
  if (!key) return why == RegError::NotFound;
  return key->DeleteSubKey(last);
}

// Passwords are combined with a fixed key byte by byte and stored as the
// decimal numbers of the result joined by ",". A text without "," read in
// "DEC" mode is taken as a password stored in the clear. So that a password
// of one character is not mistaken for clear text, its single number is
// written with a "," after it ("75,"), and decoding ignores one empty piece
// after a final ","; everything the plain scheme writes decodes as before.
std::string EncodePassword(const std::string& text, const std::string& mode) {
  if (mode == "ENC") {
    const std::string combined = CombineWithKey(text);
    std::string out;
    for (size_t i = 0; i < combined.size(); ++i) {
      if (i) out += ',';
      out += std::to_string(static_cast<unsigned char>(combined[i]));
    }
    if (combined.size() == 1) out += ',';
    return out;
  }
  if (mode == "DEC" && text.find(',') == std::string::npos) return text;
  if (text.empty()) return text;

  std::vector<std::string_view> pieces;
  const std::string_view all(text);
  size_t start = 0;
  for (;;) {
    const size_t comma = all.find(',', start);
    if (comma == std::string_view::npos) {
      pieces.push_back(all.substr(start));
      break;
    }
    pieces.push_back(all.substr(start, comma - start));
    start = comma + 1;
  }
  if (pieces.size() > 1 && pieces.back().empty()) pieces.pop_back();

  std::string bytes;
  for (const std::string_view piece : pieces)
    bytes += static_cast<char>(static_cast<unsigned>(PieceValue(piece)) & 0xFF);
  return CombineWithKey(bytes);
}

bool RegYes(const SettingsStore& store, const std::string& section, const std::string& name,
            const std::string& def) {
  return store.ReadFlag(section, name, def);
}

}  // namespace tendrel
