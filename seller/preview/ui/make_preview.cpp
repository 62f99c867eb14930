#include "seller/preview/ui/make_preview.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "seller/preview/ui/frm_make_preview.h"

namespace tendrel {

std::string MakePreviewFor(const std::string& imagePath, SettingsStore& settings,
                           UserDialogs& dialogs, QWidget* parent) {
  TfrmMakePreview form(settings, dialogs, parent);
  if (form.ShowPreview(imagePath) == PreviewMaker::Shown::Unreadable) return {};
  // A picture smaller than the tile both ways has nothing to cover; one that
  // is too small only one way opens untiled (the maker has said so).
  const QSize picture = form.maker().Original().size();
  const QSize tile = form.maker().Tile().size();
  if (picture.width() < tile.width() && picture.height() < tile.height()) return {};

  const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
  if (screen) form.move(screen->availableGeometry().topLeft() + QPoint(5, 5));
  settings.WriteText("Options", "Last Preview", "");
  form.exec();
  return settings.ReadText("Options", "Last Preview", "");
}

}  // namespace tendrel
