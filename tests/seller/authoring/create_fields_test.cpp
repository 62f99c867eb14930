// The Create wizard's rules without its widgets: kinds, media types, the page
// checks and the copy into the record.
#include <gtest/gtest.h>

#include <string>

#include "seller/authoring/applet.h"
#include "seller/authoring/create_fields.h"
#include "seller/core/settings.h"
#include "support/temp_home.h"

using namespace tendrel;

TEST(CreateKinds, TagsSetUpTheirKindAndNothingElseHasOne) {
  ASSERT_TRUE(KindForTag(0) && KindForTag(1) && KindForTag(2));
  EXPECT_FALSE(KindForTag(-1));
  EXPECT_FALSE(KindForTag(3));
  EXPECT_STREQ(KindForTag(0)->mediaType, "text/plain");
  EXPECT_STREQ(KindForTag(1)->mediaType, "image/gif");
  EXPECT_STREQ(KindForTag(2)->mediaType, "text/html");
  EXPECT_EQ(ChooseFileCaption(*KindForTag(0)), "Choose a text file that you wish to sell using Tillon");
  EXPECT_EQ(ChooseFileCaption(*KindForTag(1)), "Choose an image file that you wish to sell using Tillon");
  EXPECT_EQ(ChooseFileCaption(*KindForTag(2)), "Choose an HTML file that you wish to sell using Tillon");
  EXPECT_STREQ(KindForTag(2)->filter, "HTML Files (*.htm,*.html)|*.htm;*.html|All Files|*.*");
  EXPECT_STREQ(KindForTag(1)->folderValue, "Tillon Image");

  EXPECT_EQ(KindOfMediaType("TEXT/Plain"), ContentKind::Text);
  EXPECT_EQ(KindOfMediaType("text/HTML"), ContentKind::Html);
  EXPECT_EQ(KindOfMediaType("image/gif"), ContentKind::Image);
  EXPECT_EQ(KindOfMediaType("Image/JPEG"), ContentKind::Image);
  EXPECT_EQ(KindOfMediaType("image/png"), ContentKind::Image);  // a product once shown as a PNG
  EXPECT_EQ(KindOfMediaType(""), ContentKind::None);
  EXPECT_EQ(KindOfMediaType("application/pdf"), ContentKind::None);
}

TEST(CreateKinds, ImageMediaTypeKeepsTheExtensionAsSpelled) {
  EXPECT_EQ(ImageMediaType("/pics/photo.jpg"), "image/jpeg");
  EXPECT_EQ(ImageMediaType("/pics/file.JPG"), "image/JPG");  // only the exact spelling changes
  EXPECT_EQ(ImageMediaType("/pics/a.b/pic.Gif"), "image/Gif");
  EXPECT_EQ(ImageMediaType("/pics.d/noext"), "image/");
}

TEST(CreatePages, LayoutChecksInOrderAndCorrectsSmallSizes) {
  CreateFields f;
  f.width = "";
  f.height = "";
  EXPECT_EQ(CheckLayoutPage(f)->message, kNeedWidth);
  f.width = "199";
  EXPECT_EQ(CheckLayoutPage(f)->message, kNeedHeight);
  f.height = "100";
  auto p = CheckLayoutPage(f);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->message, kWidthTooSmall);
  EXPECT_EQ(p->field, CreateField::Width);
  EXPECT_EQ(f.width, "200");
  EXPECT_EQ(f.height, "100");  // one correction at a time
  p = CheckLayoutPage(f);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->message, kHeightTooSmall);
  EXPECT_EQ(f.height, "300");
  EXPECT_FALSE(CheckLayoutPage(f));
}

TEST(CreatePages, NameMustNotBeANumberAndCostIsNeeded) {
  CreateFields f;
  f.name = "";
  EXPECT_EQ(CheckNamePage(f)->message, kNeedName);
  f.name = "2024";
  EXPECT_EQ(CheckNamePage(f)->message, kNumericName);
  f.name = "-17";
  EXPECT_EQ(CheckNamePage(f)->message, kNumericName);
  f.name = "2024 report";
  f.cost = "";
  EXPECT_EQ(CheckNamePage(f)->message, kNeedCost);
  EXPECT_EQ(CheckNamePage(f)->field, CreateField::Cost);
  f.cost = "25";
  EXPECT_FALSE(CheckNamePage(f));
  f.file = "";
  EXPECT_EQ(CheckFilePage(f)->message, kBrowseForFile);
}

TEST(CreatePages, CostAndSizesAfterTheirRules) {
  EXPECT_EQ(CostAfterExit("-250"), "250");
  EXPECT_EQ(CostAfterExit("250"), "250");
  EXPECT_EQ(CostAfterExit("-2147483648"), "2147483648");  // no overflow at the edge
  EXPECT_EQ(CostAfterExit(""), "");
  EXPECT_EQ(CostAfterExit("abc"), "abc");
  EXPECT_EQ(SizeOrDefault("0"), "400");
  EXPECT_EQ(SizeOrDefault(""), "400");
  EXPECT_EQ(SizeOrDefault("640"), "640");
}

TEST(CreateRecord, FieldsGoIntoTheRecordWithTheStoredVendor) {
  TempHome home;
  SettingsStore settings;
  TApplet record(&settings);
  record.MediaType = "image/jpeg";
  CreateFields f;
  f.file = "/pics/photo.jpg";
  f.width = "640";
  f.height = "480";
  f.useFrame = true;
  f.name = "Photo";
  f.description = "A photo";
  f.cost = "25";
  f.previewUrl = "/pics/teaser.jpg";
  f.productId = "P9";
  CopyFieldsToRecord(f, settings, record);
  EXPECT_EQ(record.VendorID, "GUEST");
  EXPECT_EQ(record.MediaType, "image/jpeg");  // the wizard's already
  settings.WriteText("Vendor", "ID", "V7");
  CopyFieldsToRecord(f, settings, record);
  EXPECT_EQ(record.VendorID, "V7");
  const CreateFields back = FieldsFromRecord(record);
  EXPECT_EQ(back.file, f.file);
  EXPECT_EQ(back.width, "640");
  EXPECT_EQ(back.height, "480");
  EXPECT_TRUE(back.useFrame);
  EXPECT_EQ(back.name, "Photo");
  EXPECT_EQ(back.description, "A photo");
  EXPECT_EQ(back.cost, "25");
  EXPECT_EQ(back.previewUrl, f.previewUrl);
  EXPECT_EQ(back.productId, "P9");
}
