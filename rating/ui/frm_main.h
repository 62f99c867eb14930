#pragma once
// Kestrel's wizard window. The rules live in the rating library; this form
// holds the controls, under their given object names, and wires them up.
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "platform/qt/keyed_picture.h"
#include "platform/qt/progress_window.h"
#include "rating/kestrel_config.h"
#include "rating/page_walk.h"
#include "rating/rating.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QStackedWidget;

namespace tendrel {

class HostEditor;
class RatingLink;
class RatingSubmission;
class StepRunner;
class SubmissionView;
class UserDialogs;
class PlugInMessageListener;

// What the form needs from outside; tests put in their own.
struct KestrelServices {
  UserDialogs* dialogs = nullptr;
  // The host-presence test.
  std::function<bool()> hostRunning;
  // The host's automation object; may throw EHostError.
  std::function<std::unique_ptr<HostEditor>()> createHost;
  // The link to SafeSurf's registration server.
  std::function<std::unique_ptr<RatingLink>()> createLink;
  KestrelConfig config;
  // Listen for the host's close message (off in tests that have no bus).
  bool listenForHost = true;
};

// The wizard picture: a bitmap drawn with its bottom-left colour see-through,
// chosen afresh whenever it paints.
class WizardPicture : public KeyedPicture {
  Q_OBJECT
 public:
  explicit WizardPicture(QWidget* parent = nullptr);
  std::function<void(WizardPicture*)> onPaint;
  void Draw(const QString& resource);  // called from onPaint

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// "FULLWIZ" for a screen of more than 8 bits per pixel, else "STDWIZ".
QString WizardBitmapName(int screenDepth);

// The small window that shows the progress of a submission.
class TfrmSendInfo : public ProgressWindow {
  Q_OBJECT
 public:
  explicit TfrmSendInfo(QWidget* parent = nullptr);
  QLabel* lblInfo;
  QProgressBar* SendProgBar;
};

class TfrmMain : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmMain(KestrelServices services, QWidget* parent = nullptr);
  ~TfrmMain() override;

  // Start: fills the descriptions, runs the host-presence test and reads the
  // document's title. False when the host is not running (the user has been
  // told); the program then ends.
  bool FormCreate();

  // The rating as the controls hold it.
  Rating CurrentRating() const;
  // The label builder.
  std::string BuildLabel() const;

  const PageWalk& walk() const { return walk_; }
  HostEditor* host() const { return host_.get(); }
  TfrmSendInfo* sendInfo() const { return frmSendInfo_; }
  // A submission step is running: the wizard's buttons are disabled.
  bool stepping() const;
  // Shows a page directly (to look at one page on its own).
  void OpenPage(int page);

 signals:
  void closed();

 public slots:
  void NextButtClick();
  void BackButtClick();
  void CancelButtClick();
  void FinishButtClick();
  void btnSetIndividualClick();
  void btnSubmitClick();
  void btnSaveClick();
  void trk000Change() { SliderChange(0); }
  void trk001Change() { SliderChange(1); }
  void trk002Change() { SliderChange(2); }
  void trk003Change() { SliderChange(3); }
  void trk004Change() { SliderChange(4); }
  void trk005Change() { SliderChange(5); }
  void trk006Change() { SliderChange(6); }
  void trk007Change() { SliderChange(7); }
  void trk008Change() { SliderChange(8); }
  void trk009Change() { SliderChange(9); }
  void trk00AChange() { SliderChange(10); }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void BuildForm();
  QWidget* AddPage(const QString& name);
  void SetUpSiteType();
  void SetUpSlider(int category, QSlider* trk);
  void SliderChange(int category);
  void PaintBox1Paint(WizardPicture* box);
  void ShowWalk();
  void WriteReport();
  void Submitted(bool sent);

  KestrelServices services_;
  std::unique_ptr<HostEditor> host_;
  std::unique_ptr<RatingLink> link_;
  // Declared after the link: the runner's worker uses it, so the runner (and
  // the submission on it) go first.
  std::unique_ptr<StepRunner> runner_;
  std::unique_ptr<SubmissionView> sendView_;
  std::unique_ptr<RatingSubmission> submission_;
  PlugInMessageListener* listener_ = nullptr;
  PageWalk walk_;
  SiteType siteType_ = SiteType::Page;
  bool keepTypedSiteType_ = false;  // while the box selects the item that was typed

  QStackedWidget* pagecontrol1_ = nullptr;
  QPushButton* FinishButt_ = nullptr;
  QPushButton* BackButt_ = nullptr;
  QPushButton* NextButt_ = nullptr;
  QPushButton* CancelButt_ = nullptr;
  QComboBox* cmbSiteType_ = nullptr;
  QLineEdit* txtSiteURL_ = nullptr;
  QLineEdit* txtSiteTitle_ = nullptr;
  QLineEdit* txtUserName_ = nullptr;
  QLineEdit* txtUserEmail_ = nullptr;
  QCheckBox* chkAddImage_ = nullptr;
  QPlainTextEdit* txtEmail_ = nullptr;
  std::array<QSlider*, kCategoryCount> trk_{};
  std::array<QLabel*, kCategoryCount> lblDesc_{};
  TfrmSendInfo* frmSendInfo_ = nullptr;
};

}  // namespace tendrel
