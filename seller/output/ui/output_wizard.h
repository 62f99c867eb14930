#pragma once
// The Output wizard: puts the Salebox and the service's script into the open
// page. It has a single panel rather than pages: an explanation and the
// button that does the page output.
#include <memory>

#include "seller/output/page_output.h"
#include "seller/shell/ui/wizard_table.h"

class QPushButton;
class QWidget;

namespace tendrel {

class OutputWizard : public Wizard {
 public:
  explicit OutputWizard(const WizardSite& site);
  static std::unique_ptr<Wizard> Make(const WizardSite& site) {
    return std::make_unique<OutputWizard>(site);
  }

  // The record is brought up to date with what the Create wizard shows.
  void Enter() override;

  // btnOutputAll: the page output, with the hourglass while the page is
  // written. A failing host call is reported, the page left as it stands.
  void OutputAllClick();

  PageOutput& Output() { return output_; }

 private:
  WizardFrame& frame_;
  PageOutput output_;
  QWidget* pnlOutput_;
  QPushButton* btnOutputAll_ = nullptr;
};

}  // namespace tendrel
