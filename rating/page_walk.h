#pragma once
// The walk through Kestrel's seventeen pages and the state of its buttons.
// The five single-theme pages are skipped until the author asks to rate the
// themes one by one; the first Next on the submission page submits instead of
// moving.
#include <functional>

namespace tendrel {

enum RatingPage : int {
  kPageIntro = 0,
  kPageUserInfo,
  kPage000,
  kPage006,
  kPage001,
  kPage002,
  kPage003,
  kPage004,
  kPage005,
  kPage007,
  kPage008,
  kPage009,
  kPage00A,
  kPageAddButton,
  kPageSubmit,
  kPageEmail,
  kPageFinish,
  kPageCount
};

// The category shown on a page, or -1 for a page without a slider.
int PageCategory(int page);
// The page that shows a category.
int CategoryPage(int category);

class PageWalk {
 public:
  int page() const { return page_; }
  bool individual() const { return individual_; }
  bool submitted() const { return submitted_; }

  bool backEnabled() const { return backEnabled_; }
  bool nextVisible() const { return nextVisible_; }
  bool nextEnabled() const { return nextEnabled_; }
  bool finishVisible() const { return finishVisible_; }

  // The Next button. On the submission page, until a submission has been
  // attempted, runs submit instead of moving: the submission may end later,
  // and then moves on itself through Submitted.
  void Next(const std::function<void()>& submit);
  void Back();
  // Individual mode on for good, and on to the first single-theme page.
  void SetIndividual();
  // A submission has been attempted: later Nexts on its page only move on.
  void MarkSubmitted() { submitted_ = true; }
  // The next page in order (the submission's own moves).
  void ShowNext();
  // The submission has ended: marked, on to tabEmail and, when the rating
  // went out, on to tabFinish, the buttons as Next leaves them.
  void Submitted(bool sent);
  // Straight to a page, the buttons as a walk to it leaves them (for
  // showing a page on its own; the walk's rules are not applied).
  void JumpTo(int page);

 private:
  void Show(int page);
  void AfterForward();
  int page_ = kPageIntro;
  bool individual_ = false;
  bool submitted_ = false;
  bool backEnabled_ = false;
  bool nextVisible_ = true;
  bool nextEnabled_ = true;
  bool finishVisible_ = false;
};

}  // namespace tendrel
