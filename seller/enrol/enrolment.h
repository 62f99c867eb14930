#pragma once
// Enrolment with the Tillon service: the Join wizard's Finish sends the
// vendor's details (a new vendor gets an ID back; an enrolled one updates its
// details), or stores a vendor ID the user pastes in instead.
//
// The exchange runs in three steps so that the waiting can happen off the
// user-interface thread: Prepare (questions, saving, connecting) and Conclude
// (the reply's handling and its messages) run on the caller's thread;
// between them the caller sends the request with ServiceTransport::Send.
#include <optional>
#include <string>

#include "seller/enrol/vendor_details.h"

namespace tendrel {

class BravantContext;
class ServiceTransport;
struct ServiceOutcome;
class SettingsStore;

inline constexpr char kEnrolPath[] = "/vendor/VendorRegisterUpdate.html";
inline constexpr char kContractVersion[] = "1.01";
inline constexpr char kClientVersion[] = "BV1.0";
// The settings value an installation records its reseller code in: on the
// machine-wide key (an installation writes there, the user's own settings
// cannot change it).
inline constexpr char kResellerValue[] = "Reseller ID";

// The reseller code the installation recorded, or empty.
std::string ReadResellerCode();

// The request for the details stored in the section Vendor: an update when
// Vendor/ID is set (the card keys then go empty), else a new enrolment.
std::string BuildEnrolmentRequest(const SettingsStore& settings, const std::string& resellerCode);

// The vendor ID a new enrolment's reply carries: the text after the first
// "}" up to the first ";" after it, trimmed of blanks; empty when either is
// missing or nothing lies between.
std::string ExtractVendorId(const std::string& reply);

enum class EnrolOutcome {
  Declined,      // the user said No to joining: nothing saved or sent
  PastedStored,  // the pasted ID was stored; nothing sent
  NotSent,       // no connection; the transport has reported it
  Failed,        // the service refused or the exchange failed (reported)
  Updated,       // an enrolled vendor's details were sent
  IdMissing,     // success without a usable ID (reported)
  Enrolled,      // a new vendor ID was stored
};

class Enrolment {
 public:
  explicit Enrolment(BravantContext& context);

  // The finish step's question: asked only of a user without a vendor ID.
  // False when the user declined.
  bool ConfirmJoin();

  // Saves the wizard's fields, then either stores the pasted ID (pastedId
  // set: the user chose to paste) or connects. The request to send, or
  // nothing when the step is over (outcome() tells how).
  std::optional<std::string> Prepare(const VendorDetails& typed, const std::optional<std::string>& pastedId);

  // Handles the exchange's outcome (a failed one gets the transport's error
  // report) and shows the messages; Enrolled leaves the ID in vendorId().
  // The one-time message and the hand-over are the caller's.
  EnrolOutcome Conclude(const ServiceOutcome& exchange);

  // All of it in one go, the exchange on this thread (for callers that may
  // block, and tests).
  EnrolOutcome Run(const VendorDetails& typed, const std::optional<std::string>& pastedId);

  EnrolOutcome outcome() const { return outcome_; }
  const std::string& vendorId() const { return vendorId_; }

 private:
  BravantContext& context_;
  bool update_ = false;
  EnrolOutcome outcome_ = EnrolOutcome::Declined;
  std::string vendorId_;
};

// The texts of enrolment.
inline constexpr char kJoinQuestion[] = "Are you sure you wish to join Tillon and that your details are correct ?";
inline constexpr char kPastedIdStored[] = "The value you supplied has been stored as your Vendor ID.";
inline constexpr char kRegistrationFailed[] = "Vendor Registration Did Not Succeed";
inline constexpr char kDetailsUpdated[] = "The updated details have successfully been sent to Tillon.";
inline constexpr char kIdDidNotArrive[] =
    "An error has occurred ! \r\n\r\nThe server reported that it had sent your Vendor ID, but it did not arrive.  "
    "Please contact Tillon and report this error.";
inline constexpr char kJoinedCongratulations[] = "Congratulations ! Your details have been successfully sent to Tillon !";
inline constexpr char kJoinedKey[] = "Joined Tillon";
// The one-time message after joining; its last sentence names the service's site.
std::string JoinedMessage();

}  // namespace tendrel
