#include "seller/wizards/bravant_wizards.h"

#include "seller/authoring/ui/create_wizard.h"
#include "seller/enrol/ui/join_wizard.h"
#include "seller/output/ui/output_wizard.h"
#include "seller/publish/ui/publish_wizard.h"

namespace tendrel {

WizardTable BravantWizards() {
  return {
      // id, button, glyph, accessible name, page, side picture, its bitmap,
      // inner page control, enabled at start, factory
      {kCreateWizard, "btnSalebox", "makesalebox", "Create", "tbSalebox", "pbxSideCreate",
       "sidecreate", "pgEditApplet", true, &CreateWizard::Make},
      {kPublishWizard, "btnPublish", "publish", "Publish", "tbUpload", "pbxSidePublish",
       "sidepublish", "pgUploadWizard", true, &PublishWizard::Make},
      // Nothing to put into the page until a Salebox is made or opened.
      {kOutputWizard, "btnOutput", "output", "Output", "tbOutput", "pbxSideOutput", "sidesend",
       "pnlOutput", false, &OutputWizard::Make},
      {kJoinWizard, "btnRegister", "jointillon", "Join", "tbRegister", "pbxSideJoin", "sidejoin",
       "pgJoinWizard", true, &JoinWizard::Make},
  };
}

const WizardRow* FindWizard(const WizardTable& table, const std::string& id) {
  for (const WizardRow& row : table)
    if (row.id == id) return &row;
  return nullptr;
}

}  // namespace tendrel
