#pragma once
// The Publish wizard: registers the Salebox with the service and uploads its
// files to the vendor's web server.
#include <memory>

#include "seller/shell/ui/wizard_table.h"

class QStackedWidget;

namespace tendrel {

inline constexpr char kCancelPublishQuestion[] =
    "Are you sure you want to cancel the Publish Wizard ?";

class PublishWizard : public Wizard {
 public:
  explicit PublishWizard(const WizardSite& site);
  static std::unique_ptr<Wizard> Make(const WizardSite& site) {
    return std::make_unique<PublishWizard>(site);
  }

  void Enter() override;

  // Cancel's question; on Yes goes back to the Create wizard. True when the
  // user said Yes.
  bool Cancel();

 private:
  WizardFrame& frame_;
  QStackedWidget* pgUploadWizard_;
};

}  // namespace tendrel
