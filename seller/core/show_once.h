#pragma once
// One-time messages: advice the user can silence for good. Each message has a
// key in the settings section "Messages"; the value "No More" (exactly) keeps
// it from being shown again.
#include <string>

namespace tendrel {

class SettingsStore;

inline constexpr char kMessagesSection[] = "Messages";
inline constexpr char kNoMore[] = "No More";

// True when the user asked not to see the message under `key` again.
bool MessageSilenced(const SettingsStore& settings, const std::string& key);
// Writes "No More" under `key` when silenced, else the empty text.
void SilenceMessage(SettingsStore& settings, const std::string& key, bool silenced);

// What shows a one-time message to the user (a window with the message and a
// "don't show again" box that writes through SilenceMessage).
class OneTimeMessages {
 public:
  virtual ~OneTimeMessages() = default;
  // Shows the message and returns once the user has closed it.
  virtual void Present(const std::string& message, const std::string& key) = 0;
};

}  // namespace tendrel
