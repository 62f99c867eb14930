#include "seller/output/ui/output_wizard.h"

#include <QWidget>

namespace tendrel {

OutputWizard::OutputWizard(const WizardSite& site) : pnlOutput_(new QWidget) {
  pnlOutput_->setObjectName(QString::fromStdString(site.InnerName()));
  site.Place(pnlOutput_);
}

}  // namespace tendrel
