#pragma once
// Bitmaps and cursors as Bravant's forms use them: pictures are the program's
// bitmap resources, drawn with the colour of their bottom-left pixel taken as
// transparent (LoadBitmapResource and KeyedPixmap come from the shared
// keyed-picture code); a paint box takes its picture's size.
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <string>

#include "platform/qt/keyed_picture.h"

namespace tendrel {

// A box that shows one keyed bitmap at its top-left corner and is exactly as
// large as the bitmap.
class TPaintBox : public KeyedPicture {
  Q_OBJECT
 public:
  using KeyedPicture::KeyedPicture;
};

// Loads the bitmap that suits the screen (lowColourName on screens of at most
// 8 bits per pixel, else deepName) into the paint box, which takes its size.
void PaintLogo(const std::string& lowColourName, const std::string& deepName, TPaintBox& box);

// The application-wide cursor: the hourglass, or back to normal. Not counted:
// one NormalCursor undoes any number of BusyCursor calls.
void BusyCursor();
void NormalCursor();

}  // namespace tendrel
