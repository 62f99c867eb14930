#pragma once
// One HTML document with a caret and a selection, as the host editor keeps it.
// Positions and lengths count bytes of the UTF-8 text; a position that falls
// inside a character is moved to that character's start so a character is
// never cut.
#include <string>

namespace tendrel {

class HtmlDocument {
 public:
  const std::string& Text() const { return text_; }
  int SelStart() const { return selStart_; }
  int SelLength() const { return selLength_; }
  std::string SelectedText() const;

  // Replaces the selection with `s`; the caret ends after it, nothing selected.
  void InsertAtCursor(const std::string& s);
  // Replaces the whole text; caret at 0.
  void ReplaceAll(const std::string& s);
  // Selects [start, start+length), clamped to the text; length 0 places the caret.
  void SetSelection(int start, int length);
  // Inserts right after the head start tag; a page without a head gets one,
  // after the html start tag when there is one, else at the very start.
  void InsertInHead(const std::string& s);
  // Inserts before the closing body tag, or at the end when there is none.
  void InsertBeforeBodyEnd(const std::string& s);
  // The text of the title element, trimmed; empty when there is none.
  std::string Title() const;

 private:
  void InsertAt(size_t pos, const std::string& s);
  std::string text_;
  int selStart_ = 0;
  int selLength_ = 0;
};

}  // namespace tendrel
