#pragma once
// Wizard pages described as data: each page is a table of rows (kind, object
// name, text, place), and the builder makes the controls. The pixel geometry
// stays in the tables, the wiring in the forms.
#include <QFont>
#include <QHash>
#include <QRect>
#include <QString>
#include <QWidget>
#include <span>

namespace tendrel {

enum class Ctl {
  Text,     // QLabel, plain text, wrapped, top-left aligned
  Caption,  // QLabel as Text, on one line
  Heading,  // Caption in bold, one point larger than the page's font
  Edit,     // QLineEdit holding text
  Combo,    // QComboBox (the form adds the items)
  Check,    // QCheckBox
  Radio,    // QRadioButton
  Button,   // QPushButton
  Memo,     // QPlainTextEdit holding text
  Group,    // QGroupBox titled text; rows name it as their parent
  Slider,   // horizontal QSlider (the form sets its range)
  Image,    // QLabel showing the picture file named by text (":/file/x.gif")
  Picture,  // KeyedPicture of the bitmap resource named by text, at the row's
            // top-left and the bitmap's size; with no such bitmap, the row's size
  Rule,     // sunken horizontal line
};

// Flags of a row.
inline constexpr unsigned kCtlChecked = 1;     // Check, Radio: checked at start
inline constexpr unsigned kCtlAlignRight = 2;  // labels: right-aligned
inline constexpr unsigned kCtlCentred = 4;     // labels: centred
inline constexpr unsigned kCtlReadOnly = 8;    // Edit, Memo

struct PageControl {
  Ctl kind;
  QString name;   // the object name; "" for none
  QString text;   // caption, title, initial text or picture
  QRect where;    // in its parent's coordinates
  QString parent = {};  // a Group row above it, or "" for the page
  unsigned flags = 0;
};

// The controls made for a page, by object name.
class PageControls {
 public:
  QWidget* find(const QString& name) const { return byName_.value(name, nullptr); }
  template <typename T>
  T* get(const QString& name) const {
    return qobject_cast<T*>(find(name));
  }
  // A control the page's own table made: asking for one it did not make,
  // or of another type, is a fault of the table.
  template <typename T>
  T* must(const char* name) const {
    T* w = get<T>(QString::fromLatin1(name));
    Q_ASSERT(w);
    return w;
  }
  void add(const QString& name, QWidget* w) {
    if (!name.isEmpty()) byName_.insert(name, w);
  }
  qsizetype size() const { return byName_.size(); }

 private:
  QHash<QString, QWidget*> byName_;
};

// The font the pages' pixel measures are made for: 8-point DejaVu Sans.
QFont PageFont();

// Makes the rows' controls on page, in table order (which is also their
// stacking and tab order). A row whose parent names no Group made before it
// goes onto the page.
PageControls BuildPage(QWidget* page, std::span<const PageControl> rows);

}  // namespace tendrel
