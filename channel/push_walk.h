#pragma once
// Pennant's page walk without a display: which page Next and Back show for
// the ticked viewers, the forms of the Next caption, the summary page's
// layout, and the rule by which typed addresses join their histories.
#include <optional>
#include <string>
#include <vector>

#include "channel/channel_fields.h"

namespace tendrel::channel {

// The ticked viewer toggles.
struct Viewers {
  bool ie = true;
  bool pointCast = true;
  bool netcaster = true;

  bool any() const { return ie || pointCast || netcaster; }
};

// The Next button's three captions.
inline constexpr char kCaptionNext[] = "&Next >>";     // until the summary is first reached
inline constexpr char kCaptionFinish[] = "&Finish";    // on the summary page
inline constexpr char kCaptionNextAgain[] = "Next &>>";  // after Back from it or a failed check

// The page Next leads to from `from`; nothing when Next does not move
// (no viewer ticked on tabMain, or the summary page, where Next generates).
std::optional<PushPage> NextPage(PushPage from, const Viewers& v);
// The page Back leads to; nothing on tabIntro.
std::optional<PushPage> BackPage(PushPage from, const Viewers& v);

class PushWalk {
 public:
  PushPage page() const { return page_; }
  bool backEnabled() const { return backEnabled_; }
  const std::string& nextCaption() const { return caption_; }

  // What a press of Next asks of the form.
  enum class NextResult {
    Stayed,    // nothing happens
    Moved,     // show page()
    Summary,   // fill the summary page, then show page()
    Generate,  // on the summary page: run the generation
  };
  NextResult Next(const Viewers& v);
  // False on tabIntro, where Back is disabled anyway.
  bool Back(const Viewers& v);
  // A check of the generation failed: its page is shown, with the caption
  // "Next &>>".
  void FailedCheck(PushPage page);
  // Straight to a page (for looking at one page on its own); the caption and
  // Back as a walk to it would leave them.
  void JumpTo(PushPage page);

 private:
  PushPage page_ = PushPage::Intro;
  bool backEnabled_ = false;
  std::string caption_ = kCaptionNext;
};

// Where LoadFinalPage puts the summary page's controls. A pair that is not
// shown keeps its place.
struct SummaryLayout {
  bool ieShown = false;
  int ieLabelTop = 0, ieEditTop = 0;  // lblIEFile, editFinishIE
  bool pcShown = false;
  int pcLabelTop = 0, pcEditTop = 0;  // lblPCFile, editFinishPC
  bool java1Shown = false;            // lblJava1
  bool finish2Shown = true;           // lblFinish2
  bool netscapeFileShown = false;     // lblNetscapeFile
};
SummaryLayout LoadFinalPage(const Viewers& v);

// The history rule on leaving a history combo: text that is not yet in the
// list (compared exactly) and is not empty once spaces are trimmed goes in
// as the first item. True when the list changed.
bool AddToHistory(std::vector<std::string>& items, const std::string& text);

}  // namespace tendrel::channel
