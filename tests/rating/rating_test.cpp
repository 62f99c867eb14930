// Kestrel's texts: level descriptions, form values, the label, the report and
// the submission checks and the walk's moves after a submission.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "rating/form_body.h"
#include "rating/label.h"
#include "rating/levels.h"
#include "rating/page_walk.h"

using namespace tendrel;

TEST(Levels, DescriptionsFromTheNameAndDetailSets) {
  struct Case {
    int category, level;
    std::string shown;
  };
  const Case cases[] = {
      {0, 1, "All Ages"},
      {0, 4, "Older Teens (15 & Up)"},  // stored doubled, shown single
      {0, 9, "Explicitly for Adults"},
      {1, 0, "-- Does not contain this theme --\r\n"},
      {1, 3, "Technical Reference\r\nDictionary, encyclopedic, news, technical references"},
      {1, 8, "Explicit Vulgarity\r\nHeavy use of vulgar language and obscene gestures. Unsupervised Chat Rooms."},
      {2, 2, "Explicit Innuendo\r\nExplicitly implied (not described) through the use of metaphor"},
      {3, 9,
       "Explicit and Crude or Explicitly Inviting Participation\r\nProfane Graphic Descriptions of intimate "
       "details of sexual acts designed to arouse. Inviting interactive sexual participation. Unsupervised "
       "Sexual Chat Rooms or Newsgroups."},
      {4, 1,
       "Subtle Innuendo\r\nSubtly Implied through the use of composition, lighting, shaping, revealing "
       "clothing, etc."},
      {4, 9, "Explicit and Crude\r\nExplicit pornographic presentation"},
      {5, 8, "Inviting Participation in Graphic Interactive Format\r\n"},  // empty detail set
      {6, 7, "Detailed Graphic\r\n"},
      {7, 4, "Non-Graphic-Literary\r\n"},
      {7, 9, "Advocating Violent or Hateful Action\r\n"},
      {8, 8, "Simulated Interactive Participation\r\n"},
      {9, 8, "Explicit Vulgarity or Inviting Participation\r\n"},
      {10, 4, "Non-Graphic-Artistic, Advertising\r\n"},
      {10, 9, "Providing Means with Stakes\r\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LevelDescription(c.category, c.level), c.shown) << "category " << c.category << " level " << c.level;
}

TEST(Levels, NamesKeepTheStoredTextAndRejectOutOfRange) {
  EXPECT_EQ(LevelName(LevelNameSet::Age, 4), "Older Teens (15 && Up)");
  EXPECT_EQ(LevelName(LevelNameSet::Age, 0), "");
  EXPECT_EQ(LevelName(LevelNameSet::F, 10), "");
  EXPECT_EQ(LevelName(LevelNameSet::C, -1), "");
  EXPECT_EQ(LevelDetail(DetailSet::Nudity, 0), "");
  // An unknown category is clamped, never read past the table.
  EXPECT_EQ(LevelDescription(-5, 1), "All Ages");
  EXPECT_EQ(LevelDescription(42, 1), "Subtle Innuendo\r\n");
  EXPECT_EQ(TransmitName(10), "SS~~00A");
}

TEST(FormBody, ValuesAreEscapedWhole) {
  std::string escapedBlanks;
  for (int i = 0; i < 84; ++i) escapedBlanks += "%20";
  struct Case {
    std::string value;
    std::optional<std::string> encoded;
  };
  const Case cases[] = {
      {"Tom & Jerry's Page", "Tom%20%26%20Jerry's%20Page"},
      {"a=b+c#d%e", "a%3Db%2Bc%23d%25e"},
      {"http://x.org/~me/|<\"a\">", "http://x.org/%7Eme/%7C%3C%22a%22%3E"},
      {"Caf\xC3\xA9\t!", "Caf%C3%A9%09!"},
      {"", std::nullopt},
      {std::string(84, ' '), escapedBlanks},             // 252 bytes fit
      {std::string(84, ' ') + "ab", escapedBlanks + "ab"},  // 254 bytes and the terminator fill it
      {std::string(85, ' '), std::nullopt},                // 255 bytes leave no room for the terminator
      {std::string(254, 'a'), std::string(254, 'a')},
      {std::string(255, 'a'), std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(EncodeFormValue(c.value), c.encoded) << c.value;
}

TEST(FormBody, AValueThatDoesNotFitIsSentEmptyAndReported) {
  Rating r;
  r.siteTitle = std::string(300, 'x');
  int errors = 0;
  const std::string body = BuildFormBody(r, "http://h/", [&] { ++errors; });
  EXPECT_EQ(errors, 1);
  EXPECT_NE(body.find("&03_Title=&Email_Address="), std::string::npos) << body;
}

namespace {
Rating LabelRating() {
  Rating r;
  r.userEmail = "  me@example.org ";
  r.siteURL = " http://www.example.org/site/ ";
  return r;
}
const std::string kHead = "<META http-equiv=\"PICS-Label\" content='(PICS-1.1 \"http://svc.test/v1/\" l";
}  // namespace

TEST(Label, EdgeCases) {
  struct Case {
    const char* what;
    std::function<void(Rating&)> set;
    std::string label;
  };
  const Case cases[] = {
      {"a specific page: no gen part, all themes 0",
       [](Rating&) {},
       kHead + " by \"me@example.org\" r (SS~~000 1))'>"},
      {"an entire directory, address trimmed",
       [](Rating& r) {
         r.siteType = SiteType::Directory;
         r.siteTypeText = kSiteTypeDirectory;
       },
       kHead + " gen true for \"http://www.example.org/site/\" by \"me@example.org\" r (SS~~000 1))'>"},
      {"the directory's text typed by hand counts as neither item",
       [](Rating& r) {
         r.siteType = SiteType::Typed;
         r.siteTypeText = kSiteTypeDirectory;
       },
       kHead + " by \"me@example.org\" r (SS~~000 1))'>"},
      {"age 4, profanity 2, gambling 9 in code order",
       [](Rating& r) {
         r.levels[10] = 9;
         r.levels[1] = 2;
         r.levels[0] = 4;
       },
       kHead + " by \"me@example.org\" r (SS~~000 4 SS~~001 2 SS~~00A 9))'>"},
      {"individual mode: combined and single themes all appear",
       [](Rating& r) { r.levels = {9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 1}; },
       kHead + " by \"me@example.org\" r (SS~~000 9 SS~~001 1 SS~~002 2 SS~~003 3 SS~~004 4 SS~~005 5 "
               "SS~~006 6 SS~~007 7 SS~~008 8 SS~~009 9 SS~~00A 1))'>"},
      {"an apostrophe cannot end the attribute",
       [](Rating& r) {
         r.siteType = SiteType::Directory;
         r.siteURL = "http://x.org/o'brien/";
         r.userEmail = "o'brien@x.org";
       },
       kHead + " gen true for \"http://x.org/o&#39;brien/\" by \"o&#39;brien@x.org\" r (SS~~000 1))'>"},
  };
  for (const Case& c : cases) {
    Rating r = LabelRating();
    c.set(r);
    const std::string label = BuildLabel(r, "http://svc.test/v1/");
    EXPECT_EQ(label, c.label) << c.what;
    EXPECT_EQ(label.find_first_of("\r\n"), std::string::npos) << c.what;
    // Exactly the two quotes that delimit the attribute.
    EXPECT_EQ(std::count(label.begin(), label.end(), '\''), 2) << c.what;
  }
  EXPECT_EQ(BuildLogoLink("http://safesurf.test/"),
            "<A HREF=\"http://safesurf.test/\"><IMG BORDER=0 SRC=\"ssurf.gif\"></A>");
}

TEST(Report, LinesWithOneBlankAfterTheFullStop) {
  Rating r;
  r.userName = "Ann Lee";
  r.siteTitle = "My Page";
  r.siteURL = "http://www.example.org/";
  r.levels[0] = 4;
  r.levels[6] = 3;
  r.levels[10] = 9;
  const std::vector<std::string> expected = {
      "My name is Ann Lee and I've rated my site with the Kestrel.",
      "",
      "My site details are:",
      "\tRating type: a specific Web page",
      "\tSite Name: My Page",
      "\tSite URL: http://www.example.org/",
      "",
      "My ratings are:",
      "(SS~~000) Recommended Age = 4. Older Teens (15 && Up)",
      "(SS~~006) Sex,Violence and Profanity = 3. Technical Reference",
      "(SS~~00A) Gambling = 9. Providing Means with Stakes",
      "",
      "__________________________________",
  };
  EXPECT_EQ(BuildReport(r), expected);
  EXPECT_EQ(expected.back().size(), 34u);
  EXPECT_EQ(JoinLinesCRLF({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(Submit, FieldChecks) {
  struct Case {
    std::string name, email, warning;
  };
  const Case cases[] = {
      {"", "me@x.org", "Please enter your name."},
      {"Ann", "", "Please enter your email address."},
      {"Ann", "me.x.org", "Please enter a valid email address."},
      {"Ann", "me @x.org", "Please enter a valid email address."},
      {"Ann", "  me@x.org  ", ""},  // blanks around it are fine
      {"Ann", "me@x.org", ""},
      {" ", "@", ""},  // the fields are checked as typed
  };
  for (const Case& c : cases) EXPECT_EQ(CheckSubmitFields(c.name, c.email), c.warning) << c.name << "|" << c.email;
}

// The submission ends after Next has returned; its own moves leave the
// buttons as a Next to the same page would.
TEST(PageWalk, TheSubmissionMovesOnWhenItEnds) {
  for (const bool sent : {true, false}) {
    PageWalk walk;
    walk.JumpTo(kPageSubmit);
    int submits = 0;
    walk.Next([&] { ++submits; });
    EXPECT_EQ(submits, 1);
    EXPECT_EQ(walk.page(), kPageSubmit) << "the submission has not ended yet";
    EXPECT_FALSE(walk.submitted());
    walk.Submitted(sent);
    EXPECT_TRUE(walk.submitted());
    EXPECT_EQ(walk.page(), sent ? kPageFinish : kPageEmail) << sent;
    EXPECT_EQ(walk.finishVisible(), sent) << sent;
    EXPECT_EQ(walk.nextVisible(), !sent) << sent;
    EXPECT_TRUE(walk.backEnabled());
    // Later Nexts on the submission page only move on.
    walk.JumpTo(kPageSubmit);
    walk.Next([&] { ++submits; });
    EXPECT_EQ(submits, 1);
    EXPECT_EQ(walk.page(), kPageEmail);
  }
}
