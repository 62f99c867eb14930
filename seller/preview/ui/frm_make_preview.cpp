#include "seller/preview/ui/frm_make_preview.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <algorithm>

#include "platform/qt/keyed_picture.h"
#include "resources/resources.h"

namespace tendrel {

namespace {

constexpr int kMargin = 8;
constexpr int kButtonGap = 6;
constexpr int kButtonHeight = 25;
constexpr int kMinButtonWidth = 110;
constexpr int kPictureGap = 12;
// Room kept right of and below the picture (or the button column).
constexpr int kRightRoom = 30;
constexpr int kBottomRoom = 45;
// What the window manager adds around the window, and the 5 pixels the
// Create wizard places it from the screen's corner: the whole window must
// stay on the screen, so a larger picture scrolls.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 40;
constexpr int kPlacement = 5;

QPushButton* Command(QWidget* parent, const char* name, const char* text) {
  auto* b = new QPushButton(QString::fromUtf8(text), parent);
  b->setObjectName(QString::fromUtf8(name));
  b->setAutoDefault(false);
  return b;
}

QLabel* PictureBox(QWidget* parent, const char* name) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromUtf8(name));
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  l->setMargin(0);
  return l;
}

QImage PreviewTile() {
  static const bool resources = (InitResources(), true);
  (void)resources;
  return LoadBitmapResource("previewtile");
}

void SetBusy(bool on) {
  if (on) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  else QGuiApplication::restoreOverrideCursor();
}

}  // namespace

TfrmMakePreview::TfrmMakePreview(SettingsStore& settings, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), maker_(settings, dialogs, PreviewTile()) {
  setObjectName("TfrmMakePreview");
  setWindowTitle("Create Tillon Preview");
  maker_.SetBusyHook(SetBusy);

  btnSpacing_ = Command(this, "btnSpacing", "R&educe Spacing");
  btnRestore_ = Command(this, "btnRestore", "&Restore Spacing");
  btnSave_ = Command(this, "btnSave", "&Save Preview");
  btnClose_ = Command(this, "btnClose", "C&lose");
  int buttonWidth = kMinButtonWidth;
  for (QPushButton* b : {btnSpacing_, btnRestore_, btnSave_, btnClose_})
    buttonWidth = std::max(buttonWidth, b->sizeHint().width());
  int y = kMargin;
  for (QPushButton* b : {btnSpacing_, btnRestore_, btnSave_, btnClose_}) {
    b->setGeometry(kMargin, y, buttonWidth, kButtonHeight);
    y += kButtonHeight + kButtonGap;
  }
  connect(btnSpacing_, &QPushButton::clicked, this, &TfrmMakePreview::btnSpacingClick);
  connect(btnRestore_, &QPushButton::clicked, this, &TfrmMakePreview::btnRestoreClick);
  connect(btnSave_, &QPushButton::clicked, this, &TfrmMakePreview::btnSaveClick);
  connect(btnClose_, &QPushButton::clicked, this, &TfrmMakePreview::btnCloseClick);

  scrPreview_ = new QScrollArea(this);
  scrPreview_->setObjectName("scrPreview");
  scrPreview_->setFrameShape(QFrame::NoFrame);
  scrPreview_->setWidgetResizable(false);
  scrPreview_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  scrPreview_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  scrPreview_->move(kMargin + buttonWidth + kPictureGap, kMargin);
  ilPreview_ = PictureBox(nullptr, "ilPreview");
  scrPreview_->setWidget(ilPreview_);

  ilOriginal_ = PictureBox(this, "ilOriginal");
  ilOriginal_->hide();
  imgTile_ = PictureBox(this, "imgTile");
  imgTile_->setPixmap(QPixmap::fromImage(maker_.Tile()));
  imgTile_->hide();

  SizeToPicture();
}

PreviewMaker::Shown TfrmMakePreview::ShowPreview(const std::string& path) {
  const PreviewMaker::Shown shown = maker_.ShowPreview(path);
  if (shown == PreviewMaker::Shown::Unreadable) return shown;
  if (!path.empty()) ilOriginal_->setPixmap(QPixmap::fromImage(maker_.Original()));
  ShowWorking();
  SizeToPicture();
  Retiled(shown == PreviewMaker::Shown::Tiled);
  return shown;
}

void TfrmMakePreview::btnSpacingClick() { Retiled(maker_.ReduceSpacing()); }

void TfrmMakePreview::btnRestoreClick() { Retiled(maker_.RestoreSpacing()); }

void TfrmMakePreview::btnSaveClick() {
  // After a save Close leaves at once and carries the window's OK.
  if (maker_.Save()) btnClose_->setDefault(true);
}

void TfrmMakePreview::btnCloseClick() {
  if (maker_.MayClose()) CloseNow();
}

void TfrmMakePreview::reject() {
  if (closing_) QDialog::reject();
  else btnCloseClick();
}

void TfrmMakePreview::Retiled(bool fits) {
  if (!fits) {
    // Too small to tile: nothing to make here.
    if (isVisible()) CloseNow();
    return;
  }
  ShowWorking();
}

void TfrmMakePreview::CloseNow() {
  closing_ = true;
  done(maker_.Saved() ? QDialog::Accepted : QDialog::Rejected);
  closing_ = false;
}

void TfrmMakePreview::ShowWorking() {
  const QImage& working = maker_.Working();
  ilPreview_->setPixmap(QPixmap::fromImage(working));
  ilPreview_->resize(working.size());
}

void TfrmMakePreview::SizeToPicture() {
  const QSize picture = maker_.Working().isNull() ? QSize(0, 0) : maker_.Working().size();
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  const QRect avail = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
  const int left = scrPreview_->x(), top = scrPreview_->y();
  const int buttonsBottom = btnClose_->geometry().bottom() + 1;
  const int maxW = std::max(avail.width() - kPlacement - kFrameWidth - kRightRoom - left, 64);
  const int maxH = std::max(avail.height() - kPlacement - kFrameHeight - kBottomRoom - top, 64);

  // Scroll bars only when the picture does not fit; one bar can make the
  // other needed.
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scrPreview_);
  bool across = picture.width() > maxW, down = picture.height() > maxH;
  if (across && !down && picture.height() + bar > maxH) down = true;
  if (down && !across && picture.width() + bar > maxW) across = true;
  const int areaW = across ? maxW : picture.width() + (down ? bar : 0);
  const int areaH = down ? maxH : picture.height() + (across ? bar : 0);
  scrPreview_->resize(areaW, areaH);

  const int width = left + areaW + kRightRoom;
  const int height = std::max(buttonsBottom, top + areaH) + kBottomRoom;
  setFixedSize(width, height);
}

}  // namespace tendrel
