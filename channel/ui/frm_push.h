#pragma once
// Pennant's wizard window. The walk, the summary layout and the history rule
// live in channel/push_walk.h and the generation in channel/generate_channels.h;
// this form holds the controls, under their given object names, and wires
// them up.
#include <QFrame>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "channel/channel_fields.h"
#include "channel/pennant_config.h"
#include "channel/push_walk.h"
#include "platform/qt/keyed_picture.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QToolButton;

namespace tendrel {

class HostEditor;
class PlugInMessageListener;
class TTendrelCombo;
class TTendrelEdit;
class UserDialogs;

namespace channel {

// What the form needs from outside; tests put in their own.
struct PennantServices {
  UserDialogs* dialogs = nullptr;
  // The host-presence test.
  std::function<bool()> hostRunning;
  // The host's automation object; may throw.
  std::function<std::unique_ptr<HostEditor>()> createHost;
  // Shows a help page (a file URL with the topic as its fragment); by
  // default the desktop's browser.
  std::function<void(const std::string& url)> showHelp;
  PennantConfig config;
  // Listen for the host's close message (off in tests that have no bus).
  bool listenForHost = true;
};

// "wizardColor" on screens of more than 8 bits per pixel, else "wizardGrey".
std::string WizardBitmapName(int screenDepth);
// The help page for the host's folder: its topic for the wizard, as a file
// URL; empty when the page is not there.
std::string HelpPage(const std::string& appPath);

// A painted picture: a bitmap drawn with its bottom-left colour see-through,
// chosen by onPaint each time it paints. A click on it is reported.
class PushPicture : public KeyedPicture {
  Q_OBJECT
 public:
  explicit PushPicture(QWidget* parent = nullptr);
  std::function<void(PushPicture*)> onPaint;

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class TfrmPush : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmPush(PennantServices services, QWidget* parent = nullptr);
  ~TfrmPush() override;

  // Start: host-presence test, the automation object, the close message,
  // the defaults, the header pictures, tabIntro. False when the program is
  // to end (the user has been told when the host is not running).
  bool FormCreate();

  // The fields as the controls hold them.
  ChannelFields Fields() const;
  // The ticked viewers: a viewer is chosen exactly while its tick shows.
  channel::Viewers Ticked() const;
  const PushWalk& walk() const { return walk_; }
  HostEditor* host() const { return host_.get(); }
  // Shows a page directly (to look at one page on its own); the summary is
  // filled first.
  void OpenPage(PushPage page);

 signals:
  void closed();

 public slots:
  void btnNextClick();
  void btnBackClick();
  void btnCancelClick();
  void btnHelpClick();
  void imgIETickClick();
  void imgIECrossClick();
  void imgPCTickClick();
  void imgPCCrossClick();
  void imgNetscapeTickClick();
  void imgNetscapeCrossClick();
  void btnPCFileClick();
  void btnIEChannelClick();
  void cmbCommonURLExit();
  void cmbPCSelfExit();
  void cmbIEIconExit();
  void cmbIEPictureExit();
  void cmbNetscapePictureExit();
  void LoadFinalPage();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  class View;
  void BuildForm();
  QWidget* AddPage(const QString& name);
  void BuildMain(QWidget* page);
  void BuildCommon(QWidget* page);
  void BuildPointCast(QWidget* page);
  void BuildIE(QWidget* page);
  void BuildNetscape(QWidget* page);
  void BuildIntro(QWidget* page);
  void BuildFinish(QWidget* page);
  void BuildFooter();
  PushPicture* AddWizardPicture(QWidget* page, const QString& name);
  void AddToggle(QWidget* page, int viewer, int top, const QString& panel, const QString& tick, const QString& cross,
                 const QString& hint, const QString& caption);
  TTendrelCombo* AddHistory(QWidget* page, const QString& name, const char* regValue, const QRect& where);
  void SetDefaults();
  void ShowWalk();
  void Toggle(int viewer, bool tick);
  void HistoryExit(TTendrelCombo* combo);
  void PickChannelFile(QLineEdit* edit);
  // Every way out: the five histories are written to the registry.
  void FormClose();
  // Finish on the summary page; true when the wizard may close.
  bool GenerateChannels();
  QWidget* FieldWidget(PushField field) const;

  PennantServices services_;
  std::unique_ptr<HostEditor> host_;
  std::unique_ptr<View> view_;
  PlugInMessageListener* listener_ = nullptr;
  PushWalk walk_;
  bool closing_ = false;

  QStackedWidget* pageMain_ = nullptr;
  QPushButton* btnHelp_ = nullptr;
  QPushButton* btnBack_ = nullptr;
  QPushButton* btnNext_ = nullptr;
  QPushButton* btnCancel_ = nullptr;
  // Internet Explorer, PointCast, Netscape Netcaster.
  std::array<PushPicture*, 3> ticks_{};
  std::array<PushPicture*, 3> crosses_{};

  QLineEdit* editCommonTitle_ = nullptr;
  TTendrelCombo* cmbCommonURL_ = nullptr;
  QLineEdit* editDescription_ = nullptr;
  QLineEdit* editPCFile_ = nullptr;
  TTendrelCombo* cmbPCSelf_ = nullptr;
  TTendrelEdit* editPCSchedule_ = nullptr;
  QLineEdit* editIEFile_ = nullptr;
  TTendrelCombo* cmbIEIcon_ = nullptr;
  TTendrelCombo* cmbIEPicture_ = nullptr;
  QComboBox* cmbNetscapeUpdate_ = nullptr;
  TTendrelCombo* cmbNetscapePicture_ = nullptr;
  TTendrelEdit* editNetscapeDownload_ = nullptr;
  QComboBox* cmbNetscapeDisplay_ = nullptr;
  std::array<KeyedPicture*, 4> heads_{};  // Common, PointCast, IE, Netscape

  QLabel* lblFinish2_ = nullptr;
  QLabel* lblJava1_ = nullptr;
  QLabel* lblIEFile_ = nullptr;
  QLineEdit* editFinishIE_ = nullptr;
  QLabel* lblPCFile_ = nullptr;
  QLineEdit* editFinishPC_ = nullptr;
  QLabel* lblNetscapeFile_ = nullptr;
};

}  // namespace channel
}  // namespace tendrel
