#include "channel/push_walk.h"

#include <algorithm>

namespace tendrel::channel {

std::optional<PushPage> NextPage(PushPage from, const Viewers& v) {
  switch (from) {
    case PushPage::Intro: return PushPage::Main;
    case PushPage::Main:
      if (v.ie) return PushPage::IE;
      if (v.pointCast) return PushPage::PointCast;
      if (v.netcaster) return PushPage::Netscape;
      return std::nullopt;
    case PushPage::IE:
      if (v.pointCast) return PushPage::PointCast;
      if (v.netcaster) return PushPage::Netscape;
      return PushPage::Common;
    case PushPage::PointCast:
      if (v.netcaster) return PushPage::Netscape;
      return PushPage::Common;
    case PushPage::Netscape: return PushPage::Common;
    case PushPage::Common: return PushPage::Finish;
    case PushPage::Finish: return std::nullopt;
  }
  return std::nullopt;
}

std::optional<PushPage> BackPage(PushPage from, const Viewers& v) {
  switch (from) {
    case PushPage::Finish: return PushPage::Common;
    case PushPage::Common:
      if (v.netcaster) return PushPage::Netscape;
      [[fallthrough]];
    case PushPage::Netscape:
      if (v.pointCast) return PushPage::PointCast;
      [[fallthrough]];
    case PushPage::PointCast:
      if (v.ie) return PushPage::IE;
      return PushPage::Main;
    case PushPage::IE: return PushPage::Main;
    case PushPage::Main: return PushPage::Intro;
    case PushPage::Intro: return std::nullopt;
  }
  return std::nullopt;
}

PushWalk::NextResult PushWalk::Next(const Viewers& v) {
  if (page_ == PushPage::Finish) return NextResult::Generate;
  const std::optional<PushPage> to = NextPage(page_, v);
  if (!to) return NextResult::Stayed;
  if (page_ == PushPage::Intro) backEnabled_ = true;
  page_ = *to;
  if (page_ != PushPage::Finish) return NextResult::Moved;
  caption_ = kCaptionFinish;
  return NextResult::Summary;
}

bool PushWalk::Back(const Viewers& v) {
  const std::optional<PushPage> to = BackPage(page_, v);
  if (!to) return false;
  if (page_ == PushPage::Finish) caption_ = kCaptionNextAgain;
  if (*to == PushPage::Intro) backEnabled_ = false;
  page_ = *to;
  return true;
}

void PushWalk::FailedCheck(PushPage page) {
  caption_ = kCaptionNextAgain;
  page_ = page;
  backEnabled_ = page != PushPage::Intro;
}

void PushWalk::JumpTo(PushPage page) {
  page_ = page;
  backEnabled_ = page != PushPage::Intro;
  caption_ = page == PushPage::Finish ? kCaptionFinish : kCaptionNext;
}

SummaryLayout LoadFinalPage(const Viewers& v) {
  // The first pair shown takes the upper place, a second one the lower.
  constexpr int kUpperLabel = 124, kUpperEdit = 140, kLowerLabel = 174, kLowerEdit = 190;
  SummaryLayout s;
  if (v.ie) {
    s.ieShown = true;
    s.ieLabelTop = kUpperLabel;
    s.ieEditTop = kUpperEdit;
  }
  if (v.pointCast) {
    s.pcShown = true;
    s.pcLabelTop = v.ie ? kLowerLabel : kUpperLabel;
    s.pcEditTop = v.ie ? kLowerEdit : kUpperEdit;
  }
  // No channel file at all: the note on the script takes their place.
  const bool noFiles = !v.ie && !v.pointCast;
  s.java1Shown = noFiles;
  s.finish2Shown = !noFiles;
  s.netscapeFileShown = v.netcaster;
  return s;
}

bool AddToHistory(std::vector<std::string>& items, const std::string& text) {
  const bool blank = std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
  if (blank || std::find(items.begin(), items.end(), text) != items.end()) return false;
  items.insert(items.begin(), text);
  return true;
}

}  // namespace tendrel::channel
