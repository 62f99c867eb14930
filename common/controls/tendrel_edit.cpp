#include "common/controls/tendrel_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPixmap>
#include <QStyle>
#include <QToolButton>
#include <QtGlobal>
#include <optional>

#include "common/text.h"
#include "platform/dialogs.h"

namespace tendrel {

namespace {

std::optional<int> ToInt(const std::string& text) {
  if (!IsInteger(text)) return std::nullopt;
  return std::stoi(text);  // IsInteger guarantees the range and the form
}

// The folder part of a path: up to and including the last ":", "\" or "/".
std::string FolderOf(const std::string& path) {
  size_t cut = path.find_last_of(":\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// The OPENFILE bitmap with its bottom-left colour as the transparent one; the
// style's open-folder icon when the program's bitmaps are not loaded.
QIcon BrowseIcon() {
  QPixmap pixmap(QStringLiteral(":/bitmap/OPENFILE"));
  if (pixmap.isNull()) return QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QImage image = pixmap.toImage();
  const QColor key = image.pixelColor(0, image.height() - 1);
  pixmap.setMask(pixmap.createMaskFromColor(key, Qt::MaskInColor));
  return QIcon(pixmap);
}

// Focus that leaves for a pop-up (the context menu) or another window is not
// the user leaving the field.
bool IsExit(const QFocusEvent* event) {
  return event->reason() != Qt::PopupFocusReason &&
         event->reason() != Qt::ActiveWindowFocusReason;
}

}  // namespace

TTendrelEdit::TTendrelEdit(QWidget* parent, EditRevision revision)
    : QLineEdit(parent), revision_(revision) {}

TTendrelEdit::~TTendrelEdit() {
  if (Follows()) delete button_.data();
}

std::string TTendrelEdit::Version() const {
  return revision_ == EditRevision::R107 ? "1.07" : "1.05";
}

void TTendrelEdit::SetNumericOnly(bool on) {
  numericOnly_ = on;
  // Dropped text would get past the digit filter just as a pasted one would.
  setAcceptDrops(!on);
}

int TTendrelEdit::IntValue() const { return ToInt(text().toStdString()).value_or(0); }

void TTendrelEdit::Loaded() {
  if (auto stored = registry_.Load()) setText(QString::fromStdString(*stored));
}

bool TTendrelEdit::SaveToRegistry() const {
  return registry_.Save(text().toStdString());
}

bool TTendrelEdit::FilterKey(QKeyEvent* event) {
  if (!numericOnly_ || event->key() == Qt::Key_Backspace) return false;
  // Pasting from the keyboard is a key like any other that is not a digit:
  // it would bring in letters and numbers above Max that nothing checks later.
  if (event->matches(QKeySequence::Paste)) return true;
  // Keys that type nothing (arrows, Home, End, Tab, Delete, Return) and the
  // other shortcuts (copy, cut, undo) keep their normal effect.
  const QString typed = event->text();
  if (typed.isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
    return false;
  const char16_t first = typed.at(0).unicode();
  if (first < 0x20 || first == 0x7f) return false;
  if (typed.size() != 1 || first < u'0' || first > u'9') return true;

  // A digit typed over a selection starts the number afresh.
  if (hasSelectedText()) clear();
  if (max_ > 0) {
    // A number too large to convert is let through.
    auto value = ToInt(text().toStdString() + static_cast<char>(first));
    if (value && *value > max_) return true;
  }
  return false;
}

void TTendrelEdit::keyPressEvent(QKeyEvent* event) {
  const bool swallow = FilterKey(event);
  // Saved on every key, with the text as it stands before the key.
  if (registry_.SavesOn(options_.testFlag(teOnCarriageReturn))) SaveToRegistry();
  if (swallow) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TTendrelEdit::inputMethodEvent(QInputMethodEvent* event) {
  // Text composed by an input method is typed too: a digit-only field keeps
  // the composition but drops a result that is not all digits.
  const QString commit = event->commitString();
  bool digits = true;
  for (QChar c : commit)
    if (c < u'0' || c > u'9') digits = false;
  if (numericOnly_ && !commit.isEmpty() && !digits) {
    QInputMethodEvent kept(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&kept);
    event->accept();
    return;
  }
  QLineEdit::inputMethodEvent(event);
}

void TTendrelEdit::focusOutEvent(QFocusEvent* event) {
  if (exiting_ || !IsExit(event)) {
    QLineEdit::focusOutEvent(event);
    return;
  }
  exiting_ = true;
  bool converted = true;
  if (min_ > 0 && !text().isEmpty()) {
    const std::string current = text().toStdString();
    if (auto value = ToInt(current)) {
      if (*value < min_) setText(QString::number(min_));
    } else {
      converted = false;
      if (dialogs_)
        dialogs_->Error("'" + current + "' is not a valid integer value", "Error");
      else
        qWarning("TTendrelEdit %s: '%s' is not a valid integer value",
                 qPrintable(objectName()), current.c_str());
    }
  }
  if (converted && registry_.SavesOn(options_.testFlag(teOnExit))) SaveToRegistry();
  QLineEdit::focusOutEvent(event);
  exiting_ = false;
  if (converted) emit Exited();
}

void TTendrelEdit::SetFileBrowser(bool on) {
  fileBrowser_ = on;
  if (on) {
    CreateBrowseButton();
  } else {
    delete button_.data();
    button_ = nullptr;
  }
}

void TTendrelEdit::CreateBrowseButton() {
  // Without a parent the button would become a window of its own; it is made
  // when the edit is put on one.
  if (button_ || !parentWidget()) return;
  auto* button = new QToolButton(parentWidget());
  button->setFocusPolicy(Qt::NoFocus);
  button->setIcon(BrowseIcon());
  button->setIconSize(QSize(16, 16));
  connect(button, &QToolButton::clicked, this, &TTendrelEdit::Browse);
  button_ = button;
  PlaceBrowseButton();
  if (Follows()) button->setEnabled(isEnabledTo(parentWidget()));
  button->show();
}

void TTendrelEdit::PlaceBrowseButton() {
  if (!button_) return;
  const QRect r = geometry();
  button_->setGeometry(r.x() + r.width(), r.y(), kBrowseButtonWidth, r.height());
}

void TTendrelEdit::Browse() {
  if (!dialogs_) {
    qWarning("TTendrelEdit %s: no dialogs to browse with", qPrintable(objectName()));
    return;
  }
  FileDialogRequest request;
  request.filter = fileFilter_;
  request.initialDir = FolderOf(text().toStdString());
  if (auto chosen = dialogs_->OpenFile(request)) setText(QString::fromStdString(*chosen));
}

void TTendrelEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  if (Follows()) PlaceBrowseButton();
}

void TTendrelEdit::moveEvent(QMoveEvent* event) {
  QLineEdit::moveEvent(event);
  if (Follows()) PlaceBrowseButton();
}

void TTendrelEdit::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) {
    if (button_ && Follows()) button_->setEnabled(isEnabledTo(parentWidget()));
  } else if (event->type() == QEvent::ParentChange && fileBrowser_) {
    if (!button_) {
      CreateBrowseButton();
    } else if (Follows() && parentWidget() && button_->parentWidget() != parentWidget()) {
      button_->setParent(parentWidget());
      PlaceBrowseButton();
      button_->show();
    }
  }
}

}  // namespace tendrel
