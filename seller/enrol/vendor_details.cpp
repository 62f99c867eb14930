#include "seller/enrol/vendor_details.h"

#include <algorithm>
#include <utility>

#include "seller/core/settings.h"

namespace tendrel {

namespace {

// Value names of the section Vendor beside the members they hold; the ID and
// the password are handled on their own.
using Field = std::string VendorDetails::*;
const std::pair<const char*, Field> kFields[] = {
    {"Company Name", &VendorDetails::companyName},
    {"Contact Name", &VendorDetails::contactName},
    {"Contact Email", &VendorDetails::contactEmail},
    {"Phone", &VendorDetails::phone},
    {"Fax", &VendorDetails::fax},
    {"Street", &VendorDetails::street},
    {"City", &VendorDetails::city},
    {"State", &VendorDetails::state},
    {"Postcode", &VendorDetails::postcode},
    {"Country", &VendorDetails::country},
    {"Business Type", &VendorDetails::businessType},
    {"Business Description", &VendorDetails::businessDescription},
    {"URL", &VendorDetails::url},
    {"CC Name", &VendorDetails::ccName},
    {"CC Type", &VendorDetails::ccType},
    {"CC Number", &VendorDetails::ccNumber},
    {"CC Expiry Date", &VendorDetails::ccExpiryDate},
};

}  // namespace

VendorDetails LoadVendorDetails(const SettingsStore& settings) {
  VendorDetails d;
  d.id = settings.ReadText(kVendorSection, "ID", "");
  d.password = EncodePassword(settings.ReadText(kVendorSection, "Password", ""), "DEC");
  for (const auto& [name, field] : kFields) d.*field = settings.ReadText(kVendorSection, name, "");
  return d;
}

bool SaveVendorDetails(SettingsStore& settings, const VendorDetails& details) {
  bool ok = settings.WriteText(kVendorSection, "Password", EncodePassword(details.password, "ENC"));
  for (const auto& [name, field] : kFields) ok = settings.WriteText(kVendorSection, name, details.*field) && ok;
  return ok;
}

const std::vector<std::string>& BusinessCategories() {
  static const std::vector<std::string> list = {
      "Reference", "Sports/Recreation", "Government/Politics", "Society/Culture",   "Financial",
      "Arts/Entertainment", "Business", "Science",           "Leisure",            "Travel",
      "News/Media",         "Education", "Computers/Internet", "Adult Material",   "Non profit Organizations"};
  return list;
}

const std::vector<std::string>& CardTypes() {
  static const std::vector<std::string> list = {"Mastercard", "Visa"};
  return list;
}

bool FilteredCharacter(char32_t c) { return c == U'\'' || c == U'"' || c == U';'; }

std::string WithoutFilteredCharacters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (!FilteredCharacter(static_cast<unsigned char>(c))) out += c;
  return out;
}

std::string PasswordProblem(const std::string& password, const std::string& confirmation) {
  if (password.empty() || confirmation.empty()) return kPasswordMissing;
  if (password != confirmation) return kPasswordsDiffer;
  // Characters, not bytes: an accented letter counts once.
  const auto characters =
      std::count_if(password.begin(), password.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
  if (characters <= 6) return kPasswordTooShort;
  if (std::none_of(password.begin(), password.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return kPasswordNoNumber;
  return {};
}

}  // namespace tendrel
