#pragma once
// The editor widget seen as the host's document. The document's bytes (UTF-8,
// each line end as it was given) are kept whole beside the widget, which
// holds the same text as lines; an index maps bytes to the widget's positions
// and back without walking the page. Every edit reaches both: an edit made by
// a call goes to the widget as one replacement (one undo step), the user's
// typing goes to the bytes. A large page is put into the widget a piece at a
// time, so the calls are served while it fills.
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QTimer>
#include <cstdint>
#include <string>

#include "host/html_document.h"

namespace tendrel {

// UTF-8 bytes as a widget's text, a leading U+FEFF included (QString::fromUtf8
// would drop it).
QString TextOfBytes(std::string_view bytes);

class DocumentView : private TextListener {
 public:
  explicit DocumentView(QPlainTextEdit* edit);
  ~DocumentView() override;
  DocumentView(const DocumentView&) = delete;
  DocumentView& operator=(const DocumentView&) = delete;

  // The document the calls work on; its edits show in the widget.
  HtmlDocument& Document() { return doc_; }
  const std::string& Text() const { return doc_.Text(); }

  // A fresh document of UTF-8 `text`: no undo history, caret at the start,
  // unmodified. The widget shows it whole soon after; until then it is
  // read-only and edits are not undone.
  void Load(std::string text);
  // True while the widget is still being filled.
  bool Loading() const { return loaded_ < doc_.Text().size(); }

  // The widget's selection, in bytes.
  int SelStart() const;
  int SelLength() const;
  // Takes the widget's selection, which the user may have moved, into the document.
  void TakeSelection();
  // Shows the document's selection in the widget.
  void ShowSelection();
  // Changes made to the text so far.
  uint64_t Edits() const { return edits_; }

 private:
  void Replacing(const std::string& text, size_t start, size_t removed, std::string_view inserted) override;
  void Replaced(const std::string& text) override;
  // The widget's contents changed: the user typed, pasted or undid.
  void Typed(int position, int removed, int added);
  // Bytes of widget text, each separator written as a line end of this page.
  std::string WithLineEnds(const QString& text) const;
  // True while the widget holds exactly the bytes before loaded_.
  bool InStep() const;
  // Takes the widget's whole text when it and the bytes have come apart.
  void Resync();
  // Puts the next piece of the page into the widget.
  void LoadStep();

  QPlainTextEdit* edit_;
  HtmlDocument doc_;
  ViewIndex index_;
  std::string newLineEnd_ = "\n";  // for lines the user adds: the page's first kind
  QMetaObject::Connection typing_;
  QTimer loader_;
  size_t loaded_ = 0;  // the widget holds the bytes before this
  bool toWidget_ = false;    // the widget is being changed from here
  bool fromWidget_ = false;  // the bytes are being changed from the widget

  // The edit under way, between Replacing and Replaced.
  struct Pending {
    size_t start = 0, removed = 0, inserted = 0;  // bytes
    ViewEdit plan;
  } pending_;
  uint64_t edits_ = 0;
};

}  // namespace tendrel
