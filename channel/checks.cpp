// The checks each generator makes before it builds anything, in their order.
#include "channel/channel_text.h"
#include "channel/generate_channels.h"
#include "common/text.h"

namespace tendrel::channel {

namespace {

constexpr char kIEPrefix[] = "To generate the Internet Explorer Channel Information, the ";
constexpr char kPCPrefix[] = "To generate the PointCast Channel Information, the ";
constexpr char kNetcasterPrefix[] = "To generate the Netscape Netcaster Channel Information, the ";

constexpr char kNoFile[] = "Channel File must be entered.";
constexpr char kNoURL[] = "Channel URL must be entered.";

CheckFailure Failure(const char* prefix, const char* reason, PushPage page, PushField field) {
  std::string message = prefix;
  message += reason;
  return {message, page, field};
}

}  // namespace

std::optional<CheckFailure> CheckIE(const ChannelFields& f) {
  if (Trim(f.ieFile).empty()) return Failure(kIEPrefix, kNoFile, PushPage::IE, PushField::IEFile);
  if (MissingAddress(f.url)) return Failure(kIEPrefix, kNoURL, PushPage::Common, PushField::CommonURL);
  if (MissingAddress(f.ieIcon))
    return Failure(kIEPrefix, "icon to use must be entered.", PushPage::IE, PushField::IEIcon);
  if (MissingAddress(f.iePicture))
    return Failure(kIEPrefix, "picture to use must be entered.", PushPage::IE, PushField::IEPicture);
  return std::nullopt;
}

std::optional<CheckFailure> CheckPointCast(const ChannelFields& f) {
  if (Trim(f.pcFile).empty()) return Failure(kPCPrefix, kNoFile, PushPage::PointCast, PushField::PCFile);
  if (MissingAddress(f.url)) return Failure(kPCPrefix, kNoURL, PushPage::Common, PushField::CommonURL);
  if (MissingAddress(f.pcSelf))
    return Failure(kPCPrefix,
                   "location where you will upload the PointCast Channel File on your server must be entered.",
                   PushPage::PointCast, PushField::PCSelf);
  return std::nullopt;
}

std::optional<CheckFailure> CheckNetcaster(const ChannelFields& f) {
  if (MissingAddress(f.url)) return Failure(kNetcasterPrefix, kNoURL, PushPage::Common, PushField::CommonURL);
  return std::nullopt;
}

}  // namespace tendrel::channel
