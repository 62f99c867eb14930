#pragma once
// The dialogs as tests script them.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace tendrel {

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
