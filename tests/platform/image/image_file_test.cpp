#include "platform/image/image_file.h"

#include <Magick++.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

using namespace tendrel;

namespace {

// Two-colour test card: red on the left half, blue on the right, one green
// pixel at the bottom-right corner, so a flipped or shifted read shows.
Magick::Image TestCard(unsigned width, unsigned height) {
  Magick::Image card(Magick::Geometry(width, height), Magick::Color("red"));
  card.fillColor(Magick::Color("blue"));
  card.strokeColor(Magick::Color("blue"));
  card.draw(Magick::DrawableRectangle(width / 2, 0, width - 1, height - 1));
  card.pixelColor(width - 1, height - 1, Magick::Color("lime"));
  return card;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spill(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// True when the JPEG holds a progressive frame header (SOF2).
bool IsProgressiveJpeg(const std::string& bytes) {
  return bytes.find("\xFF\xC2", 0, 2) != std::string::npos &&
         bytes.find("\xFF\xC0", 0, 2) == std::string::npos;
}

class ImageFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    // Writing the test files through the library needs it set up; reading
    // through the component must also work without this (other tests read first).
    Magick::InitializeMagick(nullptr);
  }
  std::string Path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }
  QTemporaryDir dir_;
};

TEST_F(ImageFile, ReadsEachOfTheSixFormatsAtItsOwnSize) {
  struct Case {
    const char* name;
    const char* magick;
    unsigned width, height;
    bool lossless;
  } cases[] = {
      {"card.bmp", "BMP", 37, 21, true},  {"card.jpg", "JPEG", 64, 48, false},
      {"card.gif", "GIF", 35, 36, true},  {"card.png", "PNG", 101, 7, true},
      {"card.tif", "TIFF", 9, 40, true},  {"card.pcx", "PCX", 50, 33, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Magick::Image card = TestCard(c.width, c.height);
    card.magick(c.magick);
    card.write(Path(c.name));
    const ImageRead r = ReadImageFile(Path(c.name));
    ASSERT_TRUE(r.ok()) << r.status << " " << r.error;
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.error.empty());
    EXPECT_EQ(r.image.width(), static_cast<int>(c.width));
    EXPECT_EQ(r.image.height(), static_cast<int>(c.height));
    EXPECT_FALSE(r.image.hasAlphaChannel());
    if (c.lossless) {
      EXPECT_EQ(r.image.pixel(0, 0), qRgb(255, 0, 0));
      EXPECT_EQ(r.image.pixel(c.width - 2, 0), qRgb(0, 0, 255));
      EXPECT_EQ(r.image.pixel(c.width - 1, c.height - 1), qRgb(0, 255, 0));
    } else {
      // Away from the edges JPEG keeps flat colours close.
      const QColor left = r.image.pixelColor(2, c.height / 2);
      const QColor right = r.image.pixelColor(c.width - 4, c.height / 2);
      EXPECT_GT(left.red(), 230);
      EXPECT_LT(left.blue(), 25);
      EXPECT_GT(right.blue(), 230);
      EXPECT_LT(right.red(), 25);
    }
  }
}

TEST_F(ImageFile, ReadsProgressiveJpeg) {
  Magick::Image card = TestCard(80, 60);
  card.magick("JPEG");
  card.interlaceType(Magick::LineInterlace);
  card.write(Path("progressive.jpg"));
  ASSERT_TRUE(IsProgressiveJpeg(Slurp(Path("progressive.jpg"))));

  const ImageRead r = ReadImageFile(Path("progressive.jpg"));
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.image.size(), QSize(80, 60));
  EXPECT_GT(r.image.pixelColor(4, 30).red(), 230);
}

TEST_F(ImageFile, ReadsCmykAsRedGreenBlue) {
  Magick::Image card = TestCard(40, 30);
  card.colorSpace(Magick::CMYKColorspace);
  for (const char* name : {"cmyk.jpg", "cmyk.tif"}) {
    SCOPED_TRACE(name);
    card.write(Path(name));
    const ImageRead r = ReadImageFile(Path(name));
    ASSERT_TRUE(r.ok()) << r.error;
    const QColor left = r.image.pixelColor(3, 15), right = r.image.pixelColor(36, 15);
    EXPECT_GT(left.red(), 230);
    EXPECT_LT(left.green(), 25);
    EXPECT_LT(left.blue(), 25);
    EXPECT_GT(right.blue(), 230);
    EXPECT_LT(right.red(), 25);
  }
}

TEST_F(ImageFile, ReadsFromSeveralThreadsAtOnce) {
  std::vector<std::string> paths;
  for (int i = 0; i < 4; ++i) {
    Magick::Image card = TestCard(30 + i, 20);
    card.magick(i % 2 ? "PNG" : "GIF");
    paths.push_back(Path("t" + std::to_string(i) + (i % 2 ? ".png" : ".gif")));
    card.write(paths.back());
  }
  std::vector<int> widths(paths.size(), 0);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < paths.size(); ++i)
    threads.emplace_back([&, i] {
      for (int round = 0; round < 20; ++round) {
        const ImageRead r = ReadImageFile(paths[i]);
        if (!r.ok() || r.image.pixel(0, 0) != qRgb(255, 0, 0)) return;
        widths[i] = r.image.width();
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(widths, (std::vector<int>{30, 31, 32, 33}));
}

TEST_F(ImageFile, KeepsAnAlphaChannel) {
  Magick::Image card(Magick::Geometry(4, 3), Magick::Color("red"));
  card.matte(true);
  card.pixelColor(1, 1, Magick::Color(0, 0, MaxRGB, MaxRGB));  // fully transparent
  card.write(Path("alpha.png"));
  const ImageRead r = ReadImageFile(Path("alpha.png"));
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_TRUE(r.image.hasAlphaChannel());
  EXPECT_EQ(qAlpha(r.image.pixel(1, 1)), 0);
  EXPECT_EQ(r.image.pixel(0, 0), qRgba(255, 0, 0, 255));
}

TEST_F(ImageFile, ReadsTheFirstFrameOfSeveral) {
  std::vector<Magick::Image> frames = {Magick::Image(Magick::Geometry(6, 5), Magick::Color("red")),
                                       Magick::Image(Magick::Geometry(6, 5), Magick::Color("blue"))};
  Magick::writeImages(frames.begin(), frames.end(), Path("two.tif"));
  const ImageRead r = ReadImageFile(Path("two.tif"));
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.image.pixel(3, 3), qRgb(255, 0, 0));
}

TEST_F(ImageFile, FailuresCarryAStatusAndTheLibrarysMessage) {
  // A file that is not there; garbage under an image name; a PNG cut short
  // inside its pixel data; an empty file.
  Spill(Path("garbage.png"), "this is not an image at all, just some text\n");
  Magick::Image big = TestCard(200, 200);
  big.magick("PNG");
  Magick::Blob blob;
  big.write(&blob);
  Spill(Path("cut.png"), std::string(static_cast<const char*>(blob.data()), blob.length() / 2));
  Spill(Path("empty.jpg"), "");
  for (const char* name : {"missing.png", "garbage.png", "cut.png", "empty.jpg"}) {
    SCOPED_TRACE(name);
    const ImageRead r = ReadImageFile(Path(name));
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.status, 0);
    EXPECT_FALSE(r.error.empty());
    EXPECT_TRUE(r.image.isNull());
  }
  EXPECT_NE(ReadImageFile(Path("missing.png")).error.find("missing.png"), std::string::npos);
}

TEST_F(ImageFile, JpegIsWrittenAtTheQualityAsked) {
  QImage image(120, 90, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x * 2, y * 2, (x * y) & 255));
  for (int quality : {75, 40}) {
    SCOPED_TRACE(quality);
    const std::string path = Path("q" + std::to_string(quality) + ".jpeg");
    ASSERT_EQ(WriteJpeg(image, path, quality), "");
    Magick::Image back;
    back.read(path);
    EXPECT_EQ(back.magick(), "JPEG");
    // The reader's estimate from the file's quantisation tables; quality()
    // would only give back the reader's own default.
    EXPECT_EQ(back.attribute("JPEG-Quality"), std::to_string(quality));
    const ImageRead r = ReadImageFile(path);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.image.size(), image.size());
  }
}

TEST_F(ImageFile, GifKeepsAFewColoursExactly) {
  QImage image(30, 20, QImage::Format_RGB32);
  image.fill(qRgb(10, 200, 30));
  for (int x = 0; x < 30; ++x) image.setPixel(x, 5, qRgb(250, 250, 0));
  image.setPixel(29, 19, qRgb(0, 0, 128));
  // Whatever the name says, the bytes are GIF.
  const std::string path = Path("teaser.jpg.gif");
  ASSERT_EQ(WriteGif(image, path), "");
  EXPECT_EQ(Slurp(path).substr(0, 4), "GIF8");
  const ImageRead r = ReadImageFile(path);
  ASSERT_TRUE(r.ok()) << r.error;
  ASSERT_EQ(r.image.size(), image.size());
  for (QPoint p : {QPoint(0, 0), QPoint(7, 5), QPoint(29, 19), QPoint(28, 19)})
    EXPECT_EQ(r.image.pixel(p), image.pixel(p)) << p.x() << "," << p.y();
}

TEST_F(ImageFile, JpegBytesWhateverTheName) {
  QImage image(8, 8, QImage::Format_ARGB32);
  image.fill(qRgba(0, 0, 255, 128));
  const std::string path = Path("odd[0].gif");
  ASSERT_EQ(WriteJpeg(image, path, 75), "");
  EXPECT_EQ(Slurp(path).substr(0, 2), "\xFF\xD8");
  EXPECT_TRUE(ReadImageFile(path).ok());
}

TEST_F(ImageFile, FailedWriteReportsAndLeavesNoFile) {
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(Qt::white);
  const std::string path = Path("no/such/folder/out.gif");
  EXPECT_NE(WriteGif(image, path), "");
  EXPECT_NE(WriteJpeg(image, path, 75), "");
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_NE(WriteGif(QImage(), Path("null.gif")), "");
  EXPECT_FALSE(std::filesystem::exists(Path("null.gif")));
}

TEST_F(ImageFile, ReplacesAnEarlierFileWhole) {
  QImage small(4, 4, QImage::Format_RGB32), large(64, 64, QImage::Format_RGB32);
  small.fill(Qt::red);
  large.fill(Qt::blue);
  const std::string path = Path("again.jpg");
  ASSERT_EQ(WriteJpeg(large, path, 90), "");
  ASSERT_EQ(WriteJpeg(small, path, 90), "");
  const ImageRead r = ReadImageFile(path);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.image.size(), QSize(4, 4));
}

}  // namespace
