#pragma once
// The Publish wizard: registers the Salebox with the service and uploads its
// files to the vendor's web server. Its pages introduce the work, let the
// vendor edit or choose an upload server and install the service's classes
// there, and list what Finish will publish. Finish runs the publish pipeline
// (seller/publish/pipeline.h) with its long steps on a worker thread; the
// window keeps repainting and the wizard's buttons stay disabled meanwhile.
#include <QObject>
#include <memory>
#include <string>
#include <vector>

#include "seller/publish/class_install.h"
#include "seller/publish/pipeline.h"
#include "seller/publish/servers.h"
#include "seller/shell/ui/wizard_table.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTreeWidget;
class QWidget;

namespace tendrel {

class ChooseServerPage;
class KeyedPicture;
class ServerDefinitionPage;
class StepRunner;
class TApplet;

inline constexpr char kCancelPublishQuestion[] =
    "Are you sure you want to cancel the Publish Wizard ?";
inline constexpr char kChooseServerMessage[] = "Please choose a server to receive your files.";
// The setting behind the check box of the last page.
inline constexpr char kProcessAllValue[] = "Process All Saleboxes";

// The pages, in the order they are walked.
enum PublishPage {
  kIntroPage,
  kEditOrUploadPage,
  kServerDefinitionPage,
  kChooseServerPage,
  kInstallClassesPage,
  kRegisterUploadPage,
  kPublishPageCount
};

class PublishWizard : public QObject, public Wizard {
  Q_OBJECT

 public:
  explicit PublishWizard(const WizardSite& site);
  ~PublishWizard() override;
  static std::unique_ptr<Wizard> Make(const WizardSite& site) {
    return std::make_unique<PublishWizard>(site);
  }

  // Turns to the first page, takes the Create wizard's fields into the
  // record, loads the server lists (choosing the first page's option) and
  // builds the publish list.
  void Enter() override;

  // Cancel's question; on Yes goes back to the Create wizard. True when the
  // user said Yes.
  bool Cancel();

  // The buttons.
  void Next();
  void Back();
  void InstallClasses();
  void RemoveFromList();

  // The publish list again: the current Salebox when it has no product ID
  // yet or the check box asks for every Salebox.
  void BuildList();

  int CurrentPage() const;
  // True while the publish run or the class installation is under way.
  bool Working() const;
  // The records the publish list holds, top to bottom.
  std::vector<TApplet*> ListedRecords() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildPages(const WizardSite& site);
  void Arrived(int page);
  void UpdateButtons();
  void ProcessAllChanged();
  void Finish();
  void SetWorking(bool on);
  void SetStatus(const std::string& text);
  void SetRowStatus(size_t row, const std::string& text);
  bool UploadChosen() const;

  WizardFrame& frame_;
  ServerStore store_;
  QStackedWidget* pgUploadWizard_ = nullptr;
  QWidget* pages_[kPublishPageCount] = {};
  ServerDefinitionPage* serverDefinition_ = nullptr;
  ChooseServerPage* chooseServer_ = nullptr;
  KeyedPicture* imgSection_ = nullptr;
  KeyedPicture* imgFinish_ = nullptr;
  QRadioButton* optEditServers_ = nullptr;
  QRadioButton* optUploadSalebox_ = nullptr;
  QPushButton* btnInstallClasses_ = nullptr;
  QTreeWidget* lvApplets_ = nullptr;
  QPushButton* btnRemove_ = nullptr;
  QCheckBox* chkProcessAll_ = nullptr;
  QLabel* lblAlreadyRegistered_ = nullptr;
  QLabel* lblUploadStatus_ = nullptr;
  QPushButton* btnUploadHelp_ = nullptr;
  QPushButton* btnUploadBack_ = nullptr;
  QPushButton* btnUploadNext_ = nullptr;
  QPushButton* btnClose_ = nullptr;

  // Whether the install button is to be enabled once the work is over.
  bool installEnabled_ = true;
  // The bar buttons' states, kept while the work is under way.
  std::vector<std::pair<std::string, bool>> barState_;

  StepRunner* runner_ = nullptr;
  std::unique_ptr<BlockingRunner> blocking_;
  std::unique_ptr<PublishPipeline> pipeline_;
  std::unique_ptr<ClassInstallation> installation_;
};

}  // namespace tendrel
