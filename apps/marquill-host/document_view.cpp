#include "document_view.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <array>

#include "host/html_document.h"

namespace tendrel {

namespace {

// Line ends kept as the block's user state: an index into this table.
const std::array<std::string, 6> kEnds = {"\n", "\r\n", "\r", "\xE2\x80\xA9", "\xEF\xB7\x90",
                                          "\xEF\xB7\x91"};

int Utf8Size(const QString& s) { return static_cast<int>(s.toUtf8().size()); }

}  // namespace

std::string DocumentView::EndOf(const QTextBlock& b) const {
  int state = b.userState();
  return state >= 0 && state < static_cast<int>(kEnds.size()) ? kEnds[static_cast<size_t>(state)]
                                                               : defaultEnd_;
}

std::string DocumentView::Text() const {
  std::string out;
  for (QTextBlock b = edit_->document()->begin(); b.isValid(); b = b.next()) {
    out += b.text().toStdString();
    if (b.next().isValid()) out += EndOf(b);
  }
  return out;
}

int DocumentView::ToByte(int pos) const {
  int bytes = 0;
  for (QTextBlock b = edit_->document()->begin(); b.isValid(); b = b.next()) {
    const QString text = b.text();
    if (pos <= b.position() + text.size())
      return bytes + Utf8Size(text.left(std::max(0, pos - b.position())));
    bytes += Utf8Size(text) + static_cast<int>(EndOf(b).size());
  }
  return bytes;
}

int DocumentView::ToPos(int byte) const {
  QTextBlock b = edit_->document()->begin();
  for (; b.isValid(); b = b.next()) {
    const QByteArray text = b.text().toUtf8();
    if (byte <= text.size()) return b.position() + QString::fromUtf8(text.left(byte)).size();
    byte -= static_cast<int>(text.size());
    const int end = static_cast<int>(EndOf(b).size());
    // A position inside a line end stands for the end of the line.
    if (byte < end || !b.next().isValid()) return b.position() + b.text().size();
    byte -= end;
  }
  return 0;
}

int DocumentView::SelStart() const { return ToByte(edit_->textCursor().selectionStart()); }

int DocumentView::SelLength() const {
  QTextCursor c = edit_->textCursor();
  return ToByte(c.selectionEnd()) - ToByte(c.selectionStart());
}

void DocumentView::MarkLineEnds(const std::string& text) {
  const std::vector<std::string> ends = LineEnds(text);
  size_t i = 0;
  for (QTextBlock b = edit_->document()->begin(); b.isValid() && i < ends.size(); b = b.next(), ++i) {
    auto it = std::find(kEnds.begin(), kEnds.end(), ends[i]);
    b.setUserState(static_cast<int>(it - kEnds.begin()));
  }
}

void DocumentView::Load(const std::string& text) {
  const std::vector<std::string> ends = LineEnds(text);
  defaultEnd_ = ends.empty() ? "\n" : ends.front();
  edit_->setPlainText(QString::fromStdString(text));
  MarkLineEnds(text);
  edit_->document()->setModified(false);
}

void DocumentView::Update(const std::string& text, int selStart, int selLength) {
  const std::string before = Text();
  if (before != text) {
    const TextEdit e = SmallestEdit(before, text);
    const int from = ToPos(static_cast<int>(e.start));
    const int to = ToPos(static_cast<int>(e.start + e.removed));
    QTextCursor c(edit_->document());
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    c.insertText(QString::fromStdString(e.inserted));
    MarkLineEnds(text);
  }
  QTextCursor c = edit_->textCursor();
  c.setPosition(ToPos(selStart));
  c.setPosition(ToPos(selStart + selLength), QTextCursor::KeepAnchor);
  edit_->setTextCursor(c);
}

}  // namespace tendrel
