#include "document_view.h"

#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>
#include <QtGlobal>

namespace tendrel {

namespace {

// The widget's separator between lines, in the text a cursor selects.
constexpr char kSeparator[] = "\xE2\x80\xA9";

int Chars(const QTextDocument* d) { return d->characterCount() - 1; }  // less the closing separator

// The widget is filled a piece of about this many bytes at a time (some tens
// of milliseconds each), calls being answered between pieces.
constexpr size_t kLoadPiece = 512 * 1024;

}  // namespace

QString TextOfBytes(std::string_view bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  return utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

DocumentView::DocumentView(QPlainTextEdit* edit) : edit_(edit) {
  doc_.SetListener(this);
  loader_.setInterval(0);
  QObject::connect(&loader_, &QTimer::timeout, edit_, [this] { LoadStep(); });
  typing_ = QObject::connect(edit_->document(), &QTextDocument::contentsChange, edit_,
                             [this](int position, int removed, int added) { Typed(position, removed, added); });
}

DocumentView::~DocumentView() { QObject::disconnect(typing_); }

void DocumentView::Load(std::string text) {
  loader_.stop();
  std::string first = FirstLineEnd(text);
  newLineEnd_ = first.empty() ? std::string(1, '\n') : std::move(first);
  index_.Reset(text);
  doc_.Load(std::move(text));
  // The first piece at once, so the window shows the page's top.
  loaded_ = LoadCut(doc_.Text(), kLoadPiece);
  QTextDocument* d = edit_->document();
  toWidget_ = true;
  edit_->setPlainText(TextOfBytes(std::string_view(doc_.Text()).substr(0, loaded_)));
  toWidget_ = false;
  d->setModified(false);
  d->setUndoRedoEnabled(!Loading());
  edit_->setReadOnly(Loading());
  if (Loading()) {
    loader_.start();
  } else if (!InStep()) {
    Resync();
  }
}

void DocumentView::LoadStep() {
  const std::string& text = doc_.Text();
  QTextDocument* d = edit_->document();
  const size_t cut = LoadCut(text, loaded_ + kLoadPiece);
  const bool modified = d->isModified();
  QTextCursor end(d);
  end.movePosition(QTextCursor::End);
  toWidget_ = true;
  end.insertText(TextOfBytes(std::string_view(text).substr(loaded_, cut - loaded_)));
  toWidget_ = false;
  d->setModified(modified);
  loaded_ = cut;
  if (Loading()) return;
  loader_.stop();
  d->setUndoRedoEnabled(true);
  edit_->setReadOnly(false);
  if (!InStep()) Resync();
  ShowSelection();
}

int DocumentView::SelStart() const {
  return static_cast<int>(index_.ToByte(doc_.Text(), static_cast<size_t>(edit_->textCursor().selectionStart())));
}

int DocumentView::SelLength() const {
  const QTextCursor c = edit_->textCursor();
  const std::string& text = doc_.Text();
  return static_cast<int>(index_.ToByte(text, static_cast<size_t>(c.selectionEnd())) -
                          index_.ToByte(text, static_cast<size_t>(c.selectionStart())));
}

void DocumentView::TakeSelection() {
  // While the widget fills, the document's selection is the one that counts:
  // the widget cannot show one past what it holds yet.
  if (!Loading()) doc_.SetSelection(SelStart(), SelLength());
}

void DocumentView::ShowSelection() {
  const std::string& text = doc_.Text();
  const size_t start = std::min(static_cast<size_t>(doc_.SelStart()), loaded_);
  const size_t end = std::min(start + static_cast<size_t>(doc_.SelLength()), loaded_);
  QTextCursor c = edit_->textCursor();
  c.setPosition(static_cast<int>(index_.ToView(text, start)));
  c.setPosition(static_cast<int>(index_.ToView(text, end)), QTextCursor::KeepAnchor);
  edit_->setTextCursor(c);
}

void DocumentView::Replacing(const std::string& text, size_t start, size_t removed, std::string_view inserted) {
  pending_.start = start;
  pending_.removed = removed;
  pending_.inserted = inserted.size();
  if (fromWidget_) {
    // The widget has it already.
    pending_.plan = ViewEdit{};
    pending_.plan.changes = true;
    pending_.plan.held = loaded_ - removed + inserted.size();
    return;
  }
  pending_.plan = PlanViewEdit(text, index_, loaded_, start, removed, inserted);
}

void DocumentView::Replaced(const std::string& text) {
  const ViewEdit& plan = pending_.plan;
  if (!plan.changes) return;
  ++edits_;
  index_.Replaced(text, pending_.start, pending_.removed, pending_.inserted);
  loaded_ = plan.held;
  if (fromWidget_) return;
  QTextDocument* d = edit_->document();
  if (plan.inView) {
    toWidget_ = true;
    QTextCursor c(d);
    c.setPosition(static_cast<int>(plan.from));
    c.setPosition(static_cast<int>(plan.to), QTextCursor::KeepAnchor);
    c.insertText(TextOfBytes(plan.piece));
    toWidget_ = false;
  }
  // An edit the widget did not see (or could not undo, while it fills) still
  // leaves unsaved changes.
  if (!d->isModified()) d->setModified(true);
}

std::string DocumentView::WithLineEnds(const QString& text) const {
  const std::string bytes = text.toStdString();
  std::string out;
  out.reserve(bytes.size());
  size_t from = 0;
  for (size_t at; (at = bytes.find(kSeparator, from)) != std::string::npos; from = at + 3)
    out.append(bytes, from, at - from).append(newLineEnd_);
  return out.append(bytes, from);
}

void DocumentView::Typed(int position, int removed, int added) {
  if (toWidget_) return;
  QTextDocument* d = edit_->document();
  // A change may be reported up to the closing separator, which never changes.
  const int over = position + added - Chars(d);
  if (over > 0) {
    added -= over;
    removed -= over;
  }
  if (position < 0 || added < 0 || removed < 0) {
    Resync();
    return;
  }
  std::string addedText;
  if (added > 0) {
    QTextCursor c(d);
    c.setPosition(position);
    c.setPosition(position + added, QTextCursor::KeepAnchor);
    addedText = c.selectedText().toStdString();
  }
  const TextEdit e = TypedEdit(doc_.Text(), index_, static_cast<size_t>(position), static_cast<size_t>(removed),
                               addedText, newLineEnd_);
  fromWidget_ = true;
  doc_.Replace(e.start, e.removed, e.inserted);
  fromWidget_ = false;
  if (!InStep()) Resync();
}

bool DocumentView::InStep() const {
  return index_.ToView(doc_.Text(), loaded_) == static_cast<size_t>(Chars(edit_->document()));
}

void DocumentView::Resync() {
  // No edit should get here; if one does, the widget's text wins, with this
  // page's kind of line end between its lines (and the bytes it does not
  // hold yet after it).
  qWarning("marquill-host: the page's bytes no longer matched the editor's text; taken anew from the editor");
  QTextCursor all(edit_->document());
  all.select(QTextCursor::Document);
  std::string bytes = WithLineEnds(all.selectedText());
  const size_t held = bytes.size();
  bytes.append(doc_.Text(), std::min(loaded_, doc_.Text().size()));
  index_.Reset(bytes);
  doc_.Load(std::move(bytes));
  loaded_ = held;
  ++edits_;
}

}  // namespace tendrel
