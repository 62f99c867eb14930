#include "seller/shell/context.h"

namespace tendrel {

BravantContext::BravantContext(UserDialogs& dialogs, const std::string& settingsRoot)
    : dialogs_(dialogs),
      settings_(settingsRoot),
      applet_(std::make_unique<TApplet>(&settings_, nullptr, &dialogs_)) {}

void BravantContext::AttachHost(std::unique_ptr<HostEditor> host) {
  host_ = std::move(host);
  applet_ = std::make_unique<TApplet>(&settings_, host_.get(), &dialogs_);
}

bool BravantContext::ShowOnce(const std::string& message, const std::string& key) {
  if (MessageSilenced(settings_, key)) return false;
  if (messages_ != nullptr)
    messages_->Present(message, key);
  else
    dialogs_.Message(message, kShowOnceCaption, MsgIcon::Information, MsgButtons::Ok);
  return true;
}

void BravantContext::ReportFault(const std::string& message) {
  dialogs_.Message(message, kProgramTitle, MsgIcon::Error, MsgButtons::Ok);
}

}  // namespace tendrel
