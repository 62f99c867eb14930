#pragma once
// The table Bravant's main window is built from: one row per wizard, naming
// everything the window makes for it (bar button, page, side picture) and the
// factory that builds the wizard itself on its page. The window makes buttons
// and pages in the table's order; the row's id is how everyone else refers to
// the wizard.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "seller/shell/wizard.h"

class QStackedWidget;
class QWidget;

namespace tendrel {

// Where a wizard's factory builds it: the frame it talks to and the page the
// main window made for it, which holds the side picture on its left.
class WizardSite {
 public:
  WizardSite(WizardFrame& frame, QWidget* page, std::string innerName)
      : frame_(frame), page_(page), innerName_(std::move(innerName)) {}

  WizardFrame& Frame() const { return frame_; }
  BravantContext& Context() const { return frame_.Context(); }
  // The object name the wizard's inner control (its page control) carries.
  const std::string& InnerName() const { return innerName_; }
  // Puts the wizard's inner control on its page, filling the room beside the
  // side picture; the page owns it from then on.
  void Place(QWidget* inner) const;
  // A page control named InnerName(), placed on the page.
  QStackedWidget* PlaceInnerPages() const;

 private:
  WizardFrame& frame_;
  QWidget* page_;
  std::string innerName_;
};

// Builds one wizard. Runs while the main window is being made: the wizard may
// keep the frame but must not ask it anything yet.
using WizardFactory = std::function<std::unique_ptr<Wizard>(const WizardSite&)>;

struct WizardRow {
  std::string id;              // "create"; also the value of bravant's --page
  std::string button;          // object name of its bar button
  std::string glyph;           // bitmap shown on the button
  std::string accessibleName;  // the button's words for screen readers and tests
  std::string page;            // object name of its page
  std::string sidePicture;     // object name of the side picture's paint box
  std::string sideBitmap;      // bitmap of the side picture
  std::string inner;           // object name of the wizard's inner page control
  bool enabledAtStart = true;  // the button's state before start-up decides
  WizardFactory make;
};

using WizardTable = std::vector<WizardRow>;

// Turns a wizard's page control to its first page (the entry step of every
// wizard that has pages).
void TurnToFirstPage(QStackedWidget* pages);

}  // namespace tendrel
