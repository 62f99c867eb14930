#include <Magick++.h>
#include <gtest/gtest.h>

#include <QPainter>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "seller/core/settings.h"
#include "seller/preview/preview_maker.h"
#include "seller/preview/preview_tiling.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"

using namespace tendrel;

namespace {

// A picture whose every pixel differs from its neighbours, so a tile drawn
// one pixel off shows.
QImage Picture(int width, int height, QImage::Format format = QImage::Format_RGB32) {
  QImage image(width, height, format);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgba(x & 255, y & 255, (x * 7 + y * 13) & 255, 255));
  return image;
}

// A 34 by 34 tile with a 256-colour palette, as the shipped one is; every
// pixel differs from its neighbours and none matches the picture above.
QImage PaletteTile() {
  QImage tile(34, 34, QImage::Format_Indexed8);
  QList<QRgb> table;
  for (int i = 0; i < 256; ++i) table.append(qRgb(255 - i / 2, i, 128 + (i & 63)));
  tile.setColorTable(table);
  for (int y = 0; y < 34; ++y)
    for (int x = 0; x < 34; ++x) tile.setPixel(x, y, static_cast<uint>((x * 5 + y * 3) & 255));
  return tile;
}

// What the picture must look like: the original with the tile painted at
// each given top-left corner by QPainter, clipped at the edges.
QImage Expected(const QImage& original, const QImage& tile, const std::vector<QPoint>& corners) {
  QImage out = original.convertToFormat(QImage::Format_ARGB32);
  QPainter p(&out);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  for (const QPoint& c : corners) p.drawImage(c, tile.convertToFormat(QImage::Format_ARGB32));
  return out;
}

// Pixel-by-pixel comparison that names the first difference.
::testing::AssertionResult SamePixels(const QImage& actual, const QImage& expected) {
  if (actual.size() != expected.size())
    return ::testing::AssertionFailure() << "size differs";
  for (int y = 0; y < actual.height(); ++y)
    for (int x = 0; x < actual.width(); ++x)
      if (actual.pixel(x, y) != expected.pixel(x, y))
        return ::testing::AssertionFailure()
               << "pixel " << x << "," << y << " is " << std::hex << actual.pixel(x, y)
               << " not " << expected.pixel(x, y);
  return ::testing::AssertionSuccess();
}

std::vector<QPoint> Grid(std::initializer_list<int> tops, std::initializer_list<int> evenLefts,
                         std::initializer_list<int> oddLefts) {
  std::vector<QPoint> out;
  int row = 0;
  for (int top : tops) {
    for (int left : (row % 2 == 0 ? evenLefts : oddLefts)) out.emplace_back(left, top);
    ++row;
  }
  return out;
}

TEST(Tiling, HundredSquareAtSpacingZeroIsTheCheckerboard) {
  const QImage original = Picture(100, 100), tile = PaletteTile();
  QImage working;
  ApplyTiling(working, original, tile, 0);
  // Rows at 0, 34 and 68; rows 0 and 2 start with an empty cell (tiles at 34
  // and 102, the second wholly outside), row 1 with a tile (0 and 68).
  EXPECT_TRUE(SamePixels(working, Expected(original, tile, Grid({0, 34, 68}, {34, 102}, {0, 68}))));
  // Spot checks in words: the top-left cell is untouched, the next one is tile.
  EXPECT_EQ(working.pixel(0, 0), original.pixel(0, 0));
  EXPECT_EQ(working.pixel(34, 0), tile.pixel(0, 0));
  EXPECT_EQ(working.pixel(99, 33), original.pixel(99, 33));  // row 0 leaves 68..101 empty
  EXPECT_EQ(working.pixel(99, 40), tile.pixel(31, 6));       // row 1's tile at 68, clipped
  EXPECT_EQ(working.pixel(0, 34), tile.pixel(0, 0));
  EXPECT_EQ(working.pixel(67, 67), original.pixel(67, 67));
  EXPECT_EQ(working.pixel(34, 99), tile.pixel(0, 31));   // clipped at the bottom
  // The original is never touched.
  EXPECT_TRUE(SamePixels(original, Picture(100, 100)));
}

TEST(Tiling, TightestSpacingOverlapsTheTiles) {
  const QImage original = Picture(100, 100), tile = PaletteTile();
  QImage working;
  ApplyTiling(working, original, tile, kTightestSpacing);
  // Cells of 23: 100/23 + 1 = 5 rows at 0, 23, 46, 69, 92; 100/23 = 4 cells
  // a row, so k runs 0..2: even rows at 23, 69, 115, odd rows at 0, 46, 92.
  // Tiles of 34 in cells of 23 overlap; later ones are drawn over earlier ones.
  EXPECT_TRUE(SamePixels(
      working, Expected(original, tile, Grid({0, 23, 46, 69, 92}, {23, 69, 115}, {0, 46, 92}))));
  // (0,0) lies in no tile: the first tile of row 0 starts at 23, and row 1's at y = 23.
  EXPECT_EQ(working.pixel(0, 0), original.pixel(0, 0));
  EXPECT_EQ(working.pixel(22, 22), original.pixel(22, 22));
  EXPECT_EQ(working.pixel(0, 23), tile.pixel(0, 0));
}

TEST(Tiling, EverySpacingMatchesTheCellRule) {
  // The same rule computed plainly for a picture that is not square.
  const QImage original = Picture(157, 61), tile = PaletteTile();
  for (int spacing = kWidestSpacing; spacing >= kTightestSpacing; --spacing) {
    SCOPED_TRACE(spacing);
    const int cell = 34 + spacing;
    std::vector<QPoint> corners;
    const int rows = original.height() / cell + 1, perRow = original.width() / cell;
    for (int row = 0; row < rows; ++row)
      for (int k = 0; k <= perRow / 2; ++k)
        corners.emplace_back(cell * (2 * k + (row % 2 == 0 ? 1 : 0)), cell * row);
    QImage working;
    ApplyTiling(working, original, tile, spacing);
    EXPECT_TRUE(SamePixels(working, Expected(original, tile, corners)));
  }
}

TEST(Tiling, TilesAreOpaqueOverAPictureWithAlpha) {
  QImage original(80, 40, QImage::Format_ARGB32);
  original.fill(qRgba(10, 20, 30, 0));
  QImage working;
  ApplyTiling(working, original, PaletteTile(), 0);
  EXPECT_TRUE(working.hasAlphaChannel());
  EXPECT_EQ(qAlpha(working.pixel(0, 0)), 0);     // empty cell keeps its alpha
  EXPECT_EQ(qAlpha(working.pixel(40, 10)), 255);  // tile
  EXPECT_EQ(working.pixel(40, 10), PaletteTile().pixel(6, 10));
}

TEST(Tiling, OnlyPicturesLargerThanTheTileBothWaysFit) {
  const QSize tile(34, 34);
  EXPECT_FALSE(TileFits(QSize(34, 200), tile));
  EXPECT_FALSE(TileFits(QSize(200, 34), tile));
  EXPECT_FALSE(TileFits(QSize(34, 34), tile));
  EXPECT_FALSE(TileFits(QSize(0, 0), tile));
  EXPECT_TRUE(TileFits(QSize(35, 35), tile));
}

TEST(PreviewNames, FormatFollowsTheNameAnywhereAnyCase) {
  EXPECT_EQ(PreviewFormatForName("/p/teaser.gif"), PreviewFormat::Gif);
  EXPECT_EQ(PreviewFormatForName("/p/TEASER.GiF"), PreviewFormat::Gif);
  EXPECT_EQ(PreviewFormatForName("/p/a.gif.jpg"), PreviewFormat::Gif);  // .gif is looked for first
  EXPECT_EQ(PreviewFormatForName("/p/a.gifts/x"), PreviewFormat::Gif);
  EXPECT_EQ(PreviewFormatForName("/p/teaser.jpeg"), PreviewFormat::Jpeg);
  EXPECT_EQ(PreviewFormatForName("/p/teaser.JPG"), PreviewFormat::Jpeg);
  EXPECT_EQ(PreviewFormatForName("/p/x.jpg.old"), PreviewFormat::Jpeg);
  EXPECT_EQ(PreviewFormatForName("/p/teaser.png"), PreviewFormat::None);
  EXPECT_EQ(PreviewFormatForName("/p/teaser.jpe"), PreviewFormat::None);
  EXPECT_EQ(PreviewFormatForName("/p/gif"), PreviewFormat::None);
  EXPECT_EQ(PreviewFormatForName(""), PreviewFormat::None);
}

TEST(PreviewNames, SaveDialogFollowsTheProductPicture) {
  FileDialogRequest gif = PreviewSaveRequest("/pics/cat.GIF", "/saved");
  EXPECT_EQ(gif.filter, "GIF Files (*.gif)|*.gif|JPEG Files (*.jpeg,*.jpg)|*.jpg;*.jpeg");
  EXPECT_EQ(gif.defaultExt, "GIF");
  EXPECT_EQ(gif.filterIndex, 1);
  EXPECT_EQ(gif.initialDir, "/saved");
  EXPECT_TRUE(gif.confirmOverwrite);

  FileDialogRequest jpg = PreviewSaveRequest("/pics.gif/cat.jpg", "");
  EXPECT_EQ(jpg.filter, "JPEG Files (*.jpeg,*.jpg)|*.jpg;*.jpeg|GIF Files (*.gif)|*.gif");
  EXPECT_EQ(jpg.defaultExt, "jpg");
  EXPECT_TRUE(jpg.confirmOverwrite);

  // Endings a preview cannot be written in give way to JPEG's.
  EXPECT_EQ(PreviewSaveRequest("/pics/cat.png", "").defaultExt, "jpg");
  EXPECT_EQ(PreviewSaveRequest("/pics/cat.JPEG", "").defaultExt, "JPEG");
  EXPECT_EQ(PreviewSaveRequest("/pics/cat.png", "").filter, jpg.filter);
  EXPECT_EQ(PreviewSaveRequest("/pics/cat.gifx", "").filter, jpg.filter);
  EXPECT_EQ(PreviewSaveRequest("/pics/cat", "").defaultExt, "jpg");
}

class Maker : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    Magick::InitializeMagick(nullptr);
  }
  std::string Path(const std::string& name) const {
    return dir_.filePath(QString::fromStdString(name)).toStdString();
  }
  std::string SavePicture(const std::string& name, int width, int height) {
    EXPECT_TRUE(Picture(width, height).save(QString::fromStdString(Path(name))));
    return Path(name);
  }
  std::string LastPreview() const { return settings_.ReadText("Options", "Last Preview", ""); }

  TempHome home_;
  QTemporaryDir dir_;
  SettingsStore settings_;
  ScriptedDialogs dialogs_;
  PreviewMaker maker_{settings_, dialogs_, PaletteTile()};
};

TEST_F(Maker, ShowsThePictureTiled) {
  const std::string path = SavePicture("cat.png", 100, 100);
  EXPECT_EQ(maker_.ShowPreview(path), PreviewMaker::Shown::Tiled);
  EXPECT_EQ(maker_.ImagePath(), path);
  EXPECT_EQ(maker_.Spacing(), 0);
  EXPECT_TRUE(SamePixels(maker_.Original(), Picture(100, 100)));
  EXPECT_TRUE(SamePixels(maker_.Working(),
                         Expected(Picture(100, 100), PaletteTile(), Grid({0, 34, 68}, {34, 102}, {0, 68}))));
  EXPECT_TRUE(dialogs_.shown.empty());
  // An empty path keeps the picture and tiles it again.
  EXPECT_EQ(maker_.ShowPreview(""), PreviewMaker::Shown::Tiled);
  EXPECT_EQ(maker_.ImagePath(), path);
}

TEST_F(Maker, RefusesAPictureNotWiderThanTheTile) {
  const std::string path = SavePicture("thin.png", 34, 200);
  EXPECT_EQ(maker_.ShowPreview(path), PreviewMaker::Shown::TooSmall);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Image is too small to apply tiling.");
  EXPECT_EQ(dialogs_.shown[0].caption, "Bravant");
  // Loaded but untiled.
  EXPECT_TRUE(SamePixels(maker_.Working(), Picture(34, 200)));
  EXPECT_FALSE(maker_.ReduceSpacing());
  EXPECT_EQ(dialogs_.MessageTexts().size(), 2u);
}

TEST_F(Maker, SpacingStopsAtItsFloorAndRestoreBringsBackTheFirstPattern) {
  ASSERT_EQ(maker_.ShowPreview(SavePicture("cat.png", 120, 90)), PreviewMaker::Shown::Tiled);
  const QImage first = maker_.Working();
  int expected = 0;
  for (int press = 1; press <= 12; ++press) {
    EXPECT_TRUE(maker_.ReduceSpacing());
    expected = std::max(expected - 1, kTightestSpacing);
    EXPECT_EQ(maker_.Spacing(), expected) << "press " << press;
  }
  EXPECT_EQ(maker_.Spacing(), -11);
  EXPECT_FALSE(SamePixels(maker_.Working(), first));
  QImage tightest;
  ApplyTiling(tightest, maker_.Original(), PaletteTile(), -11);
  EXPECT_TRUE(SamePixels(maker_.Working(), tightest));

  EXPECT_TRUE(maker_.RestoreSpacing());
  EXPECT_EQ(maker_.Spacing(), 0);
  EXPECT_TRUE(SamePixels(maker_.Working(), first));
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(Maker, SavesJpegAtTheDefaultQualityAndHandsTheNameBack) {
  ASSERT_EQ(maker_.ShowPreview(SavePicture("cat.png", 100, 100)), PreviewMaker::Shown::Tiled);
  settings_.WriteText("Directories", "Preview Save", "/where/it/was");
  const std::string target = Path("teaser.jpeg");
  dialogs_.fileAnswers.push_back(target);
  EXPECT_TRUE(maker_.Save());

  ASSERT_EQ(dialogs_.shown.size(), 1u);
  const FileDialogRequest& req = dialogs_.shown[0].file;
  EXPECT_EQ(dialogs_.shown[0].kind, ScriptedDialogs::Kind::SaveFile);
  EXPECT_EQ(req.initialDir, "/where/it/was");
  EXPECT_EQ(req.defaultExt, "jpg");
  EXPECT_EQ(req.filter, "JPEG Files (*.jpeg,*.jpg)|*.jpg;*.jpeg|GIF Files (*.gif)|*.gif");
  EXPECT_TRUE(req.confirmOverwrite);

  Magick::Image back;
  back.read(target);
  EXPECT_EQ(back.magick(), "JPEG");
  EXPECT_EQ(back.attribute("JPEG-Quality"), "75");
  EXPECT_EQ(back.columns(), 100u);
  EXPECT_EQ(LastPreview(), target);
  EXPECT_EQ(settings_.ReadText("Directories", "Preview Save", ""), dir_.path().toStdString());
  EXPECT_TRUE(maker_.Saved());
}

TEST_F(Maker, JpegQualityComesFromTheSettings) {
  ASSERT_EQ(maker_.ShowPreview(SavePicture("cat.png", 64, 64)), PreviewMaker::Shown::Tiled);
  settings_.WriteText("Options", "JPEG Quality", "40");
  dialogs_.fileAnswers.push_back(Path("teaser.JPG"));
  ASSERT_TRUE(maker_.Save());
  Magick::Image back;
  back.read(Path("teaser.JPG"));
  EXPECT_EQ(back.attribute("JPEG-Quality"), "40");
}

TEST_F(Maker, SavesGifWhenTheNameSaysGif) {
  ASSERT_EQ(maker_.ShowPreview(SavePicture("cat.gif.png", 64, 64)), PreviewMaker::Shown::Tiled);
  const std::string target = Path("Teaser.GIF");
  dialogs_.fileAnswers.push_back(target);
  ASSERT_TRUE(maker_.Save());
  std::ifstream in(target, std::ios::binary);
  const std::string head(std::istreambuf_iterator<char>(in), {});
  EXPECT_EQ(head.substr(0, 4), "GIF8");
  EXPECT_EQ(LastPreview(), target);
}

TEST_F(Maker, NameWithoutAnImageEndingIsNotHandedBack) {
  ASSERT_EQ(maker_.ShowPreview(SavePicture("cat.png", 64, 64)), PreviewMaker::Shown::Tiled);
  settings_.WriteText("Directories", "Preview Save", "/before");
  dialogs_.fileAnswers.push_back(Path("teaser.png"));
  EXPECT_FALSE(maker_.Save());
  const auto texts = dialogs_.MessageTexts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find(".gif"), std::string::npos);
  EXPECT_NE(texts[0].find(".jpg"), std::string::npos);
  EXPECT_NE(texts[0].find(".jpeg"), std::string::npos);
  EXPECT_EQ(dialogs_.shown.back().caption, "Bravant");
  EXPECT_FALSE(std::filesystem::exists(Path("teaser.png")));
  EXPECT_EQ(LastPreview(), "");
  EXPECT_EQ(settings_.ReadText("Directories", "Preview Save", ""), "/before");
  EXPECT_FALSE(maker_.Saved());
  // Leaving now still asks: nothing was saved.
  EXPECT_FALSE(maker_.MayClose());
}

TEST_F(Maker, FailedOrCancelledSaveHandsNothingBack) {
  ASSERT_EQ(maker_.ShowPreview(SavePicture("cat.png", 64, 64)), PreviewMaker::Shown::Tiled);
  dialogs_.fileAnswers.push_back(std::nullopt);
  EXPECT_FALSE(maker_.Save());
  EXPECT_TRUE(dialogs_.MessageTexts().empty());

  dialogs_.fileAnswers.push_back(Path("gone/teaser.jpg"));
  EXPECT_FALSE(maker_.Save());
  ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_NE(dialogs_.MessageTexts()[0].find("teaser.jpg"), std::string::npos);
  EXPECT_EQ(dialogs_.shown.back().icon, MsgIcon::Error);
  EXPECT_EQ(LastPreview(), "");
  EXPECT_FALSE(maker_.Saved());
}

TEST_F(Maker, UnreadablePictureChangesNothing) {
  const std::string good = SavePicture("cat.png", 100, 100);
  ASSERT_EQ(maker_.ShowPreview(good), PreviewMaker::Shown::Tiled);
  ASSERT_TRUE(maker_.ReduceSpacing());
  const QImage before = maker_.Working();
  {
    std::ofstream bad(Path("broken.jpg"), std::ios::binary);
    bad << "\xFF\xD8\xFF this is no JPEG";
  }
  EXPECT_EQ(maker_.ShowPreview(Path("broken.jpg")), PreviewMaker::Shown::Unreadable);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_FALSE(dialogs_.shown[0].text.empty());
  EXPECT_NE(dialogs_.shown[0].text, "Image is too small to apply tiling.");
  EXPECT_EQ(dialogs_.shown[0].caption, "Bravant");
  EXPECT_EQ(dialogs_.shown[0].icon, MsgIcon::Error);
  EXPECT_EQ(maker_.ImagePath(), good);
  EXPECT_EQ(maker_.Spacing(), -1);
  EXPECT_TRUE(SamePixels(maker_.Working(), before));
  EXPECT_TRUE(SamePixels(maker_.Original(), Picture(100, 100)));
}

TEST_F(Maker, MissingPictureOnAFreshMakerLeavesItEmpty) {
  EXPECT_EQ(maker_.ShowPreview(Path("nowhere.png")), PreviewMaker::Shown::Unreadable);
  EXPECT_TRUE(maker_.Working().isNull());
  EXPECT_EQ(maker_.ImagePath(), "");
  ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_NE(dialogs_.MessageTexts()[0].find("nowhere.png"), std::string::npos);
}

TEST_F(Maker, LeavingUnsavedAsksAndSavedDoesNot) {
  ASSERT_EQ(maker_.ShowPreview(SavePicture("cat.png", 64, 64)), PreviewMaker::Shown::Tiled);
  dialogs_.messageAnswers = {MsgResult::No, MsgResult::Yes};
  EXPECT_FALSE(maker_.MayClose());
  EXPECT_TRUE(maker_.MayClose());
  ASSERT_EQ(dialogs_.shown.size(), 2u);
  EXPECT_EQ(dialogs_.shown[0].text,
            "Are you sure you want to close this window without saving the preview image ?");
  EXPECT_EQ(dialogs_.shown[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(dialogs_.shown[0].caption, "Bravant");

  dialogs_.fileAnswers.push_back(Path("t.gif"));
  ASSERT_TRUE(maker_.Save());
  const size_t shown = dialogs_.shown.size();
  EXPECT_TRUE(maker_.MayClose());
  EXPECT_EQ(dialogs_.shown.size(), shown);
}

// Dialogs that note whether a message came while the maker said it was busy
// (the hourglass would then hang over the message box).
struct BusyAwareDialogs : ScriptedDialogs {
  bool busy = false;
  bool messageWhileBusy = false;
  MsgResult Message(const std::string& text, const std::string& caption, MsgIcon icon,
                    MsgButtons buttons) override {
    messageWhileBusy = messageWhileBusy || busy;
    return ScriptedDialogs::Message(text, caption, icon, buttons);
  }
};

TEST_F(Maker, BusyOnlyAroundTheLongWorkNeverOverAMessage) {
  BusyAwareDialogs dialogs;
  PreviewMaker maker(settings_, dialogs, PaletteTile());
  std::vector<bool> calls;
  maker.SetBusyHook([&](bool on) {
    calls.push_back(on);
    dialogs.busy = on;
  });
  ASSERT_EQ(maker.ShowPreview(SavePicture("cat.png", 64, 64)), PreviewMaker::Shown::Tiled);
  EXPECT_EQ(calls, (std::vector<bool>{true, false, true, false}));  // read, then tile
  EXPECT_EQ(maker.ShowPreview(Path("nowhere.png")), PreviewMaker::Shown::Unreadable);
  EXPECT_EQ(maker.ShowPreview(SavePicture("thin.png", 34, 200)), PreviewMaker::Shown::TooSmall);
  dialogs.fileAnswers.push_back(Path("no/folder/t.jpg"));
  EXPECT_FALSE(maker.Save());
  EXPECT_EQ(dialogs.MessageTexts().size(), 3u);
  EXPECT_FALSE(dialogs.messageWhileBusy);
  EXPECT_FALSE(dialogs.busy);
}

}  // namespace
