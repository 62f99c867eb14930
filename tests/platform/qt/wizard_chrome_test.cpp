// The chrome the wizards share: keyed pictures, the progress window, centring
// and the text crossing between std::string and QString.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include "platform/qt/centre.h"
#include "platform/qt/keyed_picture.h"
#include "platform/qt/progress_window.h"
#include "platform/qt/qt_text.h"

using namespace tendrel;

namespace {

// Red, with the bottom-left pixel's blue repeated at the top-right corner and
// a blue that differs only in its alpha in the middle.
QImage Sample(QImage::Format format) {
  QImage img(4, 3, QImage::Format_ARGB32);
  img.fill(QColor(200, 0, 0));
  img.setPixel(0, 2, qRgb(0, 0, 255));
  img.setPixel(3, 0, qRgb(0, 0, 255));
  img.setPixel(1, 1, qRgba(0, 0, 255, 128));
  return img.convertToFormat(format);
}

}  // namespace

TEST(KeyedPicture, TheBottomLeftColourBecomesSeeThrough) {
  for (QImage::Format format : {QImage::Format_ARGB32, QImage::Format_RGB32}) {
    const QImage out = KeyedPixmap(Sample(format)).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(out.size(), QSize(4, 3));
    EXPECT_EQ(qAlpha(out.pixel(0, 2)), 0) << format;
    EXPECT_EQ(qAlpha(out.pixel(3, 0)), 0) << "every pixel of the key colour " << format;
    EXPECT_EQ(out.pixel(2, 1), qRgb(200, 0, 0)) << "other colours stay " << format;
  }
  // The key is the colour alone: a half-transparent blue is keyed too.
  EXPECT_EQ(qAlpha(KeyedPixmap(Sample(QImage::Format_ARGB32)).toImage().pixel(1, 1)), 0);
  // Palette images (the shipped bitmaps are) work the same way.
  QImage indexed = Sample(QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8);
  EXPECT_EQ(qAlpha(KeyedPixmap(indexed).toImage().pixel(3, 0)), 0);
  EXPECT_TRUE(KeyedPixmap(QImage()).isNull());

  EXPECT_EQ(BitmapForDepth(1, "STDWIZ", "FULLWIZ"), "STDWIZ");
  EXPECT_EQ(BitmapForDepth(8, "STDWIZ", "FULLWIZ"), "STDWIZ");
  EXPECT_EQ(BitmapForDepth(9, "STDWIZ", "FULLWIZ"), "FULLWIZ");
  EXPECT_EQ(BitmapForDepth(32, "STDWIZ", "FULLWIZ"), "FULLWIZ");
}

TEST(KeyedPicture, TheBoxTakesTheBitmapsSizeAndShowsThePageThrough) {
  QWidget page;
  QPalette pal = page.palette();
  pal.setColor(QPalette::Window, QColor(0, 160, 0));
  page.setPalette(pal);
  auto* box = new KeyedPicture(&page);
  box->SetBitmap(Sample(QImage::Format_RGB32));
  EXPECT_EQ(box->size(), QSize(4, 3));
  EXPECT_EQ(box->minimumSize(), box->maximumSize()) << "fixed to the bitmap";
  const QImage shot = box->grab().toImage();
  EXPECT_EQ(shot.pixelColor(0, 2), QColor(0, 160, 0));
  EXPECT_EQ(shot.pixelColor(2, 1), QColor(200, 0, 0));
  box->SetBitmap(QImage());
  EXPECT_TRUE(box->Picture().isNull());
  EXPECT_EQ(box->size(), QSize(0, 0));
}

TEST(ProgressWindow, NamedTitledSizedAndShownCentred) {
  ProgressWindowSetup setup;
  setup.objectName = QStringLiteral("frmWorking");
  setup.title = QStringLiteral("Uploading");
  setup.size = QSize(360, 100);
  setup.minimum = 2;
  setup.maximum = 7;
  setup.labelName = QStringLiteral("lblStatus");
  setup.barName = QStringLiteral("pbUpload");
  ProgressWindow w(setup);
  EXPECT_EQ(w.objectName(), QStringLiteral("frmWorking"));
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Uploading"));
  EXPECT_EQ(w.size(), QSize(360, 100));
  EXPECT_EQ(w.minimumSize(), w.maximumSize());
  auto* label = w.findChild<QLabel*>(QStringLiteral("lblStatus"));
  auto* bar = w.findChild<QProgressBar*>(QStringLiteral("pbUpload"));
  ASSERT_EQ(label, w.label());
  ASSERT_EQ(bar, w.bar());
  EXPECT_EQ(label->alignment(), Qt::AlignCenter);
  EXPECT_EQ(bar->minimum(), 2);
  EXPECT_EQ(bar->maximum(), 7);
  EXPECT_EQ(bar->value(), 2);
  // Both inside the window, the bar below the status line.
  EXPECT_TRUE(w.rect().contains(label->geometry()));
  EXPECT_TRUE(w.rect().contains(bar->geometry()));
  EXPECT_GE(bar->y(), label->geometry().bottom());
  w.SetStatus(QStringLiteral("Sending."));
  w.SetPosition(5);
  EXPECT_EQ(label->text(), QStringLiteral("Sending."));
  EXPECT_EQ(bar->value(), 5);

  w.ShowCentred();
  EXPECT_TRUE(w.isVisible());
  const QRect area = w.screen()->availableGeometry();
  EXPECT_EQ(w.pos(), area.center() - QPoint(180, 50));
}

TEST(CentreOnScreen, PutsTheWindowInTheMiddleOfItsScreen) {
  QWidget w;
  w.resize(200, 101);
  CentreOnScreen(&w);
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(w.pos(), area.center() - QPoint(100, 50));
  CentreOnScreen(nullptr);  // nothing to place
}

TEST(QtText, UtfEightCrossesBothWaysWhole) {
  const std::string cafe = "Caf\xC3\xA9 & \xE2\x82\xAC";
  const QString q = Q(cafe);
  EXPECT_EQ(q.size(), 8);
  EXPECT_EQ(q.at(3), QChar(0xE9));
  EXPECT_EQ(S(q), cafe);
  EXPECT_TRUE(Q("").isEmpty());
  EXPECT_EQ(S(QString()), "");
}
