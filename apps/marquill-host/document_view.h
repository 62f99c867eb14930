#pragma once
// The editor widget seen as the host's document: UTF-8 bytes with their own
// line ends, and a selection in byte positions. The widget keeps lines, not
// line-end bytes, so each line carries the bytes of its end (CR LF, LF, ...)
// and the text reads back exactly as it was given.
#include <QPlainTextEdit>
#include <string>

namespace tendrel {

class DocumentView {
 public:
  explicit DocumentView(QPlainTextEdit* edit) : edit_(edit) {}

  std::string Text() const;
  int SelStart() const;
  int SelLength() const;

  // A fresh document: no undo history, caret at the start, unmodified.
  void Load(const std::string& text);
  // Brings the widget to `text` by the smallest edit (one undo step), then
  // selects [selStart, selStart + selLength).
  void Update(const std::string& text, int selStart, int selLength);

 private:
  std::string EndOf(const QTextBlock& b) const;
  void MarkLineEnds(const std::string& text);
  int ToByte(int pos) const;
  int ToPos(int byte) const;

  QPlainTextEdit* edit_;
  std::string defaultEnd_ = "\n";  // for lines the user adds
};

}  // namespace tendrel
