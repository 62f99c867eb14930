#pragma once
// Bravant's main window: the bar of wizard buttons, the page control that
// holds the four wizards, the menus, the information box and the close
// question. The wizards' own pages are added to the pages made here; each
// wizard takes part in the wizard switch through its WizardPage.
#include <QMainWindow>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "seller/shell/wizard.h"

class QAction;
class QMenu;
class QPushButton;
class QStackedWidget;

namespace tendrel {

class BravantContext;
class HostProbe;
class TPaintBox;

class TMainForm : public QMainWindow {
 public:
  // Builds the window and its controls; nothing is asked of the host yet.
  TMainForm(BravantContext& ctx, HostProbe& probe, QWidget* parent = nullptr);
  ~TMainForm() override;

  // Start-up (the form's creation): looks for the host's main window, takes
  // the host's automation object and help file, and chooses the first
  // wizard. False when the host editor is not running: the error has been
  // shown and the program is to end.
  bool Start();

  // Replaces the wizard's part in the switch (each wizard starts with a plain
  // one that only turns its inner page control to its first page). Register
  // before Start.
  void SetWizardPage(Wizard wizard, std::unique_ptr<WizardPage> page);
  WizardPage& Page(Wizard wizard) { return *pages_[Index(wizard)]; }

  // The wizard switch: makes the wizard's page active and runs its entry
  // step, unless it is the active one already.
  void SwitchTo(Wizard wizard);
  // Nothing before start-up has chosen the first wizard.
  std::optional<Wizard> ActiveWizard() const { return active_; }

  // Start-up found a Salebox tag selected in the host.
  bool EditMode() const { return editMode_; }
  // The help file found beside the host; empty when there is none.
  const std::string& HelpFile() const { return helpFile_; }

  // The Cancel buttons' questions. Publish: on Yes switches to Create.
  // Create: on Yes resets the Create wizard and hides its pages. Both return
  // whether the user said Yes.
  bool CancelPublishWizard();
  bool CancelCreateWizard();

  // Menu actions.
  void ShowInformation();
  void CopyVendorIdToClipboard();
  void OpenOptions();
  void ShowHelp();

  // The close question; true when the window may close.
  bool FormCloseQuery();

  // Controls, named as the wizards refer to them.
  QPushButton* btnSalebox;
  QPushButton* btnPublish;
  QPushButton* btnOutput;
  QPushButton* btnRegister;
  TPaintBox* pbxBravantLogo;
  QStackedWidget* pcMain;
  QWidget* tbSalebox;
  QWidget* tbUpload;
  QWidget* tbOutput;
  QWidget* tbRegister;
  TPaintBox* pbxSideCreate;
  TPaintBox* pbxSidePublish;
  TPaintBox* pbxSideOutput;
  TPaintBox* pbxSideJoin;
  QStackedWidget* pgEditApplet;
  QStackedWidget* pgUploadWizard;
  QWidget* pnlOutput;
  QStackedWidget* pgJoinWizard;
  TPaintBox* pbxTillon;
  QMenu* popBrowser;
  QAction* mnuEditProducts;
  QAction* mnuOptions;
  QAction* mnuExit;
  QAction* mnuContents;
  QAction* mnuSearch;
  QAction* mnuVendorID;
  QAction* mnuAbout;

  // The window's fixed size: the menu bar, the button bar and the pages.
  static constexpr int kClientWidth = 498;
  static constexpr int kWindowHeight = 370;
  static constexpr int kButtonBarHeight = 31;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static size_t Index(Wizard w) { return static_cast<size_t>(w); }
  QWidget* PageWidget(Wizard w) const;
  void BuildMenus();
  QWidget* BuildButtonBar();
  QWidget* BuildPage(const char* name, TPaintBox*& side, const char* sideName,
                     const char* bitmap, QWidget* inner);
  void PlaceTillonLogo();

  BravantContext& ctx_;
  HostProbe& probe_;
  std::array<std::unique_ptr<WizardPage>, kWizardCount> pages_;
  std::optional<Wizard> active_;
  bool editMode_ = false;
  bool centred_ = false;
  std::string helpFile_;
};

}  // namespace tendrel
