#include "seller/shell/context.h"

namespace tendrel {

BravantContext::BravantContext(UserDialogs& dialogs, const std::string& settingsRoot, ServiceConfig service)
    : dialogs_(dialogs),
      settings_(settingsRoot),
      applet_(&settings_, nullptr, &dialogs_),
      service_(settings_, dialogs_, std::move(service)) {}

void BravantContext::AttachHost(std::unique_ptr<HostEditor> host) {
  // The record lets go of an earlier host before that host is freed.
  applet_.SetHost(host.get());
  host_ = std::move(host);
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
