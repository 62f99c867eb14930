#pragma once
// Bravant's settings: one registry tree of string values addressed as
// section/name below the root key. A section may be nested with backslashes
// ("Servers\\My Server"); the empty section means a value on the root itself.
// Missing sections and values are never errors: reads return the default.
#include <string>
#include <vector>

namespace tendrel {

class SettingsStore {
 public:
  // Opens the root key, creating it when missing.
  explicit SettingsStore(const std::string& rootPath = "\\Software\\Tendrel\\Tillon");

  std::string ReadText(const std::string& section, const std::string& name,
                       const std::string& def) const;
  // With the default the settings layout gives the value: Options/Class
  // Location "classes/", Options/Logging "No", Options/Process All Saleboxes
  // "No", Options/JPEG Quality "75", Port on the root "443"; else empty.
  std::string ReadText(const std::string& section, const std::string& name) const;
  // False when the value was not written (e.g. the settings file is unreadable).
  bool WriteText(const std::string& section, const std::string& name, const std::string& value);

  // "0x"/"0X" followed by more characters is hexadecimal, else decimal with an
  // optional sign. A text that is not such a number, or lies outside the
  // 32-bit range, gives `def`.
  int ReadInteger(const std::string& section, const std::string& name, int def) const;
  bool WriteInteger(const std::string& section, const std::string& name, int value);

  // True when the text read equals "Yes" without regard to case.
  bool ReadFlag(const std::string& section, const std::string& name,
                const std::string& def) const;

  // The names of the section's sub-sections, in registry order.
  std::vector<std::string> ListSections(const std::string& section) const;
  // Deletes the section and everything below it. True when it is gone
  // afterwards (also when it never existed); the root itself is not deleted.
  bool DeleteSection(const std::string& section);

 private:
  std::string KeyPath(const std::string& section) const;

  std::string rootPath_;
};

// "ENC" encodes a password for storage; any other mode decodes.
std::string EncodePassword(const std::string& text, const std::string& mode);

// True when the value read (default `def`) equals "Yes" without regard to case.
bool RegYes(const SettingsStore& store, const std::string& section, const std::string& name,
            const std::string& def);

}  // namespace tendrel
