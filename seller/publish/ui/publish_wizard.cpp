#include "seller/publish/ui/publish_wizard.h"

#include "seller/shell/context.h"

namespace tendrel {

PublishWizard::PublishWizard(const WizardSite& site)
    : frame_(site.Frame()), pgUploadWizard_(site.PlaceInnerPages()) {}

void PublishWizard::Enter() {
  TurnToFirstPage(pgUploadWizard_);
  // Publishing works on what the Create wizard's pages show.
  frame_.CommitWizard(kCreateWizard);
}

bool PublishWizard::Cancel() {
  if (!frame_.Context().Dialogs().ConfirmYesNo(kCancelPublishQuestion)) return false;
  frame_.SwitchTo(kCreateWizard);
  return true;
}

}  // namespace tendrel
