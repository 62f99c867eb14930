#pragma once
// The registry value a control keeps its text in: where it is (RegPath,
// RegValue), whether the control uses it (RegStore), and the load and save
// every registry-backed control runs. What the text means (one line, a comma
// text of items) and when to save stay with the control. No Qt here.
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tendrel {

// A key path as the controls keep it: a backslash in front unless there is
// one, so it always counts from the current user's root. "" stays "".
std::string RootedRegPath(std::string_view path);

class RegistryBinding {
 public:
  // The key path under the current user's root, rooted as above.
  const std::string& Path() const { return path_; }
  void SetPath(std::string_view path) { path_ = RootedRegPath(path); }
  // The name of the string value under Path (found without regard to case).
  const std::string& Value() const { return value_; }
  void SetValue(std::string value) { value_ = std::move(value); }
  // Whether the control loads its text when its form is loaded and saves it
  // on the events it offers.
  bool Store() const { return store_; }
  void SetStore(bool on) { store_ = on; }

  // With Store off, nothing: the control keeps what it has. With Store on,
  // the stored text, or "" when the value or the key is missing or cannot be
  // read (the key is created when missing), so a control always ends up
  // showing what is stored.
  std::optional<std::string> Load() const;
  // Writes text to the value now, creating the key when missing, whether or
  // not Store is on. False when it was not written; the controls do not
  // report that.
  bool Save(const std::string& text) const;
  // Whether an event the control offers saving on saves: Store is on and the
  // control's option for that event is chosen.
  bool SavesOn(bool optionChosen) const { return store_ && optionChosen; }

 private:
  std::string path_;
  std::string value_;
  bool store_ = false;
};

}  // namespace tendrel
