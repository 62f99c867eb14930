#pragma once
// The four wizards of Bravant's main window, in the order of its page control,
// and the seam through which each wizard takes part in the wizard switch.
namespace tendrel {

enum class Wizard { Create = 0, Publish = 1, Output = 2, Join = 3 };

inline constexpr int kWizardCount = 4;

// One wizard as the main window sees it. The window owns one per wizard and
// calls it; the wizard's own pages and buttons live on the window's page.
class WizardPage {
 public:
  virtual ~WizardPage() = default;
  // The entry step: run each time the switch makes this wizard the active one.
  virtual void Enter() = 0;
  // Start-up found a Salebox tag selected in the host (the record holds it):
  // the wizard opens on it for editing. Only the Create wizard acts on it.
  virtual void BeginEdit() {}
  // Throw away what has been entered and start afresh (Create's Cancel).
  virtual void Reset() {}
};

}  // namespace tendrel
