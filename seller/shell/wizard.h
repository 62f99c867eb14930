#pragma once
// The seam between Bravant's main window and its wizards. The window is built
// from a table of wizards (seller/shell/ui/wizard_table.h); each wizard takes
// part in the wizard switch through its Wizard object and reaches the window
// only through the WizardFrame it is given, never through its widgets.
#include <string>

namespace tendrel {

class BravantContext;

// The ids of the wizards that start-up and the wizards hand over to by name.
// An id is also the value of bravant's hidden --page option.
inline constexpr char kCreateWizard[] = "create";
inline constexpr char kPublishWizard[] = "publish";
inline constexpr char kOutputWizard[] = "output";
inline constexpr char kJoinWizard[] = "join";

// One wizard as the main window sees it.
class Wizard {
 public:
  virtual ~Wizard() = default;
  // The entry step: run each time the switch makes this wizard the active one.
  virtual void Enter() = 0;
  // Start-up found a Salebox tag selected in the host (the record holds it):
  // the wizard opens on it for editing. Only the Create wizard acts on it.
  virtual void BeginEdit() {}
  // Throw away what has been entered and start afresh.
  virtual void Reset() {}
  // Write what the pages show into the product record (the Create wizard's
  // fields, before Publish or Output works on the record).
  virtual void Commit() {}
};

// What a wizard may ask of the main window. Ids the window does not know are
// ignored (nothing is enabled, nothing is switched to).
class WizardFrame {
 public:
  virtual ~WizardFrame() = default;
  // The wizard's button on the bar.
  virtual void EnableWizard(const std::string& id, bool enabled) = 0;
  virtual bool WizardEnabled(const std::string& id) const = 0;
  // The wizard switch: makes the wizard active and runs its entry step,
  // unless it is the active one already.
  virtual void SwitchTo(const std::string& id) = 0;
  // Runs the wizard's Reset or Commit (see Wizard).
  virtual void ResetWizard(const std::string& id) = 0;
  virtual void CommitWizard(const std::string& id) = 0;
  // The active wizard's id; empty until start-up has chosen the first one.
  virtual std::string ActiveWizard() const = 0;
  // The step in progress during long work; the empty text takes it away.
  virtual void ShowStatus(const std::string& text) = 0;
  // The program-wide objects and the shared state (the Salebox-placed flag).
  virtual BravantContext& Context() = 0;
};

}  // namespace tendrel
