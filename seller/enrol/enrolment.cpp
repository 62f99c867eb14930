#include "seller/enrol/enrolment.h"

#include "common/text.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "seller/core/deployment.h"
#include "seller/core/settings.h"
#include "seller/service/service_query.h"
#include "seller/service/transport.h"
#include "seller/shell/context.h"

namespace tendrel {

std::string ReadResellerCode() {
  std::string code;
  if (const auto key = RegistryKey::Open(RegRoot::LocalMachine, "\\Software\\Tendrel\\Tillon", false))
    key->ReadString(kResellerValue, code);
  return Trim(code);
}

std::string BuildEnrolmentRequest(const SettingsStore& settings, const std::string& resellerCode) {
  const VendorDetails d = LoadVendorDetails(settings);
  const bool update = !d.id.empty();
  // An update never carries card details: they cannot be changed this way.
  const auto card = [update](const std::string& value) { return update ? std::string() : value; };
  ServiceQuery q(kEnrolPath);
  q.Add("vendor_id", d.id)
      .Add("vendor_password", d.password)
      .Add("company_name", d.companyName)
      .Add("contact_name", d.contactName)
      .Add("contact_email", d.contactEmail)
      .Add("street", d.street)
      .Add("city", d.city)
      .Add("state", d.state)
      .Add("zip", d.postcode)
      .Add("country", d.country)
      .Add("phone", d.phone)
      .Add("fax", d.fax)
      .Add("cc_name", card(d.ccName))
      .Add("cc_number", card(d.ccNumber))
      .Add("cc_expiry_date", card(d.ccExpiryDate))
      .Add("cc_type", card(d.ccType))
      .Add("cc_amount", card("0"))
      .Add("business_type", d.businessType)
      .Add("business_description", d.businessDescription)
      .Add("vendor_url", d.url)
      .Add("contract_version", kContractVersion)
      .Add("tln_version", kClientVersion)
      .Add("reseller_id", resellerCode);
  return q.Text();
}

std::string ExtractVendorId(const std::string& reply) {
  const auto open = reply.find('}');
  if (open == std::string::npos) return {};
  const auto close = reply.find(';', open + 1);
  if (close == std::string::npos) return {};
  return Trim(reply.substr(open + 1, close - open - 1));
}

std::string JoinedMessage() {
  return "As a member of Tillon you can now offer pay-per-view content on the World Wide Web.  Make a new document "
         "and use the Bravant Wizards to create \"Saleboxes\" on your web site, then use the Upload Wizard to "
         "encode, register and upload your content.  Your sales and earnings can be followed at " +
         deployment::TillonWebSite() + ".";
}

Enrolment::Enrolment(BravantContext& context) : context_(context) {}

bool Enrolment::ConfirmJoin() {
  if (!context_.Settings().ReadText(kVendorSection, "ID", "").empty()) return true;
  const bool yes = context_.Dialogs().Message(kJoinQuestion, kProgramTitle, MsgIcon::Information,
                                              MsgButtons::YesNo) == MsgResult::Yes;
  if (!yes) outcome_ = EnrolOutcome::Declined;
  return yes;
}

std::optional<std::string> Enrolment::Prepare(const VendorDetails& typed,
                                              const std::optional<std::string>& pastedId) {
  SettingsStore& settings = context_.Settings();
  vendorId_.clear();
  SaveVendorDetails(settings, typed);
  if (pastedId) {
    settings.WriteText(kVendorSection, "ID", *pastedId);
    context_.Dialogs().Message(kPastedIdStored, kProgramTitle, MsgIcon::None, MsgButtons::Ok);
    outcome_ = EnrolOutcome::PastedStored;
    return std::nullopt;
  }
  if (!context_.Service().Connect()) {
    outcome_ = EnrolOutcome::NotSent;
    return std::nullopt;
  }
  update_ = !settings.ReadText(kVendorSection, "ID", "").empty();
  return BuildEnrolmentRequest(settings, ReadResellerCode());
}

EnrolOutcome Enrolment::Conclude(const ServiceOutcome& exchange) {
  UserDialogs& dialogs = context_.Dialogs();
  const auto say = [&dialogs](const std::string& text) {
    dialogs.Message(text, kProgramTitle, MsgIcon::None, MsgButtons::Ok);
  };
  ServiceTransport& service = context_.Service();
  // A failed exchange gets the transport's report only: a second box with an
  // empty reply would tell the user nothing more.
  if (!exchange) {
    service.Finish(exchange);
    return outcome_ = EnrolOutcome::Failed;
  }
  const std::string& reply = exchange.reply;
  if (!ReplySucceeded(reply)) {
    service.ErrorReport(kRegistrationFailed, reply);
    return outcome_ = EnrolOutcome::Failed;
  }
  if (update_) {
    say(kDetailsUpdated);
    return outcome_ = EnrolOutcome::Updated;
  }
  std::string id = ExtractVendorId(reply);
  if (id.empty()) {
    say(kIdDidNotArrive);
    return outcome_ = EnrolOutcome::IdMissing;
  }
  context_.Settings().WriteText(kVendorSection, "ID", id);
  vendorId_ = std::move(id);
  say(kJoinedCongratulations);
  return outcome_ = EnrolOutcome::Enrolled;
}

EnrolOutcome Enrolment::Run(const VendorDetails& typed, const std::optional<std::string>& pastedId) {
  if (!ConfirmJoin()) return outcome_;
  const auto request = Prepare(typed, pastedId);
  if (!request) return outcome_;
  context_.Service().Busy(true);
  return Conclude(context_.Service().Send(*request));
}

}  // namespace tendrel
