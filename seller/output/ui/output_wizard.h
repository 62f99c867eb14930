#pragma once
// The Output wizard: puts the Salebox and the service's script into the open
// page. It has a single panel rather than pages: an explanation and the
// button that does the page output.
#include <memory>

#include "seller/output/local_preview.h"
#include "seller/output/page_output.h"
#include "seller/shell/ui/wizard_table.h"

class QMenu;
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

  // btnPreview: offers the host's browsers in the main window's browser
  // menu, popped up at the button's top right corner.
  void PreviewClick();
  // A browser chosen from the menu: the local preview opened with `program`.
  void PreviewWith(const std::string& program);
  // The main window's browser menu ("popBrowser"), or one of the panel's own
  // when the panel stands in no such window.
  QMenu* BrowserMenu();

  PageOutput& Output() { return output_; }
  LocalPreview& Preview() { return preview_; }

 private:
  WizardFrame& frame_;
  PageOutput output_;
  QWidget* pnlOutput_;
  QPushButton* btnOutputAll_ = nullptr;
  QPushButton* btnPreview_ = nullptr;
  QMenu* ownMenu_ = nullptr;
  LocalPreview preview_;
};

}  // namespace tendrel
