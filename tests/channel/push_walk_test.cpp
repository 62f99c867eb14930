// Pennant's page walk, summary layout and history rule, without a display.
#include <gtest/gtest.h>

#include "channel/push_walk.h"

using namespace tendrel::channel;

TEST(PushWalk, NextAndBackSkipThePagesOfViewersNotChosen) {
  const Viewers none{false, false, false}, ieOnly{true, false, false}, pcOnly{false, true, false},
      nsOnly{false, false, true}, all{};
  EXPECT_EQ(NextPage(PushPage::Main, none), std::nullopt);
  EXPECT_EQ(NextPage(PushPage::Main, nsOnly), PushPage::Netscape);
  EXPECT_EQ(NextPage(PushPage::IE, ieOnly), PushPage::Common);
  EXPECT_EQ(NextPage(PushPage::IE, nsOnly), PushPage::Netscape);
  EXPECT_EQ(NextPage(PushPage::PointCast, pcOnly), PushPage::Common);
  EXPECT_EQ(NextPage(PushPage::Finish, all), std::nullopt);
  EXPECT_EQ(BackPage(PushPage::Common, pcOnly), PushPage::PointCast);
  EXPECT_EQ(BackPage(PushPage::Common, ieOnly), PushPage::IE);
  EXPECT_EQ(BackPage(PushPage::Netscape, nsOnly), PushPage::Main);
  EXPECT_EQ(BackPage(PushPage::PointCast, pcOnly), PushPage::Main);
  // With every viewer crossed out after the pages were reached, Back still finds tabMain.
  EXPECT_EQ(BackPage(PushPage::Common, none), PushPage::Main);
  EXPECT_EQ(BackPage(PushPage::Intro, all), std::nullopt);
}

TEST(PushWalk, TheNextCaptionHasThreeForms) {
  PushWalk w;
  const Viewers ieOnly{true, false, false};
  EXPECT_EQ(w.nextCaption(), "&Next >>");
  EXPECT_EQ(w.Next(ieOnly), PushWalk::NextResult::Moved);
  EXPECT_TRUE(w.backEnabled());
  EXPECT_EQ(w.Next(ieOnly), PushWalk::NextResult::Moved);
  EXPECT_EQ(w.Next(ieOnly), PushWalk::NextResult::Moved);
  EXPECT_EQ(w.page(), PushPage::Common);
  EXPECT_EQ(w.nextCaption(), "&Next >>");
  EXPECT_EQ(w.Next(ieOnly), PushWalk::NextResult::Summary);
  EXPECT_EQ(w.nextCaption(), "&Finish");
  EXPECT_EQ(w.Next(ieOnly), PushWalk::NextResult::Generate);
  EXPECT_EQ(w.page(), PushPage::Finish);
  ASSERT_TRUE(w.Back(ieOnly));
  EXPECT_EQ(w.nextCaption(), "Next &>>");
  // Forward again: the summary gives back "&Finish".
  EXPECT_EQ(w.Next(ieOnly), PushWalk::NextResult::Summary);
  EXPECT_EQ(w.nextCaption(), "&Finish");
  w.FailedCheck(PushPage::IE);
  EXPECT_EQ(w.page(), PushPage::IE);
  EXPECT_EQ(w.nextCaption(), "Next &>>");
  EXPECT_TRUE(w.backEnabled());
  // Back to the start: Back is disabled there and does nothing more.
  while (w.page() != PushPage::Intro) ASSERT_TRUE(w.Back(ieOnly));
  EXPECT_FALSE(w.backEnabled());
  EXPECT_FALSE(w.Back(ieOnly));
}

TEST(PushWalk, TheSummaryLayoutFollowsTheChosenViewers) {
  SummaryLayout s = LoadFinalPage({true, true, true});
  EXPECT_TRUE(s.ieShown && s.pcShown);
  EXPECT_EQ(s.ieLabelTop, 124);
  EXPECT_EQ(s.ieEditTop, 140);
  EXPECT_EQ(s.pcLabelTop, 174);
  EXPECT_EQ(s.pcEditTop, 190);
  EXPECT_FALSE(s.java1Shown);
  EXPECT_TRUE(s.finish2Shown);
  EXPECT_TRUE(s.netscapeFileShown);

  s = LoadFinalPage({false, true, false});
  EXPECT_FALSE(s.ieShown);
  EXPECT_EQ(s.pcLabelTop, 124);
  EXPECT_EQ(s.pcEditTop, 140);
  EXPECT_FALSE(s.netscapeFileShown);

  s = LoadFinalPage({true, false, true});
  EXPECT_TRUE(s.ieShown);
  EXPECT_FALSE(s.pcShown);
  EXPECT_FALSE(s.java1Shown) << "a channel file is still made";

  s = LoadFinalPage({false, false, true});
  EXPECT_FALSE(s.ieShown || s.pcShown);
  EXPECT_TRUE(s.java1Shown);
  EXPECT_FALSE(s.finish2Shown);
  EXPECT_TRUE(s.netscapeFileShown);
}

TEST(PushWalk, TypedTextJoinsTheHistoryOnceAndNeverBlank) {
  std::vector<std::string> items{"http://b.test/"};
  EXPECT_TRUE(AddToHistory(items, "http://a.test/"));
  EXPECT_EQ(items, (std::vector<std::string>{"http://a.test/", "http://b.test/"}));
  EXPECT_FALSE(AddToHistory(items, "http://b.test/"));
  EXPECT_FALSE(AddToHistory(items, ""));
  EXPECT_FALSE(AddToHistory(items, "    "));
  EXPECT_EQ(items.size(), 2u);
  // Text with spaces round it is kept as typed; only the exact text counts as present.
  EXPECT_TRUE(AddToHistory(items, " http://b.test/"));
  EXPECT_EQ(items.front(), " http://b.test/");
}
