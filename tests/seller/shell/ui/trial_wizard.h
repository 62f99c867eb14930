#pragma once
// A throw-away wizard that exists only in the tests: one more row for
// Bravant's table and its own class, to show that a wizard needs nothing
// else. It has two pages and, on its first, a button that hands over through
// the frame: it enables Output, shows a status text and switches to Join.
#include <memory>

#include "seller/shell/ui/wizard_table.h"

class QPushButton;
class QStackedWidget;

namespace shelltest {

// What the test reads back of the wizard.
struct TrialLog {
  int made = 0;
  int entries = 0;
};

class TrialWizard : public tendrel::Wizard {
 public:
  TrialWizard(const tendrel::WizardSite& site, TrialLog& log);
  void Enter() override;

 private:
  tendrel::WizardFrame& frame_;
  TrialLog& log_;
  QStackedWidget* pages_;
};

// The wizard's row: id "trial", button btnTrial, page tbTrial, inner pgTrial.
tendrel::WizardRow TrialRow(TrialLog& log);

inline constexpr char kTrialStatus[] = "Trying the trial wizard...";

}  // namespace shelltest
