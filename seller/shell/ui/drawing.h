#pragma once
// Bitmaps and cursors as Bravant's forms use them: pictures are the program's
// bitmap resources, drawn with the colour of their bottom-left pixel taken as
// transparent; a paint box takes its picture's size.
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <string>

namespace tendrel {

// The bitmap resource ":/bitmap/<name>"; a null image when there is none.
QImage LoadBitmapResource(const std::string& name);

// The bitmap with every pixel of its bottom-left pixel's colour made
// transparent. A null image gives a null pixmap.
QPixmap KeyedPixmap(const QImage& bitmap);

// A box that shows one keyed bitmap at its top-left corner and is exactly as
// large as the bitmap.
class TPaintBox : public QWidget {
 public:
  explicit TPaintBox(QWidget* parent = nullptr);
  void SetBitmap(const QImage& bitmap);
  const QPixmap& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap picture_;
};

// Loads the bitmap that suits the screen (lowColourName on screens of at most
// 8 bits per pixel, else deepName) into the paint box, which takes its size.
void PaintLogo(const std::string& lowColourName, const std::string& deepName, TPaintBox& box);

// The application-wide cursor: the hourglass, or back to normal. Not counted:
// one NormalCursor undoes any number of BusyCursor calls.
void BusyCursor();
void NormalCursor();

}  // namespace tendrel
