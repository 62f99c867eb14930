#include "seller/enrol/ui/join_wizard.h"

namespace tendrel {

JoinWizard::JoinWizard(const WizardSite& site) : pgJoinWizard_(site.PlaceInnerPages()) {}

void JoinWizard::Enter() { TurnToFirstPage(pgJoinWizard_); }

}  // namespace tendrel
