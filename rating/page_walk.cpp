#include "rating/page_walk.h"

namespace tendrel {

namespace {
// Page order from tab000 on: 000, 006, 001 ... 005, 007 ... 00A.
constexpr int kPageCategories[kPageCount] = {-1, -1, 0, 6, 1, 2, 3, 4, 5, 7, 8, 9, 10, -1, -1, -1, -1};
}  // namespace

int PageCategory(int page) {
  return page >= 0 && page < kPageCount ? kPageCategories[page] : -1;
}

int CategoryPage(int category) {
  for (int p = 0; p < kPageCount; ++p)
    if (kPageCategories[p] == category) return p;
  return -1;
}

void PageWalk::Show(int page) {
  if (page >= 0 && page < kPageCount) page_ = page;
}

void PageWalk::ShowNext() { Show(page_ + 1); }

void PageWalk::Next(const std::function<void()>& submit) {
  if (page_ == kPageCount - 1) return;  // Next is hidden there
  if (page_ == kPage006 && !individual_) {
    Show(kPage007);
  } else if (page_ == kPageSubmit && !submitted_) {
    if (submit) submit();
  } else {
    ShowNext();
  }
  AfterForward();
}

void PageWalk::AfterForward() {
  backEnabled_ = true;
  if (page_ == kPageFinish) {
    nextVisible_ = false;
    finishVisible_ = true;
  }
}

void PageWalk::Submitted(bool sent) {
  MarkSubmitted();
  ShowNext();
  if (sent) ShowNext();
  AfterForward();
}

void PageWalk::Back() {
  if (page_ == kPageIntro) return;  // Back is disabled there
  if (page_ == kPage007 && !individual_) Show(kPage006);
  else Show(page_ - 1);
  nextVisible_ = true;
  finishVisible_ = false;
  if (page_ == kPageIntro) {
    backEnabled_ = false;
    nextEnabled_ = true;
  } else {
    backEnabled_ = true;
  }
}

void PageWalk::JumpTo(int page) {
  if (page < 0 || page >= kPageCount) return;
  page_ = page;
  backEnabled_ = page != kPageIntro;
  nextEnabled_ = true;
  nextVisible_ = page != kPageFinish;
  finishVisible_ = page == kPageFinish;
}

void PageWalk::SetIndividual() {
  individual_ = true;
  ShowNext();
  backEnabled_ = true;
}

}  // namespace tendrel
