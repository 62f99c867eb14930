#pragma once
// What Bravant decides while it starts, kept apart from the window so it can
// be checked without one: which wizard comes first, whether a Salebox is
// opened for editing, which bar buttons are enabled. Also the texts of the
// main window's boxes.
#include <string>

#include "seller/shell/wizard.h"

namespace tendrel {

class SettingsStore;

inline constexpr char kHostMissingText[] =
    "This program can only be run from within  Marquill. Please start Marquill and try again.";
inline constexpr char kHostMissingCaption[] = "Error";
inline constexpr char kHostConnectFailedText[] = "An error occurred while connecting to Marquill.";
inline constexpr char kCloseQuestion[] =
    "You have not yet put the current Salebox into Marquill. Would you still like to close this "
    "program ?";
inline constexpr char kLogFileName[] = "tlnlog.txt";

struct StartupFacts {
  // The host's selection was not empty and the product record took it as a
  // Salebox tag.
  bool selectionIsSalebox = false;
  // Vendor/ID of the settings.
  std::string storedVendorId;
  // The vendor ID the product record carries (from the tag, in edit mode).
  std::string recordVendorId;
};

struct StartupPlan {
  // The id of the wizard shown first.
  std::string first = kJoinWizard;
  bool editMode = false;
  bool saleboxEnabled = false;
  bool publishEnabled = false;
  bool outputEnabled = false;
};

// Join first (Create disabled) for a user without a vendor ID, else Create;
// edit mode, with Output enabled, when a Salebox tag was selected; Publish
// only when the record names a vendor.
StartupPlan PlanStartup(const StartupFacts& facts);

// The information box's text, lines joined by CR LF. Ampersands stay single:
// the box shows its text as it is.
std::string InformationText(bool hostWindowFound, bool logging, const std::string& company,
                            const std::string& contact, const std::string& vendorId);
// The same from the settings (Options/Logging, Vendor/Company Name, Contact
// Name and ID).
std::string InformationText(const SettingsStore& settings, bool hostWindowFound);

}  // namespace tendrel
