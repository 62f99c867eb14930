#pragma once
// Every message box, question, input box and file dialog of the programs goes
// through UserDialogs, so forms stay testable: tests script the answers and read
// back exactly what was shown.
#include <optional>
#include <string>
#include <vector>

namespace tendrel {

enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

// Filters keep the programs' own form: pairs of description and pattern joined
// by "|", e.g. "Text files (*.txt)|*.txt|All files (*.*)|*.*".
struct FileDialogRequest {
  std::string caption;
  std::string filter;
  int filterIndex = 1;  // 1-based, as in the filter strings
  std::string initialDir;
  std::string fileName;
  std::string defaultExt;
  bool mustExist = false;         // open: the chosen file must exist
  bool confirmOverwrite = false;  // save: ask before replacing a file
};

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;

  virtual MsgResult Message(const std::string& text, const std::string& caption,
                            MsgIcon icon, MsgButtons buttons) = 0;
  // The text typed, or nothing when the user cancelled.
  virtual std::optional<std::string> Input(const std::string& caption,
                                           const std::string& prompt,
                                           const std::string& initial) = 0;
  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> OpenFile(const FileDialogRequest& req) = 0;
  virtual std::optional<std::string> SaveFile(const FileDialogRequest& req) = 0;

  // Conveniences over Message.
  void Inform(const std::string& text, const std::string& caption = "Information") {
    Message(text, caption, MsgIcon::Information, MsgButtons::Ok);
  }
  void Warn(const std::string& text, const std::string& caption = "Warning") {
    Message(text, caption, MsgIcon::Warning, MsgButtons::Ok);
  }
  void Error(const std::string& text, const std::string& caption = "Error") {
    Message(text, caption, MsgIcon::Error, MsgButtons::Ok);
  }
  // Yes carries out the action.
  bool ConfirmYesNo(const std::string& text, const std::string& caption = "Confirm") {
    return Message(text, caption, MsgIcon::Question, MsgButtons::YesNo) == MsgResult::Yes;
  }
};

}  // namespace tendrel
