#pragma once
// UserDialogs shown with Qt's message boxes, input boxes and file dialogs,
// each over the application's active window.
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace tendrel {

class QtUserDialogs : public UserDialogs {
 public:
  // Yes/No questions default to Yes; Escape or closing the box answers No
  // (Cancel when there is one).
  MsgResult Message(const std::string& text, const std::string& caption, MsgIcon icon,
                    MsgButtons buttons) override;
  std::optional<std::string> Input(const std::string& caption, const std::string& prompt,
                                   const std::string& initial) override;
  std::optional<std::string> OpenFile(const FileDialogRequest& req) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& req) override;
};

// Turns a filter of description and pattern pairs ("Text Files|*.txt|All
// Files|*.*", patterns of a pair separated by ";") into Qt's name filters,
// one per pair, in order: "description (pattern pattern)". A description
// that already ends with its own patterns in parentheses, whatever their
// separators, keeps its wording with the parentheses rewritten in Qt's form,
// so nothing shows twice. "*.*" becomes "*" so files without an extension
// show too; a pair with an empty pattern matches everything; a description
// without a pattern is dropped.
std::vector<std::string> QtNameFilters(const std::string& filter);

}  // namespace tendrel
