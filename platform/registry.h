#pragma once
// The registry, kept as INI files.
//
// A key path has the registry's form, `\Software\<Org>\<App>\rest...`, with
// backslashes between key names (a missing leading backslash and empty names
// between doubled backslashes are ignored). Only the Software tree exists.
//
//   CurrentUser   `\Software\Org\App\A\B` is the file
//                 $XDG_CONFIG_HOME/Org/App.conf (default ~/.config), keys A/B
//                 nested as groups inside it; `\Software\Org` is the file
//                 $XDG_CONFIG_HOME/Org.conf, and its sub-keys are the
//                 Org/*.conf files.
//   LocalMachine  the same below the first folder of $XDG_CONFIG_DIRS
//                 (default /etc/xdg); read-only: every write fails.
//
// The environment is read on every call, so a change of XDG_CONFIG_HOME takes
// effect at once.
//
// Names: key and value names are found without regard to (ASCII) case; a name
// keeps the case it was first written with, and writing "id" where "ID"
// exists updates "ID". Sub-keys and values list sorted without regard to case.
// Any bytes may form a value name, and any but "\" a key name below the file
// level. Inside the file a name is stored with "%" written as "%25" and "/"
// as "%2F" (the INI layer would take a "/" for a group separator), bytes that
// are not UTF-8 as "%XX", the first letter of a name "General" (any case; the
// INI layer's own section) as "%XX", and the empty name (a key's default
// value) as a lone "%". Org and App name a folder and a file, so "/", "." and
// ".." are refused there.
//
// Values are strings of any bytes: UTF-8 text is stored as text, anything else
// as a byte array, and both read back exactly. A value written by hand as an
// INI list (a,b) reads back joined by ",".
//
// Writes are on disk when the call returns, through an atomic replace of the
// file; files are created with mode 0600 (a written file is set back to 0600)
// in folders created with mode 0700. A file that cannot be read (no access,
// not a regular file, or text the INI reader rejects) reads as empty and is
// never written to or deleted: writes report failure. A write that fails
// leaves the file as it was and nothing pending; so does a write to a file
// made by hand that the INI layer would save in a form it cannot read back.
//
// A key without any value below it is not kept inside a file (INI has no
// empty groups); a key that is a whole file exists as long as its file does.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tendrel {

enum class RegRoot { CurrentUser, LocalMachine };

enum class RegError {
  None,
  BadPath,       // not under \Software, or an Org/App name unfit for a file
  NotFound,      // the key does not exist (and was not to be, or cannot be, created)
  Unreadable,    // the key's file exists but cannot be read
  CannotCreate,  // the key's folder or file could not be created
};

class RegistryKey {
 public:
  // Opens the key at `path`; with `create`, makes it exist when missing (not
  // possible under LocalMachine). Nothing when it cannot be opened; `why`, when
  // given, receives the reason.
  static std::optional<RegistryKey> Open(RegRoot root, const std::string& path, bool create,
                                         RegError* why = nullptr);

  RegRoot Root() const { return root_; }
  // The key's path in normal form: `\Software\...`.
  std::string Path() const;
  // The INI file that holds the key (as it would be found now).
  std::string FilePath() const;

  // False when the value (or the key) is missing or its file unreadable; `out`
  // is left alone then.
  bool ReadString(const std::string& name, std::string& out) const;
  // False when the value was not written.
  bool WriteString(const std::string& name, const std::string& value);
  // True when the value is gone afterwards (also when it never existed).
  bool DeleteValue(const std::string& name);

  std::vector<std::string> ValueNames() const;
  std::vector<std::string> SubKeys() const;

  // Deletes the sub-key at the relative `path` (backslashes allowed) with
  // everything below it. True when it is gone afterwards (also when it never
  // existed); false for an empty path or when it could not be deleted.
  bool DeleteSubKey(const std::string& path);

 private:
  RegistryKey(RegRoot root, std::vector<std::string> parts)
      : root_(root), parts_(std::move(parts)) {}

  RegRoot root_;
  std::vector<std::string> parts_;  // key names below \Software, at least one
};

namespace registry_detail {
// Whether the INI reader accepts the whole text: every "[" line holds a "]",
// and every other line holds an "=" outside quotes (comments aside).
bool IniTextReadable(std::string_view text);
}  // namespace registry_detail

}  // namespace tendrel
