#pragma once
// The Join wizard: enrols the author as a Tillon vendor, page by page.
#include <memory>

#include "seller/shell/ui/wizard_table.h"

class QStackedWidget;

namespace tendrel {

class JoinWizard : public Wizard {
 public:
  explicit JoinWizard(const WizardSite& site);
  static std::unique_ptr<Wizard> Make(const WizardSite& site) {
    return std::make_unique<JoinWizard>(site);
  }

  void Enter() override;

 private:
  QStackedWidget* pgJoinWizard_;
};

}  // namespace tendrel
