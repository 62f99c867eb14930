#include "support/scripted_dialogs.h"

namespace tendrel {

namespace {
template <typename T>
std::optional<std::string> Pop(std::deque<T>& q) {
  if (q.empty()) return std::nullopt;
  auto v = q.front();
  q.pop_front();
  return v;
}
}  // namespace

MsgResult ScriptedDialogs::Message(const std::string& text, const std::string& caption,
                                   MsgIcon icon, MsgButtons buttons) {
  shown.push_back({Kind::Message, text, caption, icon, buttons, {}});
  if (!messageAnswers.empty()) {
    MsgResult r = messageAnswers.front();
    messageAnswers.pop_front();
    return r;
  }
  return (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel) ? MsgResult::No
                                                                              : MsgResult::Ok;
}

std::optional<std::string> ScriptedDialogs::Input(const std::string& caption,
                                                  const std::string& prompt,
                                                  const std::string& /*initial*/) {
  shown.push_back({Kind::Input, prompt, caption, MsgIcon::None, MsgButtons::OkCancel, {}});
  return Pop(inputAnswers);
}

std::optional<std::string> ScriptedDialogs::OpenFile(const FileDialogRequest& req) {
  shown.push_back({Kind::OpenFile, req.caption, {}, MsgIcon::None, MsgButtons::OkCancel, req});
  return Pop(fileAnswers);
}

std::optional<std::string> ScriptedDialogs::SaveFile(const FileDialogRequest& req) {
  shown.push_back({Kind::SaveFile, req.caption, {}, MsgIcon::None, MsgButtons::OkCancel, req});
  return Pop(fileAnswers);
}

std::vector<std::string> ScriptedDialogs::MessageTexts() const {
  std::vector<std::string> out;
  for (const auto& s : shown)
    if (s.kind == Kind::Message) out.push_back(s.text);
  return out;
}

}  // namespace tendrel
