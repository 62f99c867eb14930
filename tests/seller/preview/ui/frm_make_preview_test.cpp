#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>

#include "seller/core/settings.h"
#include "seller/preview/ui/frm_make_preview.h"
#include "seller/preview/ui/make_preview.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"

using namespace tendrel;

namespace {

QImage Picture(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x & 255, y & 255, 90));
  return image;
}

constexpr char kQuestion[] =
    "Are you sure you want to close this window without saving the preview image ?";
constexpr char kTooSmall[] = "Image is too small to apply tiling.";

class PreviewWindow : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  std::string Path(const std::string& name) const {
    return dir_.filePath(QString::fromStdString(name)).toStdString();
  }
  std::string SavePicture(const std::string& name, int width, int height) {
    EXPECT_TRUE(Picture(width, height).save(QString::fromStdString(Path(name))));
    return Path(name);
  }
  template <typename T>
  static T* Find(QWidget& form, const char* name) {
    return form.findChild<T*>(QString::fromUtf8(name));
  }
  static QImage Shown(QWidget& form) {
    return Find<QLabel>(form, "ilPreview")->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
  }
  // Runs fn on the modal window as soon as the event loop turns, and gives
  // up (closing whatever is modal) after a while so a test cannot hang.
  static void WhenModal(std::function<void(TfrmMakePreview&)> fn) {
    QTimer::singleShot(0, [fn] {
      auto* form = qobject_cast<TfrmMakePreview*>(QApplication::activeModalWidget());
      ASSERT_NE(form, nullptr);
      fn(*form);
    });
  }
  size_t Questions() const {
    size_t n = 0;
    for (const auto& s : dialogs_.shown) n += s.text == kQuestion;
    return n;
  }

  TempHome home_;
  QTemporaryDir dir_;
  SettingsStore settings_;
  ScriptedDialogs dialogs_;
};

TEST_F(PreviewWindow, HasItsCommandsStackedLeftOfThePicture) {
  TfrmMakePreview form(settings_, dialogs_);
  EXPECT_EQ(form.windowTitle(), "Create Tillon Preview");
  const struct {
    const char* name;
    const char* text;
  } buttons[] = {{"btnSpacing", "R&educe Spacing"},
                 {"btnRestore", "&Restore Spacing"},
                 {"btnSave", "&Save Preview"},
                 {"btnClose", "C&lose"}};
  int lastBottom = -1;
  for (const auto& b : buttons) {
    SCOPED_TRACE(b.name);
    auto* button = Find<QPushButton>(form, b.name);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), b.text);
    EXPECT_GT(button->y(), lastBottom);
    lastBottom = button->geometry().bottom();
    EXPECT_EQ(button->x(), Find<QPushButton>(form, "btnSpacing")->x());
    EXPECT_LT(button->geometry().right(), Find<QScrollArea>(form, "scrPreview")->x());
    EXPECT_GE(button->width(), button->sizeHint().width());
  }
  ASSERT_NE(Find<QLabel>(form, "ilPreview"), nullptr);
  ASSERT_NE(Find<QLabel>(form, "ilOriginal"), nullptr);
  ASSERT_NE(Find<QLabel>(form, "imgTile"), nullptr);
  EXPECT_TRUE(Find<QLabel>(form, "ilOriginal")->isHidden());
  EXPECT_TRUE(Find<QLabel>(form, "imgTile")->isHidden());
  // The shipped tile: 34 by 34 with a 256-colour palette.
  EXPECT_EQ(Find<QLabel>(form, "imgTile")->pixmap().size(), QSize(34, 34));
  EXPECT_EQ(form.maker().Tile().format(), QImage::Format_Indexed8);
  EXPECT_EQ(form.maker().Tile().colorCount(), 256);
}

TEST_F(PreviewWindow, SizesItselfToThePicture) {
  TfrmMakePreview form(settings_, dialogs_);
  ASSERT_EQ(form.ShowPreview(SavePicture("cat.png", 100, 100)), PreviewMaker::Shown::Tiled);
  auto* area = Find<QScrollArea>(form, "scrPreview");
  auto* close = Find<QPushButton>(form, "btnClose");
  EXPECT_EQ(Find<QLabel>(form, "ilPreview")->size(), QSize(100, 100));
  EXPECT_EQ(area->size(), QSize(100, 100));
  EXPECT_EQ(form.width(), area->x() + 100 + 30);
  EXPECT_EQ(form.height(), std::max(close->geometry().bottom() + 1, area->y() + 100) + 45);
  // The tiles are what is shown: the top-left cell is empty, the next is tile.
  const QImage shown = Shown(form);
  EXPECT_EQ(shown.pixel(0, 0), Picture(100, 100).pixel(0, 0));
  EXPECT_EQ(shown.pixel(34, 0), form.maker().Tile().pixel(0, 0));
  EXPECT_EQ(Find<QLabel>(form, "ilOriginal")->pixmap().size(), QSize(100, 100));

  // A tall picture makes the window taller than the button column needs.
  ASSERT_EQ(form.ShowPreview(SavePicture("tall.png", 60, 300)), PreviewMaker::Shown::Tiled);
  EXPECT_EQ(form.height(), area->y() + 300 + 45);
  EXPECT_EQ(form.width(), area->x() + 60 + 30);
}

TEST_F(PreviewWindow, LargePictureScrollsAndTheWindowStaysOnTheScreen) {
  TfrmMakePreview form(settings_, dialogs_);
  ASSERT_EQ(form.ShowPreview(SavePicture("big.png", 2500, 1800)), PreviewMaker::Shown::Tiled);
  const QRect avail = form.screen()->availableGeometry();
  EXPECT_LE(5 + form.width(), avail.width());
  EXPECT_LE(5 + form.height(), avail.height());
  auto* area = Find<QScrollArea>(form, "scrPreview");
  EXPECT_LT(area->width(), 2500);
  EXPECT_LT(area->height(), 1800);
  EXPECT_EQ(Find<QLabel>(form, "ilPreview")->size(), QSize(2500, 1800));
  form.show();
  QApplication::processEvents();
  EXPECT_TRUE(area->horizontalScrollBar()->isVisible());
  EXPECT_TRUE(area->verticalScrollBar()->isVisible());
  // Every pixel can be scrolled to.
  EXPECT_EQ(area->horizontalScrollBar()->maximum(), 2500 - area->viewport()->width());
  EXPECT_EQ(area->verticalScrollBar()->maximum(), 1800 - area->viewport()->height());
  EXPECT_EQ(form.width(), area->geometry().right() + 1 + 30);
  form.hide();
}

TEST_F(PreviewWindow, ReduceTwelveTimesStopsAtTheFloorAndRestoreGoesBack) {
  TfrmMakePreview form(settings_, dialogs_);
  ASSERT_EQ(form.ShowPreview(SavePicture("cat.png", 150, 120)), PreviewMaker::Shown::Tiled);
  form.show();
  const QImage first = Shown(form);
  for (int i = 0; i < 12; ++i) QTest::mouseClick(Find<QPushButton>(form, "btnSpacing"), Qt::LeftButton);
  EXPECT_EQ(form.maker().Spacing(), -11);
  EXPECT_NE(Shown(form), first);
  EXPECT_EQ(Shown(form), form.maker().Working().convertToFormat(QImage::Format_RGB32));
  QTest::mouseClick(Find<QPushButton>(form, "btnRestore"), Qt::LeftButton);
  EXPECT_EQ(form.maker().Spacing(), 0);
  EXPECT_EQ(Shown(form), first);
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(PreviewWindow, ClosingUnsavedAsksAndNoKeepsItOpen) {
  TfrmMakePreview form(settings_, dialogs_);
  ASSERT_EQ(form.ShowPreview(SavePicture("cat.png", 100, 100)), PreviewMaker::Shown::Tiled);
  form.show();
  dialogs_.messageAnswers = {MsgResult::No, MsgResult::No};
  QTest::mouseClick(Find<QPushButton>(form, "btnClose"), Qt::LeftButton);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(Questions(), 1u);
  EXPECT_EQ(dialogs_.shown.back().buttons, MsgButtons::YesNo);
  EXPECT_EQ(dialogs_.shown.back().caption, "Bravant");
  // Escape asks the same.
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(Questions(), 2u);

  dialogs_.messageAnswers = {MsgResult::Yes};
  QTest::mouseClick(Find<QPushButton>(form, "btnClose"), Qt::LeftButton);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.result(), QDialog::Rejected);
}

TEST_F(PreviewWindow, AfterASaveCloseJustCloses) {
  TfrmMakePreview form(settings_, dialogs_);
  ASSERT_EQ(form.ShowPreview(SavePicture("cat.png", 100, 100)), PreviewMaker::Shown::Tiled);
  form.show();
  dialogs_.fileAnswers.push_back(Path("teaser.jpeg"));
  QTest::mouseClick(Find<QPushButton>(form, "btnSave"), Qt::LeftButton);
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(Find<QPushButton>(form, "btnClose")->isDefault());
  QTest::mouseClick(Find<QPushButton>(form, "btnClose"), Qt::LeftButton);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(Questions(), 0u);
  EXPECT_EQ(settings_.ReadText("Options", "Last Preview", ""), Path("teaser.jpeg"));
}

TEST_F(PreviewWindow, BadNameKeepsTheWindowOpen) {
  TfrmMakePreview form(settings_, dialogs_);
  ASSERT_EQ(form.ShowPreview(SavePicture("cat.png", 100, 100)), PreviewMaker::Shown::Tiled);
  form.show();
  dialogs_.fileAnswers.push_back(Path("teaser.bmp"));
  QTest::mouseClick(Find<QPushButton>(form, "btnSave"), Qt::LeftButton);
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(Find<QPushButton>(form, "btnClose")->isDefault());
  ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_NE(dialogs_.MessageTexts()[0].find(".jpeg"), std::string::npos);
  EXPECT_EQ(settings_.ReadText("Options", "Last Preview", ""), "");
}

TEST_F(PreviewWindow, TooSmallPictureClosesTheOpenWindowWithoutAsking) {
  TfrmMakePreview form(settings_, dialogs_);
  ASSERT_EQ(form.ShowPreview(SavePicture("cat.png", 100, 100)), PreviewMaker::Shown::Tiled);
  form.show();
  EXPECT_EQ(form.ShowPreview(SavePicture("thin.png", 34, 200)), PreviewMaker::Shown::TooSmall);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(dialogs_.MessageTexts(), std::vector<std::string>{kTooSmall});
}

TEST_F(PreviewWindow, UnreadablePictureLeavesTheWindowAsItWas) {
  TfrmMakePreview form(settings_, dialogs_);
  ASSERT_EQ(form.ShowPreview(SavePicture("cat.png", 100, 100)), PreviewMaker::Shown::Tiled);
  form.show();
  const QImage before = Shown(form);
  const QSize size = form.size();
  EXPECT_EQ(form.ShowPreview(Path("missing.gif")), PreviewMaker::Shown::Unreadable);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(Shown(form), before);
  EXPECT_EQ(form.size(), size);
  ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_NE(dialogs_.MessageTexts()[0].find("missing.gif"), std::string::npos);
}

TEST_F(PreviewWindow, WizardCallHandsBackTheSavedName) {
  settings_.WriteText("Options", "Last Preview", "/old/stale.gif");
  const std::string target = Path("teaser.gif");
  QPoint where;
  std::string lastPreviewWhileOpen = "unset";
  WhenModal([&](TfrmMakePreview& form) {
    where = form.pos();
    lastPreviewWhileOpen = settings_.ReadText("Options", "Last Preview", "");
    dialogs_.fileAnswers.push_back(target);
    form.btnSaveClick();
    form.btnCloseClick();
  });
  EXPECT_EQ(MakePreviewFor(SavePicture("cat.png", 100, 100), settings_, dialogs_, nullptr), target);
  EXPECT_EQ(lastPreviewWhileOpen, "");
  EXPECT_EQ(where, QApplication::primaryScreen()->availableGeometry().topLeft() + QPoint(5, 5));
  EXPECT_EQ(Questions(), 0u);
}

TEST_F(PreviewWindow, WizardCallClearsAStaleNameSoLeavingAsks) {
  settings_.WriteText("Options", "Last Preview", "/old/stale.gif");
  dialogs_.messageAnswers = {MsgResult::Yes};
  WhenModal([](TfrmMakePreview& form) { form.btnCloseClick(); });
  EXPECT_EQ(MakePreviewFor(SavePicture("cat.png", 100, 100), settings_, dialogs_, nullptr), "");
  EXPECT_EQ(Questions(), 1u);
}

TEST_F(PreviewWindow, WizardCallOpensUntiledWhenTooSmallOneWay) {
  bool opened = false;
  QImage shown;
  dialogs_.messageAnswers = {MsgResult::Ok, MsgResult::Yes};
  WhenModal([&](TfrmMakePreview& form) {
    opened = true;
    shown = Shown(form);
    form.btnCloseClick();
  });
  EXPECT_EQ(MakePreviewFor(SavePicture("thin.png", 34, 200), settings_, dialogs_, nullptr), "");
  EXPECT_TRUE(opened);
  EXPECT_EQ(shown, Picture(34, 200));
  ASSERT_FALSE(dialogs_.MessageTexts().empty());
  EXPECT_EQ(dialogs_.MessageTexts()[0], kTooSmall);
}

TEST_F(PreviewWindow, WizardCallDoesNotOpenForATinyOrUnreadablePicture) {
  // Should the window open after all, close it so the test fails instead of hanging.
  bool opened = false;
  auto guard = [&] {
    QTimer::singleShot(0, [&] {
      if (auto* w = QApplication::activeModalWidget()) {
        opened = true;
        dialogs_.messageAnswers.push_back(MsgResult::Yes);
        static_cast<TfrmMakePreview*>(w)->btnCloseClick();
      }
    });
  };
  settings_.WriteText("Options", "Last Preview", "/old/stale.gif");
  guard();
  EXPECT_EQ(MakePreviewFor(SavePicture("tiny.png", 20, 33), settings_, dialogs_, nullptr), "");
  guard();
  EXPECT_EQ(MakePreviewFor(Path("missing.png"), settings_, dialogs_, nullptr), "");
  QApplication::processEvents();
  EXPECT_FALSE(opened);
  ASSERT_EQ(dialogs_.MessageTexts().size(), 2u);
  EXPECT_EQ(dialogs_.MessageTexts()[0], kTooSmall);
  EXPECT_NE(dialogs_.MessageTexts()[1].find("missing.png"), std::string::npos);
  EXPECT_EQ(Questions(), 0u);
}

// Not a check: with TENDREL_PREVIEW_SHOTS=<folder> the window is saved as
// PNG before and after Reduce Spacing, to be looked at (run on a real display,
// e.g. under xvfb-run with QT_QPA_PLATFORM=xcb).
}  // namespace
