#pragma once
// One HTML document with a caret and a selection, as the host editor keeps it.
// Positions and lengths count bytes of the UTF-8 text; a position that falls
// inside a character is moved to that character's start so a character is
// never cut.
#include <cstddef>
#include <string>
#include <string_view>
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

// Told of every change of a document's text: just before it, while the text
// is still the old one, and just after.
class TextListener {
 public:
  virtual ~TextListener() = default;
  virtual void Replacing(const std::string& text, size_t start, size_t removed, std::string_view inserted) = 0;
  virtual void Replaced(const std::string& text) = 0;
};

class HtmlDocument {
 public:
  // Whom to tell of changes of the text; null for no one. Each change is one
  // replacement, the smallest one for ReplaceAll.
  void SetListener(TextListener* listener) { listener_ = listener; }
  // A fresh text, caret at 0. The listener is not told: whoever loads a text
  // sets up anew what depends on it.
  void Load(std::string text);
  // Puts `inserted` in place of the `removed` bytes at `start` (kept within
  // the text), as an edit made by hand; a selection edge in the removed bytes
  // goes to the start of the edit, one after them moves with the text.
  void Replace(size_t start, size_t removed, std::string_view inserted);

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
  void ReplaceText(size_t start, size_t removed, std::string_view inserted);
  std::string text_;
  int selStart_ = 0;
  int selLength_ = 0;
  TextListener* listener_ = nullptr;
};

// Where the bytes of a text stand in a text view that keeps UTF-16 characters
// and folds each line end (CR LF, CR, LF, U+2029, U+FDD0, U+FDD1) into one
// separator, as Qt's text documents do. Kept in step with the text edit by
// edit in pieces of a few KiB, so a lookup costs a search over the pieces and
// a scan of one, never a walk over the whole text.
class ViewIndex {
 public:
  // Indexes `text` anew.
  void Reset(const std::string& text);
  // Keeps step with `text`, in which the `removed` bytes at `start` of the
  // indexed text have given way to `inserted` bytes.
  void Replaced(const std::string& text, size_t start, size_t removed, size_t inserted);

  // Positions in the view of the whole text.
  size_t Size() const { return chunks_.empty() ? 0 : Total().units; }
  // The view position of `byte` of `text` (the indexed one). A byte inside
  // a character stands for the character's start; one between the CR and LF
  // of a line end for the end of its line, where the line end begins.
  size_t ToView(const std::string& text, size_t byte) const;
  // The byte where view position `pos` begins: a separator's position is
  // where its line end's bytes begin.
  size_t ToByte(const std::string& text, size_t pos) const;

 private:
  struct Chunk {
    size_t bytes = 0, units = 0;
    size_t byteStart = 0, unitStart = 0;  // valid below firstStale_
  };
  struct Sums {
    size_t bytes = 0, units = 0;
  };
  Sums Total() const;
  void Refresh() const;
  void Rebuild(const std::string& text, size_t firstChunk, size_t endChunk, size_t from, size_t to);

  mutable std::vector<Chunk> chunks_;
  mutable size_t firstStale_ = 0;  // chunks from here on need their starts summed again
};

// The stretch of `text` that an edit of [start, end) must replace in a view
// that folds line ends (see ViewIndex), widened so that it neither begins nor
// ends inside a character nor touches a line end only in part: no CR just
// before it, no LF just after it.
void WidenForView(const std::string& text, size_t* start, size_t* end);

// What such a view does when `removed` bytes at `start` of `text` (indexed by
// `index`) give way to `inserted`. The view holds the bytes before `held`:
// all of them, or fewer while it is being filled.
struct ViewEdit {
  bool changes = false;  // the bytes change at all
  bool inView = false;   // the view changes: its positions [from, to) give way to `piece`
  size_t from = 0, to = 0;
  std::string piece;
  size_t held = 0;  // the bytes the view holds afterwards
};
ViewEdit PlanViewEdit(const std::string& text, const ViewIndex& index, size_t held, size_t start, size_t removed,
                      std::string_view inserted);

// An edit typed in such a view, which holds all of `text`: `removed`
// positions at `pos` gave way to `added` (UTF-8, each separator as U+2029),
// as an edit of the bytes, with each new line end written `lineEnd`. Where
// the bytes would let a CR and an LF meet across the edit's ends -- the view
// has two line ends there, the bytes would hold one -- the line end that was
// typed (or, for a removal, the CR before it) is written CR LF so both stay.
TextEdit TypedEdit(const std::string& text, const ViewIndex& index, size_t pos, size_t removed,
                   std::string_view added, const std::string& lineEnd);

// The first place at or after `from` where a view that folds line ends may
// stop holding `text` for now: not inside a character, not between the CR and
// LF of a line end; the end of the text when `from` is past it.
size_t LoadCut(const std::string& text, size_t from);

// The first line end of `text` as its bytes (see LineEnds); empty when none.
std::string FirstLineEnd(const std::string& text);

}  // namespace tendrel
