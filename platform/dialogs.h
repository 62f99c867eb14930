#pragma once
// Every message box, question, input box and file dialog of the programs goes
// through UserDialogs, so forms stay testable: tests script the answers and read
// back exactly what was shown.
#include <deque>
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

// A UserDialogs for tests: records everything shown and answers from queues.
// With an empty queue a message is answered Ok (or No for a question), an
// input or file dialog is cancelled.
class ScriptedDialogs : public UserDialogs {
 public:
  enum class Kind { Message, Input, OpenFile, SaveFile };
  struct Shown {
    Kind kind;
    std::string text;     // message text, input prompt, or file dialog caption
    std::string caption;  // message or input caption
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    FileDialogRequest file;  // for file dialogs
  };

  std::deque<MsgResult> messageAnswers;
  std::deque<std::optional<std::string>> inputAnswers;
  std::deque<std::optional<std::string>> fileAnswers;
  std::vector<Shown> shown;

  MsgResult Message(const std::string& text, const std::string& caption, MsgIcon icon,
                    MsgButtons buttons) override;
  std::optional<std::string> Input(const std::string& caption, const std::string& prompt,
                                   const std::string& initial) override;
  std::optional<std::string> OpenFile(const FileDialogRequest& req) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& req) override;

  // Texts of the messages shown, in order.
  std::vector<std::string> MessageTexts() const;
};

}  // namespace tendrel
