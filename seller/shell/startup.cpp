#include "seller/shell/startup.h"

#include "seller/core/settings.h"

namespace tendrel {

StartupPlan PlanStartup(const StartupFacts& facts) {
  StartupPlan plan;
  plan.editMode = facts.selectionIsSalebox;
  plan.outputEnabled = plan.editMode;
  const bool enrolled = !facts.storedVendorId.empty();
  plan.saleboxEnabled = enrolled;
  plan.first = enrolled ? kCreateWizard : kJoinWizard;
  // A fresh record carries no vendor; only a tag read from the page can.
  plan.publishEnabled = !facts.recordVendorId.empty();
  return plan;
}

std::string InformationText(bool hostWindowFound, bool logging, const std::string& company,
                            const std::string& contact, const std::string& vendorId) {
  const std::string crlf = "\r\n";
  std::string text = "Bravant 1.0";
  if (hostWindowFound) text += crlf + "Linked to Marquill";
  if (logging) text += crlf + "Writing log file \"" + kLogFileName + "\"";
  text += crlf + crlf + "Company : " + company;
  text += crlf + "Contact : " + contact;
  if (!vendorId.empty()) text += crlf + crlf + "Vendor ID : " + vendorId;
  return text;
}

std::string InformationText(const SettingsStore& settings, bool hostWindowFound) {
  return InformationText(hostWindowFound, RegYes(settings, "Options", "Logging", "No"),
                         settings.ReadText("Vendor", "Company Name", ""),
                         settings.ReadText("Vendor", "Contact Name", ""),
                         settings.ReadText("Vendor", "ID", ""));
}

}  // namespace tendrel
