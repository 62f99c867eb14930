#pragma once
// Bravant's wizards, each named once: the table its main window is built
// from. A new wizard is one more row here and a folder of its own.
#include "seller/shell/ui/wizard_table.h"

namespace tendrel {

// Create, Publish, Output and Join, in the order of the bar and the pages.
WizardTable BravantWizards();

// The row whose id is `id`; null when there is none.
const WizardRow* FindWizard(const WizardTable& table, const std::string& id);

}  // namespace tendrel
