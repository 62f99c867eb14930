#include "trial_wizard.h"

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace shelltest {

TrialWizard::TrialWizard(const tendrel::WizardSite& site, TrialLog& log)
    : frame_(site.Frame()), log_(log), pages_(site.PlaceInnerPages()) {
  ++log_.made;
  auto* first = new QWidget;
  first->setObjectName(QStringLiteral("tabTrialFirst"));
  auto* column = new QVBoxLayout(first);
  column->addWidget(new QLabel(QStringLiteral("A wizard the tests add."), first));
  auto* done = new QPushButton(QStringLiteral("&Done"), first);
  done->setObjectName(QStringLiteral("btnTrialDone"));
  column->addWidget(done);
  QObject::connect(done, &QPushButton::clicked, [this] {
    frame_.EnableWizard(tendrel::kOutputWizard, true);
    frame_.ShowStatus(kTrialStatus);
    frame_.SwitchTo(tendrel::kJoinWizard);
  });
  auto* second = new QWidget;
  second->setObjectName(QStringLiteral("tabTrialSecond"));
  pages_->addWidget(first);
  pages_->addWidget(second);
}

void TrialWizard::Enter() {
  ++log_.entries;
  tendrel::TurnToFirstPage(pages_);
}

tendrel::WizardRow TrialRow(TrialLog& log) {
  return {"trial",   "btnTrial", "output",  "Trial", "tbTrial", "pbxSideTrial",
          "sidejoin", "pgTrial", true,
          [&log](const tendrel::WizardSite& site) -> std::unique_ptr<tendrel::Wizard> {
            return std::make_unique<TrialWizard>(site, log);
          }};
}

}  // namespace shelltest
