#pragma once
// The preview image maker without its window: the product picture, the tiled
// copy, the spacing, saving the copy as GIF or JPEG and handing its name back
// through the settings ("Options"/"Last Preview"). Messages, questions and the
// save dialog go through UserDialogs.
#include <QImage>
#include <functional>
#include <string>
#include <string_view>

#include "platform/dialogs.h"
#include "seller/core/settings.h"
#include "seller/preview/preview_tiling.h"

namespace tendrel {

inline constexpr char kPreviewMessageCaption[] = "Bravant";
inline constexpr char kPreviewTooSmall[] = "Image is too small to apply tiling.";
inline constexpr char kPreviewCloseUnsaved[] =
    "Are you sure you want to close this window without saving the preview image ?";
inline constexpr char kPreviewBadName[] =
    "The preview image was not saved. Its file name must end in .gif, .jpg or .jpeg.";
inline constexpr char kPreviewSaveCaption[] = "Save Preview Image";
inline constexpr char kPreviewGifFilter[] =
    "GIF Files (*.gif)|*.gif|JPEG Files (*.jpeg,*.jpg)|*.jpg;*.jpeg";
inline constexpr char kPreviewJpegFilter[] =
    "JPEG Files (*.jpeg,*.jpg)|*.jpg;*.jpeg|GIF Files (*.gif)|*.gif";
inline constexpr int kDefaultJpegQuality = 75;

enum class PreviewFormat { None, Gif, Jpeg };
// ".gif" anywhere in the name (any case) gives GIF; else ".jpg" or ".jpeg"
// anywhere gives JPEG; else nothing can be written.
PreviewFormat PreviewFormatForName(std::string_view name);

// The save dialog for a preview of the product picture imagePath: its
// extension is the default one (when a preview can be written in it, else
// "jpg") and chooses which filter comes first; the
// dialog starts in saveDir and asks before replacing a file.
FileDialogRequest PreviewSaveRequest(const std::string& imagePath, const std::string& saveDir);

class PreviewMaker {
 public:
  enum class Shown {
    Tiled,       // the picture is loaded and tiled
    TooSmall,    // loaded, but not larger than the tile: left untiled, message shown
    Unreadable,  // not loaded: the library's message was shown, nothing changed
  };

  PreviewMaker(SettingsStore& settings, UserDialogs& dialogs, QImage tile);

  // Called with true before reading or tiling (long work on a big picture)
  // and with false when it is over, always before a message is shown.
  void SetBusyHook(std::function<void(bool)> hook) { busy_ = std::move(hook); }

  // Loads the picture (an empty path keeps the current one), remembers its
  // path, keeps the original and tiles a copy at the current spacing.
  Shown ShowPreview(const std::string& path);
  // One pixel tighter, down to kTightestSpacing, and tiles again. False when
  // the picture is too small to tile (the message was shown).
  bool ReduceSpacing();
  // Back to kWidestSpacing and tiles again; false as above.
  bool RestoreSpacing();
  // Asks for a name and writes the tiled picture. True when a file was
  // written; then its name is "Last Preview" and its folder "Preview Save".
  bool Save();
  // True when the window may close: after a save at once, else when the user
  // agrees to leave without saving.
  bool MayClose();

  const QImage& Working() const { return working_; }
  const QImage& Original() const { return original_; }
  const QImage& Tile() const { return tile_; }
  int Spacing() const { return spacing_; }
  const std::string& ImagePath() const { return imagePath_; }
  bool Saved() const { return saved_; }

 private:
  bool Retile();
  void Tell(const std::string& text, MsgIcon icon);
  void Busy(bool on) {
    if (busy_) busy_(on);
  }

  SettingsStore& settings_;
  UserDialogs& dialogs_;
  QImage tile_;
  QImage original_;
  QImage working_;
  int spacing_ = kWidestSpacing;
  std::string imagePath_;
  bool saved_ = false;
  std::function<void(bool)> busy_;
};

}  // namespace tendrel
