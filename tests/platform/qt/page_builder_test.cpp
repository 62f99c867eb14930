// Pages described as tables: each row becomes its control with the name,
// text, place and parent it was given.
#include "platform/qt/page_builder.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "platform/qt/keyed_picture.h"
#include "resources/resources.h"

using namespace tendrel;

namespace {

const PageControl kRows[] = {
    {Ctl::Heading, "lblHeading", "Nudity", {136, 8, 273, 18}},
    {Ctl::Text, "lblNote", "A note long enough to need more than one line in its box.", {136, 30, 273, 44}},
    {Ctl::Caption, "lblHigh", "9", {136, 80, 120, 16}, "", kCtlAlignRight},
    {Ctl::Caption, "lblMid", "5", {136, 96, 120, 16}, "", kCtlCentred},
    {Ctl::Edit, "txtSiteURL", "http://", {136, 120, 273, 22}},
    {Ctl::Edit, "txtFixed", "fixed", {136, 144, 273, 22}, "", kCtlReadOnly},
    {Ctl::Combo, "cmbSiteType", "", {136, 168, 273, 22}},
    {Ctl::Check, "chkAddImage", "Add Image", {136, 192, 120, 20}, "", kCtlChecked},
    {Ctl::Check, "chkOther", "Other", {260, 192, 120, 20}},
    {Ctl::Radio, "optFirst", "First", {136, 214, 60, 20}, "", kCtlChecked},
    {Ctl::Button, "btnSave", "&Save as File", {136, 236, 100, 25}},
    {Ctl::Memo, "txtEmail", "first line", {136, 264, 273, 60}},
    {Ctl::Group, "grpLevel", "Level ", {136, 330, 273, 70}},
    {Ctl::Slider, "trkLevel", "", {8, 18, 257, 26}, "grpLevel"},
    {Ctl::Caption, "lblLow", "0", {8, 46, 128, 16}, "grpLevel"},
    {Ctl::Caption, "lblStray", "?", {1, 2, 30, 16}, "grpNoSuchGroup"},
    {Ctl::Rule, "", "", {8, 410, 401, 2}},
};

}  // namespace

TEST(PageBuilder, EveryRowBecomesItsControlWithNameTextAndPlace) {
  QWidget page;
  QFont font = page.font();
  font.setPointSize(8);
  page.setFont(font);
  const PageControls made = BuildPage(&page, kRows);

  int named = 0;
  for (const PageControl& row : kRows) {
    if (row.name.isEmpty()) continue;
    ++named;
    QWidget* w = page.findChild<QWidget*>(row.name);
    ASSERT_NE(w, nullptr) << row.name.toStdString();
    EXPECT_EQ(made.find(row.name), w) << row.name.toStdString();
    EXPECT_EQ(w->geometry(), row.where) << row.name.toStdString();
    const QString parentName = w->parentWidget() == &page ? QString() : w->parentWidget()->objectName();
    EXPECT_EQ(parentName, row.parent == "grpNoSuchGroup" ? QString() : row.parent)
        << row.name.toStdString() << ": a row without a known group goes onto the page";
  }
  EXPECT_EQ(made.size(), named);
  EXPECT_EQ(made.find(QStringLiteral("nothing")), nullptr);
  EXPECT_EQ(made.get<QLineEdit>(QStringLiteral("lblNote")), nullptr) << "the wrong type is no match";

  // Controls are made in table order, which is also their tab order.
  QStringList order;
  for (QObject* o : page.children())
    if (auto* w = qobject_cast<QWidget*>(o); w && !w->objectName().isEmpty()) order << w->objectName();
  EXPECT_EQ(order, (QStringList{"lblHeading", "lblNote", "lblHigh", "lblMid", "txtSiteURL", "txtFixed",
                                "cmbSiteType", "chkAddImage", "chkOther", "optFirst", "btnSave", "txtEmail",
                                "grpLevel", "lblStray"}));

  auto* heading = made.get<QLabel>(QStringLiteral("lblHeading"));
  EXPECT_EQ(heading->text(), QStringLiteral("Nudity"));
  EXPECT_TRUE(heading->font().bold());
  EXPECT_EQ(heading->font().pointSize(), 9) << "one point above the page's font";
  EXPECT_FALSE(heading->wordWrap());
  auto* note = made.get<QLabel>(QStringLiteral("lblNote"));
  EXPECT_TRUE(note->wordWrap());
  EXPECT_EQ(note->textFormat(), Qt::PlainText);
  EXPECT_EQ(note->alignment(), Qt::AlignLeft | Qt::AlignTop);
  EXPECT_FALSE(note->font().bold());
  EXPECT_EQ(made.get<QLabel>(QStringLiteral("lblHigh"))->alignment(), Qt::AlignRight | Qt::AlignTop);
  EXPECT_EQ(made.get<QLabel>(QStringLiteral("lblMid"))->alignment(), Qt::AlignHCenter | Qt::AlignTop);
  EXPECT_FALSE(made.get<QLabel>(QStringLiteral("lblHigh"))->wordWrap());

  EXPECT_EQ(made.get<QLineEdit>(QStringLiteral("txtSiteURL"))->text(), QStringLiteral("http://"));
  EXPECT_FALSE(made.get<QLineEdit>(QStringLiteral("txtSiteURL"))->isReadOnly());
  EXPECT_TRUE(made.get<QLineEdit>(QStringLiteral("txtFixed"))->isReadOnly());
  EXPECT_EQ(made.get<QComboBox>(QStringLiteral("cmbSiteType"))->count(), 0);
  EXPECT_TRUE(made.get<QCheckBox>(QStringLiteral("chkAddImage"))->isChecked());
  EXPECT_EQ(made.get<QCheckBox>(QStringLiteral("chkAddImage"))->text(), QStringLiteral("Add Image"));
  EXPECT_FALSE(made.get<QCheckBox>(QStringLiteral("chkOther"))->isChecked());
  EXPECT_TRUE(made.get<QRadioButton>(QStringLiteral("optFirst"))->isChecked());
  EXPECT_EQ(made.get<QPushButton>(QStringLiteral("btnSave"))->text(), QStringLiteral("&Save as File"));
  EXPECT_EQ(made.get<QPlainTextEdit>(QStringLiteral("txtEmail"))->toPlainText(), QStringLiteral("first line"));
  EXPECT_EQ(made.get<QGroupBox>(QStringLiteral("grpLevel"))->title(), QStringLiteral("Level "));
  EXPECT_EQ(made.get<QSlider>(QStringLiteral("trkLevel"))->orientation(), Qt::Horizontal);

  // The unnamed rule is there all the same.
  int rules = 0;
  for (QFrame* f : page.findChildren<QFrame*>(Qt::FindDirectChildrenOnly))
    if (f->frameShape() == QFrame::HLine && f->objectName().isEmpty()) {
      ++rules;
      EXPECT_EQ(f->geometry(), QRect(8, 410, 401, 2));
    }
  EXPECT_EQ(rules, 1);
}

TEST(PageBuilder, PicturesTakeTheirBitmapsSizeAndImagesShowTheirFile) {
  InitResources();
  const PageControl rows[] = {
      {Ctl::Picture, "pbxSide", "FULLWIZ", {8, 8, 1, 1}},
      {Ctl::Picture, "pbxMissing", "NOSUCHBITMAP", {8, 250, 40, 40}},
      {Ctl::Picture, "pbxLater", "", {60, 250, 40, 40}},
      {Ctl::Image, "imgLogo", ":/file/ssurf.gif", {228, 86, 88, 31}},
  };
  QWidget page;
  const PageControls made = BuildPage(&page, rows);
  auto* side = made.get<KeyedPicture>(QStringLiteral("pbxSide"));
  ASSERT_NE(side, nullptr);
  EXPECT_EQ(side->geometry(), QRect(8, 8, 120, 232));
  EXPECT_EQ(side->resource(), "FULLWIZ");
  EXPECT_EQ(made.find(QStringLiteral("pbxMissing"))->geometry(), QRect(8, 250, 40, 40));
  EXPECT_TRUE(made.get<KeyedPicture>(QStringLiteral("pbxLater"))->Picture().isNull());
  auto* logo = made.get<QLabel>(QStringLiteral("imgLogo"));
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(logo->pixmap().size(), QSize(88, 31));
}
