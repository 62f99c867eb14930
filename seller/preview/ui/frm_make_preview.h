#pragma once
// The preview image maker's window: the tiled picture at its own size beside
// a column of commands. Everything it does is PreviewMaker's; the window only
// shows the result and sizes itself to the picture.
#include <QDialog>
#include <string>

#include "platform/dialogs.h"
#include "seller/core/settings.h"
#include "seller/preview/preview_maker.h"

class QLabel;
class QPushButton;
class QScrollArea;

namespace tendrel {

class TfrmMakePreview : public QDialog {
  Q_OBJECT
 public:
  TfrmMakePreview(SettingsStore& settings, UserDialogs& dialogs, QWidget* parent = nullptr);

  // Loads and tiles the picture (an empty path keeps the current one) and
  // sizes the window to it. A picture too small to tile closes the window if
  // it is open; an unreadable one changes nothing.
  PreviewMaker::Shown ShowPreview(const std::string& path);

  void btnSpacingClick();
  void btnRestoreClick();
  void btnSaveClick();
  void btnCloseClick();

  const PreviewMaker& maker() const { return maker_; }

 public slots:
  // Escape and the title bar's close button ask like Close does.
  void reject() override;

 private:
  void ShowWorking();
  void SizeToPicture();
  void Retiled(bool fits);
  void CloseNow();

  PreviewMaker maker_;
  QPushButton* btnSpacing_ = nullptr;
  QPushButton* btnRestore_ = nullptr;
  QPushButton* btnSave_ = nullptr;
  QPushButton* btnClose_ = nullptr;
  QScrollArea* scrPreview_ = nullptr;
  QLabel* ilPreview_ = nullptr;
  QLabel* ilOriginal_ = nullptr;
  QLabel* imgTile_ = nullptr;
  bool closing_ = false;
};

}  // namespace tendrel
