#pragma once
// Finish: the checks, the three generators and the insertion into the host
// document. Display-free: the form hands in its fields and a PushView for
// the few things that touch the window.
#include <optional>
#include <string>

#include "channel/channel_fields.h"
#include "channel/pennant_config.h"

namespace tendrel {
class HostCalls;
class UserDialogs;
}  // namespace tendrel

namespace tendrel::channel {

// What generation needs from the wizard's window.
class PushView {
 public:
  virtual ~PushView() = default;
  virtual void SetBusy(bool busy) = 0;  // hourglass on/off
  virtual void Minimise() = 0;
  virtual void Restore() = 0;
  // After a failed check's message: Next caption "Next &>>", show the page,
  // focus the field.
  virtual void ShowFailedCheck(PushPage page, PushField field) = 0;
};

// The checks of each generator in their order; nothing when all pass.
std::optional<CheckFailure> CheckIE(const ChannelFields& f);
std::optional<CheckFailure> CheckPointCast(const ChannelFields& f);
std::optional<CheckFailure> CheckNetcaster(const ChannelFields& f);

// The generated texts, byte for byte (CR LF line ends), for fields that
// passed their checks. docFileURL is the current document in file-URL form.
std::string BuildIEChannelFile(const ChannelFields& f);
std::string BuildPointCastChannelFile(const ChannelFields& f);
std::string BuildNetcasterScript(const ChannelFields& f, const std::string& docFileURL, const PennantConfig& config);
// The page text of the buttons for the ticked viewers (steps 4-6).
std::string BuildButtons(const ChannelFields& f, const std::string& docFileURL, const PennantConfig& config);

// The whole Finish; true when the wizard may close.
bool GenerateChannels(const ChannelFields& f, HostCalls& host, UserDialogs& dialogs, PushView& view,
                      const PennantConfig& config);

}  // namespace tendrel::channel
