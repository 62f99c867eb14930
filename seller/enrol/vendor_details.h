#pragma once
// The vendor's details as the Join wizard collects them, kept in the settings
// section Vendor, and the rules the wizard applies to them as they are typed
// and before a page is left.
#include <string>
#include <string_view>
#include <vector>

namespace tendrel {

class SettingsStore;

inline constexpr char kVendorSection[] = "Vendor";
// What the vendor-ID box shows while there is no vendor ID.
inline constexpr char kNoVendorId[] = "[None]";

// Every field of the Join wizard, as typed. The password is in the clear
// here; it is stored encoded.
struct VendorDetails {
  std::string id;
  std::string password;
  std::string companyName, contactName;
  std::string contactEmail, phone, fax;
  std::string street, city, state, postcode, country;
  std::string businessType, businessDescription, url;
  std::string ccName, ccType, ccNumber, ccExpiryDate;
};

// Reads the section Vendor; the password is decoded. A missing value reads
// empty, so a fresh system gives empty details.
VendorDetails LoadVendorDetails(const SettingsStore& settings);
// Writes every field but the ID; the password encoded. False when a value
// could not be written (an unreadable settings file).
bool SaveVendorDetails(SettingsStore& settings, const VendorDetails& details);

// The Business Type list, in the order the wizard offers it.
const std::vector<std::string>& BusinessCategories();
// The credit card types the service takes.
const std::vector<std::string>& CardTypes();

// Text fields keep no apostrophe, double quote or semicolon: they would cut
// the service's records.
bool FilteredCharacter(char32_t c);
std::string WithoutFilteredCharacters(std::string_view text);

// The business description is listed with at most this many characters.
inline constexpr int kBusinessDescriptionMax = 60;
inline constexpr int kVendorUrlMax = 254;
inline constexpr int kCardNumberMax = 16;
inline constexpr int kCardExpiryMax = 4;

// The password rules, first that applies: the message to show, or empty when
// the two entries are an acceptable password.
std::string PasswordProblem(const std::string& password, const std::string& confirmation);

// The wizard's messages.
inline constexpr char kFillAllFields[] = "Please enter a value in all fields on this page.";
inline constexpr char kChooseCardType[] = "Please indicate what type of credit card you have.";
inline constexpr char kChooseCategory[] =
    "Please choose a category for your business.  If none applies then choose 'Other' and type your own "
    "description in the field provided.";
inline constexpr char kDescribeBusiness[] =
    "Please type a brief description of your business.  This information will be seen by all Tillon users.";
inline constexpr char kPasswordMissing[] = "Please enter a password before sending your details.";
inline constexpr char kPasswordsDiffer[] =
    "Please enter the same password in both fields to ensure you have typed it correctly.";
inline constexpr char kPasswordTooShort[] =
    "Your password must be at least 7 characters long and contain at least one number.";
inline constexpr char kPasswordNoNumber[] = "Your password must contain at least one number.";

}  // namespace tendrel
