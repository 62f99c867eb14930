#pragma once
// One HTML document with a caret and a selection, as the host editor keeps it.
// Positions and lengths count bytes of the UTF-8 text; a position that falls
// inside a character is moved to that character's start so a character is
// never cut.
#include <cstddef>
#include <string>
#include <vector>

namespace tendrel {

// One replacement that turns a text into another: `removed` bytes at `start`
// give way to `inserted`.
struct TextEdit {
  size_t start = 0;
  size_t removed = 0;
  std::string inserted;
};

// The smallest such edit from `before` to `after`, widened so that it never
// begins or ends inside a UTF-8 character and never touches a line end only in
// part: no CR just before it, no LF just after it. A view that holds lines
// rather than bytes can then apply it as it is.
TextEdit SmallestEdit(const std::string& before, const std::string& after);

// The line ends of `text` in order, each as its bytes: CR LF, CR, LF, the
// paragraph separator U+2029 and the frame marks U+FDD0 and U+FDD1 -- exactly
// where a text view that keeps lines (Qt's text documents) splits them.
std::vector<std::string> LineEnds(const std::string& text);

// Text of an HTML fragment without tags, as a browser shows it: character
// references decoded (the named ones of HTML 4, decimal and hexadecimal ones;
// a reference the browser would not know stays as written, a number out of
// Unicode's range gives U+FFFD), runs of blanks folded to one space and the
// ends trimmed.
std::string HtmlToText(const std::string& html);

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
  // The title element's text as a browser shows it (HtmlToText); empty when
  // there is none.
  std::string Title() const;

 private:
  void InsertAt(size_t pos, const std::string& s);
  std::string text_;
  int selStart_ = 0;
  int selLength_ = 0;
};

}  // namespace tendrel
