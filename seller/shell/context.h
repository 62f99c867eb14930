#pragma once
// Bravant's program-wide objects, owned in one place: the settings store, the
// current product record, the host editor's automation object and the state
// that start-up and the wizards share. The main window and every wizard reach
// them through this object; there are no globals.
#include <memory>
#include <string>

#include "host/host_editor.h"
#include "platform/dialogs.h"
#include "seller/authoring/applet.h"
#include "seller/core/settings.h"
#include "seller/core/show_once.h"
#include "seller/service/transport.h"
#include "seller/shell/state.h"

namespace tendrel {

class BravantContext {
 public:
  // The settings store opens (and creates) its root key here; the product
  // record starts empty and without a host.
  explicit BravantContext(UserDialogs& dialogs,
                          const std::string& settingsRoot = "\\Software\\Tendrel\\Tillon",
                          ServiceConfig service = ServiceConfig::FromDeployment());
  BravantContext(const BravantContext&) = delete;
  BravantContext& operator=(const BravantContext&) = delete;

  UserDialogs& Dialogs() { return dialogs_; }
  SettingsStore& Settings() { return settings_; }
  const SettingsStore& Settings() const { return settings_; }

  // The one Salebox being worked on. It lives as long as the context, so a
  // reference taken at any time stays good.
  TApplet& Applet() { return applet_; }

  // The automation object; null while there is none (creation failed).
  HostEditor* Host() { return host_.get(); }
  // Takes the automation object for the rest of the program's life and tells
  // the product record about it.
  void AttachHost(std::unique_ptr<HostEditor> host);

  // The one road to the Tillon service: its connection is held across
  // requests until an error report or the program's end closes it.
  ServiceTransport& Service() { return service_; }

  // The shared flags: host window found, Salebox placed, edit mode.
  BravantState& State() { return state_; }
  const BravantState& State() const { return state_; }

  // Who shows one-time messages; without one they appear as plain
  // information boxes (and cannot be silenced from there).
  void SetOneTimeMessages(OneTimeMessages* messages) { messages_ = messages; }
  // Shows the message unless the user silenced `key`; true when it was shown.
  bool ShowOnce(const std::string& message, const std::string& key);

  // The program's standard report of an unexpected fault (a failed
  // conversion, say): an error box with the fault's own text.
  void ReportFault(const std::string& message);

 private:
  UserDialogs& dialogs_;
  SettingsStore settings_;
  // Declared before the record, which points at it, so it outlives the record.
  std::unique_ptr<HostEditor> host_;
  TApplet applet_;
  ServiceTransport service_;
  BravantState state_;
  OneTimeMessages* messages_ = nullptr;
};

// The caption of the program's own boxes (its title).
inline constexpr char kProgramTitle[] = "Bravant";
// The caption of a one-time message.
inline constexpr char kShowOnceCaption[] = "Tillon Applicator - A Special Message";

}  // namespace tendrel
