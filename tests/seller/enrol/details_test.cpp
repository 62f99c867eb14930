// The vendor's details in the settings, the password rules, the typing
// filter and the enrolment request as the service receives it.
#include <gtest/gtest.h>

#include <string>

#include "seller/core/settings.h"
#include "seller/enrol/enrolment.h"
#include "seller/enrol/vendor_details.h"
#include "support/temp_home.h"

using namespace tendrel;

namespace {

VendorDetails Sample() {
  VendorDetails d;
  d.password = "secret77";
  d.companyName = "Smith Sons";
  d.contactName = "Ann Smith";
  d.contactEmail = "ann@smith.example";
  d.phone = "+44 1632 960123";
  d.street = "1 High St";
  d.city = "Leeds";
  d.state = "Yorks";
  d.postcode = "LS1 1AA";
  d.country = "UK";
  d.businessType = "Gardening tools";
  d.businessDescription = "Spades & forks";
  d.url = "http://smith.example/";
  d.ccName = "Ann O'Brien";
  d.ccType = "Visa";
  d.ccNumber = "4111111111111111";
  d.ccExpiryDate = "1228";
  return d;
}

}  // namespace

TEST(PasswordRules, FirstRuleThatAppliesGivesTheMessage) {
  const struct {
    const char* password;
    const char* confirmation;
    const char* problem;
  } cases[] = {
      {"", "", kPasswordMissing},
      {"abcdefg1", "", kPasswordMissing},
      {"", "abcdefg1", kPasswordMissing},
      {"ab1", "ab2", kPasswordsDiffer},         // differing beats too short
      {"Abcdefg1", "abcdefg1", kPasswordsDiffer},  // case counts
      {"ab1d", "ab1d", kPasswordTooShort},
      {"abcde1", "abcde1", kPasswordTooShort},  // six is still too few
      {"abcdefg", "abcdefg", kPasswordNoNumber},
      {"abcdef1", "abcdef1", ""},
      {"1234567", "1234567", ""},
      // Characters count, not bytes: five two-byte letters and a digit are six.
      {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9" "1", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9" "1",
       kPasswordTooShort},
      {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9" "1x", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9" "1x", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(PasswordProblem(c.password, c.confirmation), c.problem) << c.password;
}

TEST(TypingFilter, DropsQuotesAndSemicolonsOnly) {
  EXPECT_EQ(WithoutFilteredCharacters("O'Brien; \"Ltd\""), "OBrien Ltd");
  EXPECT_EQ(WithoutFilteredCharacters("caf\xC3\xA9 `&=%"), "caf\xC3\xA9 `&=%");
  EXPECT_EQ(WithoutFilteredCharacters("';\""), "");
}

TEST(VendorSettings, SavedFieldsLoadBackWithThePasswordEncoded) {
  TempHome home;
  SettingsStore settings;
  settings.WriteText(kVendorSection, "ID", "V9");
  VendorDetails d = Sample();
  d.id = "ignored";
  ASSERT_TRUE(SaveVendorDetails(settings, d));
  // The ID is the service's (or the user's paste), never the form's.
  EXPECT_EQ(settings.ReadText(kVendorSection, "ID", ""), "V9");
  EXPECT_EQ(settings.ReadText(kVendorSection, "Password", ""), EncodePassword("secret77", "ENC"));
  EXPECT_NE(settings.ReadText(kVendorSection, "Password", ""), "secret77");
  EXPECT_EQ(settings.ReadText(kVendorSection, "CC Name", ""), "Ann O'Brien");
  EXPECT_EQ(settings.ReadText(kVendorSection, "Business Type", ""), "Gardening tools");

  const VendorDetails back = LoadVendorDetails(settings);
  EXPECT_EQ(back.id, "V9");
  EXPECT_EQ(back.password, "secret77");
  EXPECT_EQ(back.companyName, d.companyName);
  EXPECT_EQ(back.postcode, d.postcode);
  EXPECT_EQ(back.url, d.url);
  EXPECT_EQ(back.ccExpiryDate, d.ccExpiryDate);

  // A password typed into the settings by hand reads as itself.
  settings.WriteText(kVendorSection, "Password", "plain");
  EXPECT_EQ(LoadVendorDetails(settings).password, "plain");
}

TEST(VendorId, TextBetweenFirstBraceAndNextSemicolonTrimmed) {
  const struct {
    const char* reply;
    const char* id;
  } cases[] = {
      {"{SUCCESS}1001;", "1001"},
      {"{SUCCESS}  1001 \t;more;", "1001"},
      {"{success}A B;", "A B"},
      {"{SUCCESS}1001", ""},        // no ";"
      {"{SUCCESS};", ""},           // nothing between
      {"{SUCCESS}   ;", ""},        // only blanks between
      {"1001;", ""},                // no "}"
      {";x}42;", "42"},             // a ";" before the "}" does not count
      {"{A}x}y;z", "x}y"},          // the first "}" opens it
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ExtractVendorId(c.reply), c.id) << c.reply;
}

TEST(EnrolmentRequest, NewVendorSendsEveryKeyInOrderEscaped) {
  TempHome home;
  SettingsStore settings;
  ASSERT_TRUE(SaveVendorDetails(settings, Sample()));
  EXPECT_EQ(BuildEnrolmentRequest(settings, "R42"),
            "/vendor/VendorRegisterUpdate.html?vendor_id=&vendor_password=secret77&company_name=Smith%20Sons"
            "&contact_name=Ann%20Smith&contact_email=ann@smith.example&street=1%20High%20St&city=Leeds"
            "&state=Yorks&zip=LS1%201AA&country=UK&phone=%2B44%201632%20960123&fax=&cc_name=Ann%20O%60Brien"
            "&cc_number=4111111111111111&cc_expiry_date=1228&cc_type=Visa&cc_amount=0"
            "&business_type=Gardening%20tools&business_description=Spades%20%26%20forks"
            "&vendor_url=http://smith.example/&contract_version=1.01&tln_version=BV1.0&reseller_id=R42");
}

TEST(EnrolmentRequest, UpdateSendsTheCardKeysEmptyAndEscapesTheIds) {
  TempHome home;
  SettingsStore settings;
  ASSERT_TRUE(SaveVendorDetails(settings, Sample()));
  settings.WriteText(kVendorSection, "ID", "V 7&x=1");
  const std::string q = BuildEnrolmentRequest(settings, "a&b");
  EXPECT_EQ(q.rfind("/vendor/VendorRegisterUpdate.html?vendor_id=V%207%26x%3D1&vendor_password=secret77&", 0), 0u)
      << q;
  EXPECT_NE(q.find("&fax=&cc_name=&cc_number=&cc_expiry_date=&cc_type=&cc_amount=&business_type="),
            std::string::npos)
      << q;
  const std::string tail = "&tln_version=BV1.0&reseller_id=a%26b";
  EXPECT_EQ(q.substr(q.size() - tail.size()), tail);
}
