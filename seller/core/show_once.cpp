#include "seller/core/show_once.h"

#include "seller/core/settings.h"

namespace tendrel {

bool MessageSilenced(const SettingsStore& settings, const std::string& key) {
  return settings.ReadText(kMessagesSection, key, "") == kNoMore;
}

void SilenceMessage(SettingsStore& settings, const std::string& key, bool silenced) {
  // A failed write is not reported: the message simply shows again next time.
  settings.WriteText(kMessagesSection, key, silenced ? kNoMore : "");
}

}  // namespace tendrel
