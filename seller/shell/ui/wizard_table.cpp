#include "seller/shell/ui/wizard_table.h"

#include <QBoxLayout>
#include <QStackedWidget>

namespace tendrel {

void WizardSite::Place(QWidget* inner) const {
  if (auto* row = qobject_cast<QBoxLayout*>(page_->layout()))
    row->addWidget(inner, 1);
  else
    inner->setParent(page_);
}

QStackedWidget* WizardSite::PlaceInnerPages() const {
  auto* pages = new QStackedWidget;
  pages->setObjectName(QString::fromStdString(innerName_));
  Place(pages);
  return pages;
}

void TurnToFirstPage(QStackedWidget* pages) {
  if (pages != nullptr && pages->count() > 0) pages->setCurrentIndex(0);
}

}  // namespace tendrel
