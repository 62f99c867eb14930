#include "seller/output/ui/output_wizard.h"

#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QWidget>

#include "common/file_error.h"
#include "host/host_editor.h"
#include "platform/qt/page_builder.h"
#include "seller/core/log.h"
#include "seller/shell/context.h"
#include "seller/shell/ui/drawing.h"

namespace tendrel {

namespace {

// The panel's room beside the side picture.
constexpr int kWidth = 398;
constexpr int kHeight = 317;
constexpr int kMargin = 8;

constexpr QRect Row(int top, int height) { return QRect(kMargin, top, kWidth - 2 * kMargin, height); }

QFont FormFont() {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setStyleHint(QFont::SansSerif);
  f.setPointSize(8);
  return f;
}

const PageControl kRows[] = {
    {Ctl::Heading, "", "Put the Salebox into your page", Row(8, 18)},
    {Ctl::Text, "",
     "The button below puts the Salebox you have made into the page that is open in Marquill, where the cursor "
     "stands. Any text selected there is replaced by the Salebox.",
     Row(34, 44)},
    {Ctl::Text, "",
     "Bravant also adds what every Salebox on the page needs to work: the Tillon script in the page's head, a "
     "call to it in the page's body tag, and the Tillon applet through which the Saleboxes talk to Tillon. The "
     "Saleboxes already on the page are renumbered in the order they stand.",
     Row(86, 72)},
    {Ctl::Text, "",
     "The page needs a <HEAD> tag for the script. When the Salebox is in place, save the page and upload it to "
     "your web server as you normally would.",
     Row(166, 44)},
    {Ctl::Button, "btnOutputAll", "&Output Salebox To Marquill", QRect(kMargin, 222, 220, 25)},
    {Ctl::Button, "btnPreview", "&Preview", QRect(kMargin + 228, 222, 100, 25)},
};

}  // namespace

OutputWizard::OutputWizard(const WizardSite& site)
    : frame_(site.Frame()), output_(site.Context()), pnlOutput_(new QWidget), preview_(site.Context(), output_) {
  pnlOutput_->setObjectName(QString::fromStdString(site.InnerName()));
  pnlOutput_->setFont(FormFont());
  pnlOutput_->setMinimumSize(kWidth, kHeight);
  const PageControls made = BuildPage(pnlOutput_, kRows);
  btnOutputAll_ = made.get<QPushButton>(QStringLiteral("btnOutputAll"));
  QObject::connect(btnOutputAll_, &QPushButton::clicked, pnlOutput_, [this] { OutputAllClick(); });
  btnPreview_ = made.get<QPushButton>(QStringLiteral("btnPreview"));
  QObject::connect(btnPreview_, &QPushButton::clicked, pnlOutput_, [this] { PreviewClick(); });
  LocalPreview::Hooks hooks;
  hooks.windowTitles = [] {
    std::vector<std::string> titles;
    for (const QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible()) titles.push_back(w->windowTitle().toStdString());
    return titles;
  };
  preview_.SetHooks(std::move(hooks));
  site.Place(pnlOutput_);
}

void OutputWizard::Enter() { frame_.CommitWizard(kCreateWizard); }

void OutputWizard::OutputAllClick() {
  PageOutput::Hooks hooks;
  hooks.busy = [](bool on) {
    if (on)
      BusyCursor();
    else
      NormalCursor();
  };
  hooks.createAnother = [this] {
    frame_.ResetWizard(kCreateWizard);
    frame_.SwitchTo(kCreateWizard);
  };
  try {
    output_.OutputAll(hooks);
  } catch (const EHostError& e) {
    qCWarning(lcSeller, "The page output failed: %s", e.what());
    frame_.Context().ReportFault(e.what());
  }
}

QMenu* OutputWizard::BrowserMenu() {
  if (QMenu* menu = pnlOutput_->window()->findChild<QMenu*>(QStringLiteral("popBrowser"))) return menu;
  if (!ownMenu_) {
    ownMenu_ = new QMenu(pnlOutput_);
    ownMenu_->setObjectName(QStringLiteral("popBrowser"));
  }
  return ownMenu_;
}

void OutputWizard::PreviewClick() {
  std::optional<std::vector<BrowserEntry>> browsers;
  try {
    browsers = preview_.OfferBrowsers();
  } catch (const EHostError& e) {
    qCWarning(lcSeller, "Reading the browser list failed: %s", e.what());
    frame_.Context().ReportFault(e.what());
    return;
  }
  if (!browsers) return;
  QMenu* menu = BrowserMenu();
  menu->clear();
  for (const BrowserEntry& b : *browsers) {
    QAction* item = menu->addAction(QString::fromStdString(b.caption));
    const std::string program = b.program;
    QObject::connect(item, &QAction::triggered, pnlOutput_, [this, program] { PreviewWith(program); });
  }
  menu->popup(btnPreview_->mapToGlobal(QPoint(btnPreview_->width(), 0)));
}

void OutputWizard::PreviewWith(const std::string& program) {
  BusyCursor();
  try {
    preview_.PreviewWithBrowser(program);
    NormalCursor();
  } catch (const EHostError& e) {
    NormalCursor();
    qCWarning(lcSeller, "The preview failed: %s", e.what());
    frame_.Context().ReportFault(e.what());
  } catch (const FileError& e) {
    NormalCursor();
    qCWarning(lcSeller, "Writing the preview failed: %s", e.what());
    frame_.Context().ReportFault(e.what());
  }
}

}  // namespace tendrel
