#pragma once
// The programs' bitmaps as their forms draw them: a bitmap resource whose
// bottom-left pixel names the see-through colour, shown in a box exactly as
// large as the bitmap.
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <string>

namespace tendrel {

// The bitmap resource ":/bitmap/<name>"; a null image when there is none.
QImage LoadBitmapResource(const std::string& name);

// The bitmap with every pixel of its bottom-left pixel's colour (alpha
// ignored) made fully transparent. A null image gives a null pixmap.
QPixmap KeyedPixmap(const QImage& bitmap);

// lowColourName on screens of at most 8 bits per pixel, else deepName.
std::string BitmapForDepth(int screenDepth, const std::string& lowColourName, const std::string& deepName);

// A box that shows one keyed bitmap at its top-left corner and is exactly as
// large as the bitmap. It fills no background of its own, so the keyed
// pixels show whatever lies behind it.
class KeyedPicture : public QWidget {
  Q_OBJECT
 public:
  explicit KeyedPicture(QWidget* parent = nullptr);
  void SetBitmap(const QImage& bitmap);
  // Loads the bitmap resource by name, unless it is the one already shown.
  void SetBitmapResource(const std::string& name);
  const QPixmap& Picture() const { return picture_; }
  const std::string& resource() const { return resource_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap picture_;
  std::string resource_;
};

}  // namespace tendrel
