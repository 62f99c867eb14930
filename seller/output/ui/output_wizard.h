#pragma once
// The Output wizard: puts the Salebox and the service's script into the open
// page. It has a single panel rather than pages.
#include <memory>

#include "seller/shell/ui/wizard_table.h"

namespace tendrel {

class OutputWizard : public Wizard {
 public:
  explicit OutputWizard(const WizardSite& site);
  static std::unique_ptr<Wizard> Make(const WizardSite& site) {
    return std::make_unique<OutputWizard>(site);
  }

  // Nothing to turn to: the panel is all there is.
  void Enter() override {}

 private:
  QWidget* pnlOutput_;
};

}  // namespace tendrel
