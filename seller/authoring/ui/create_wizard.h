#pragma once
// The Create wizard: builds the Salebox, the product record's fields, page
// by page. Its pages stay hidden until a kind of content is chosen or a
// Salebox from the page is opened for editing.
#include <memory>

#include "seller/shell/ui/wizard_table.h"

class QStackedWidget;

namespace tendrel {

inline constexpr char kCancelCreateQuestion[] =
    "Are you sure you want to clear this information and start again ?";

class CreateWizard : public Wizard {
 public:
  explicit CreateWizard(const WizardSite& site);
  static std::unique_ptr<Wizard> Make(const WizardSite& site) {
    return std::make_unique<CreateWizard>(site);
  }

  void Enter() override;
  void BeginEdit() override;
  // Clears the product record; Publish and Output have nothing to work on
  // until a new Salebox is made, and nothing is left unplaced.
  void Reset() override;

  // Cancel's question; on Yes resets the wizard and hides its pages. True
  // when the user said Yes.
  bool Cancel();

 private:
  WizardFrame& frame_;
  QStackedWidget* pgEditApplet_;
};

}  // namespace tendrel
