#pragma once
// Bravant's main window: the bar of wizard buttons, the page control that
// holds the wizards, the menus, the information box and the close question.
// It is built from a table of wizards (one bar button and one page per row,
// in table order) and is the frame through which the wizards reach it.
#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "seller/shell/ui/wizard_table.h"
#include "seller/shell/wizard.h"

class QAction;
class QMenu;
class QPushButton;
class QStackedWidget;

namespace tendrel {

class BravantContext;
class HostProbe;
class TPaintBox;

class TMainForm : public QMainWindow, public WizardFrame {
 public:
  // Builds the window, its controls and the table's wizards; nothing is
  // asked of the host yet.
  TMainForm(BravantContext& ctx, HostProbe& probe, WizardTable wizards,
            QWidget* parent = nullptr);
  ~TMainForm() override;

  // Start-up (the form's creation): looks for the host's main window, takes
  // the host's automation object and help file, and chooses the first
  // wizard. False when the host editor is not running: the error has been
  // shown and the program is to end.
  bool Start();

  // The frame the wizards see.
  void EnableWizard(const std::string& id, bool enabled) override;
  bool WizardEnabled(const std::string& id) const override;
  void SwitchTo(const std::string& id) override;
  void ResetWizard(const std::string& id) override;
  void CommitWizard(const std::string& id) override;
  std::string ActiveWizard() const override { return active_; }
  // Shown in a status line under the pages while there is a text; the pages
  // keep their size (the window grows by the line).
  void ShowStatus(const std::string& text) override;
  BravantContext& Context() override { return ctx_; }

  // The wizard built from the row `id`; null when the table has none.
  Wizard* WizardFor(const std::string& id) const;

  // Start-up found a Salebox tag selected in the host.
  bool EditMode() const;
  // The help file found beside the host; empty when there is none.
  const std::string& HelpFile() const { return helpFile_; }

  // Menu actions.
  void ShowInformation();
  void CopyVendorIdToClipboard();
  void OpenOptions();
  void ShowHelp();

  // "&Edit Registered Products" opens what `open` shows (modally, under the
  // window); without one the item stays disabled.
  void SetProductEditor(std::function<void(QWidget* parent)> open);

  // The close question; true when the window may close.
  bool FormCloseQuery();

  // The window's fixed size: the menu bar, the button bar and the pages.
  static constexpr int kClientWidth = 498;
  static constexpr int kWindowHeight = 370;
  static constexpr int kButtonBarHeight = 31;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // What the window made for one row of the table.
  struct Entry {
    WizardRow row;
    QPushButton* button = nullptr;
    QWidget* page = nullptr;
    TPaintBox* side = nullptr;
    std::unique_ptr<Wizard> wizard;
  };

  const Entry* Find(const std::string& id) const;
  void BuildMenus();
  QWidget* BuildButtonBar(QWidget* parent);
  void BuildWizard(Entry& entry);
  void PlaceTillonLogo();

  BravantContext& ctx_;
  HostProbe& probe_;
  std::vector<Entry> wizards_;
  std::string active_;
  bool centred_ = false;
  std::string helpFile_;

  QWidget* pnlButtons_ = nullptr;
  TPaintBox* pbxBravantLogo_ = nullptr;
  QStackedWidget* pcMain_ = nullptr;
  TPaintBox* pbxTillon_ = nullptr;
  QMenu* popBrowser_ = nullptr;
  QAction* mnuEditProducts_ = nullptr;
  std::function<void(QWidget*)> openProducts_;
  QAction* mnuOptions_ = nullptr;
  QAction* mnuExit_ = nullptr;
  QAction* mnuContents_ = nullptr;
  QAction* mnuSearch_ = nullptr;
  QAction* mnuVendorID_ = nullptr;
  QAction* mnuAbout_ = nullptr;
};

}  // namespace tendrel
