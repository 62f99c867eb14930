#pragma once
#include <string>

#include "platform/dialogs.h"
#include "seller/core/settings.h"

class QWidget;

namespace tendrel {

// Runs the maker on the product image as the Create wizard does (too small in both directions:
// not opened at all; placed 5,5 from the screen's top-left; "Last Preview" cleared first; modal).
// Returns the saved preview's path, or empty when none was saved. A picture that cannot be read
// is reported with the library's message and the window is not opened.
std::string MakePreviewFor(const std::string& imagePath, SettingsStore&, UserDialogs&, QWidget* parent);

}  // namespace tendrel
