#include "platform/qt/page_builder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "platform/qt/keyed_picture.h"

namespace tendrel {

namespace {

QLabel* MakeLabel(const PageControl& row, QWidget* parent) {
  auto* l = new QLabel(row.text, parent);
  l->setTextFormat(Qt::PlainText);
  l->setWordWrap(row.kind == Ctl::Text);
  Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop;
  if (row.flags & kCtlAlignRight) align = Qt::AlignRight | Qt::AlignTop;
  if (row.flags & kCtlCentred) align = Qt::AlignHCenter | Qt::AlignTop;
  l->setAlignment(align);
  if (row.kind == Ctl::Heading) {
    QFont f = l->font();
    f.setBold(true);
    if (f.pointSize() > 0) f.setPointSize(f.pointSize() + 1);
    l->setFont(f);
  }
  return l;
}

QWidget* Make(const PageControl& row, QWidget* parent) {
  switch (row.kind) {
    case Ctl::Text:
    case Ctl::Caption:
    case Ctl::Heading:
      return MakeLabel(row, parent);
    case Ctl::Edit: {
      auto* e = new QLineEdit(row.text, parent);
      e->setReadOnly(row.flags & kCtlReadOnly);
      return e;
    }
    case Ctl::Combo:
      return new QComboBox(parent);
    case Ctl::Check: {
      auto* c = new QCheckBox(row.text, parent);
      c->setChecked(row.flags & kCtlChecked);
      return c;
    }
    case Ctl::Radio: {
      auto* r = new QRadioButton(row.text, parent);
      r->setChecked(row.flags & kCtlChecked);
      return r;
    }
    case Ctl::Button:
      return new QPushButton(row.text, parent);
    case Ctl::Memo: {
      auto* m = new QPlainTextEdit(row.text, parent);
      m->setReadOnly(row.flags & kCtlReadOnly);
      return m;
    }
    case Ctl::Group:
      return new QGroupBox(row.text, parent);
    case Ctl::Slider:
      return new QSlider(Qt::Horizontal, parent);
    case Ctl::Image: {
      auto* l = new QLabel(parent);
      l->setPixmap(QPixmap(row.text));
      return l;
    }
    case Ctl::Picture: {
      auto* p = new KeyedPicture(parent);
      // A bitmap that is not there leaves the box at the row's place and size.
      const std::string name = row.text.toStdString();
      if (!name.empty() && !LoadBitmapResource(name).isNull()) p->SetBitmapResource(name);
      return p;
    }
    case Ctl::Rule: {
      auto* f = new QFrame(parent);
      f->setFrameShape(QFrame::HLine);
      f->setFrameShadow(QFrame::Sunken);
      return f;
    }
  }
  return new QWidget(parent);
}

}  // namespace

QFont PageFont() {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setStyleHint(QFont::SansSerif);
  f.setPointSize(8);
  return f;
}

PageControls BuildPage(QWidget* page, std::span<const PageControl> rows) {
  PageControls made;
  QHash<QString, QWidget*> groups;
  for (const PageControl& row : rows) {
    QWidget* parent = row.parent.isEmpty() ? page : groups.value(row.parent, page);
    QWidget* w = Make(row, parent);
    if (!row.name.isEmpty()) w->setObjectName(row.name);
    // A picture takes its bitmap's size; only its place comes from the row.
    if (row.kind == Ctl::Picture && !static_cast<KeyedPicture*>(w)->Picture().isNull()) w->move(row.where.topLeft());
    else w->setGeometry(row.where);
    if (row.kind == Ctl::Group && !row.name.isEmpty()) groups.insert(row.name, w);
    made.add(row.name, w);
  }
  return made;
}

}  // namespace tendrel
