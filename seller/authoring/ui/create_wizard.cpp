#include "seller/authoring/ui/create_wizard.h"

#include <QStackedWidget>

#include "seller/shell/context.h"

namespace tendrel {

CreateWizard::CreateWizard(const WizardSite& site)
    : frame_(site.Frame()), pgEditApplet_(site.PlaceInnerPages()) {
  // Until a kind of file is chosen the wizard shows no pages.
  pgEditApplet_->hide();
}

void CreateWizard::Enter() { TurnToFirstPage(pgEditApplet_); }

void CreateWizard::BeginEdit() { pgEditApplet_->show(); }

void CreateWizard::Reset() {
  BravantContext& ctx = frame_.Context();
  ctx.Applet().Clear();
  frame_.EnableWizard(kPublishWizard, false);
  frame_.EnableWizard(kOutputWizard, false);
  ctx.State().SetSaleboxPlaced(true);
}

bool CreateWizard::Cancel() {
  if (!frame_.Context().Dialogs().ConfirmYesNo(kCancelCreateQuestion)) return false;
  Reset();
  pgEditApplet_->hide();
  return true;
}

}  // namespace tendrel
