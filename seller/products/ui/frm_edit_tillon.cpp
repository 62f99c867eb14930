#include "seller/products/ui/frm_edit_tillon.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTreeWidget>
#include <cmath>

#include "common/controls/tendrel_edit.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/step_runner.h"
#include "seller/authoring/cipher.h"
#include "seller/shell/context.h"
#include "seller/shell/ui/drawing.h"

namespace tendrel {

namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 470;

QPushButton* Button(QWidget* parent, const char* name, const char* text, QRect at) {
  auto* b = new QPushButton(QString::fromUtf8(text), parent);
  b->setObjectName(QString::fromUtf8(name));
  b->setGeometry(at);
  return b;
}

QLabel* Label(QWidget* parent, const char* name, const char* text, QRect at) {
  auto* l = new QLabel(QString::fromUtf8(text), parent);
  l->setObjectName(QString::fromUtf8(name));
  l->setGeometry(at);
  l->setWordWrap(true);
  return l;
}

}  // namespace

TfrmEditTillon::TfrmEditTillon(BravantContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), editor_(ctx.Settings()) {
  setObjectName(QStringLiteral("frmEditTillon"));
  setWindowTitle(QStringLiteral("Edit Tillon Product Details"));
  runner_ = new StepRunner(this);
  Build();
  ApplyButtons();
}

TfrmEditTillon::~TfrmEditTillon() { runner_->Stop(); }

void TfrmEditTillon::Build() {
  resize(kWidth, kHeight);
  lblStatus_ = Label(this, "lblStatus", "", QRect(8, 4, 544, 18));
  lblExplain_ = Label(this, "lblExplain",
                      "This screen allows you to change the details of products already in the Tillon database "
                      "without repeating the upload procedure.  Click on the button below to get the product "
                      "information from Tillon.",
                      QRect(8, 24, 544, 44));
  btnGetProducts_ = Button(this, "btnGetProducts", "Get Products From Tillon", QRect(8, 70, 180, 25));
  lblChoose_ = Label(this, "lblChoose", "Choose A Product To Edit", QRect(8, 102, 300, 18));

  lvProducts_ = new QTreeWidget(this);
  lvProducts_->setObjectName(QStringLiteral("lvProducts"));
  lvProducts_->setGeometry(8, 122, 544, 140);
  lvProducts_->setRootIsDecorated(false);
  lvProducts_->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvProducts_->setSelectionMode(QAbstractItemView::SingleSelection);
  lvProducts_->setSortingEnabled(false);
  lvProducts_->setHeaderLabels({QStringLiteral("ID"), QStringLiteral("Name"), QStringLiteral("Descr"),
                                QStringLiteral("Price"), QStringLiteral("URL"), QStringLiteral("MIME Type")});
  QHeaderView* header = lvProducts_->header();
  header->setSectionsClickable(false);  // the rows keep their ID order
  header->setStretchLastSection(false);
  const int widths[] = {70, 130, 90, 60, 120};
  for (int c = 0; c < 5; ++c) header->resizeSection(c, widths[c]);
  header->resizeSection(kColMime, header->sectionSizeHint(kColMime));
  connect(lvProducts_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
    SetStatus({});
    ChooseRow(lvProducts_->indexOfTopLevelItem(item));
  });
  // A press right of the first column chooses the row as a click would.
  connect(lvProducts_, &QTreeWidget::itemPressed, this, [this](QTreeWidgetItem* item, int column) {
    if (column > 0) ChooseRow(lvProducts_->indexOfTopLevelItem(item));
  });

  gbDetails_ = new QGroupBox(QStringLiteral("Details"), this);
  gbDetails_->setObjectName(QStringLiteral("gbDetails"));
  gbDetails_->setGeometry(8, 268, 356, 194);
  Label(gbDetails_, "lblDescription", "Description (reporting purposes only.)", QRect(8, 18, 340, 16));
  memDescription_ = new QPlainTextEdit(gbDetails_);
  memDescription_->setObjectName(QStringLiteral("memDescription"));
  memDescription_->setGeometry(8, 36, 340, 44);
  Label(gbDetails_, "lblPrice", "Price (in cents, i.e 100 = $1)", QRect(8, 84, 180, 16));
  edtPrice_ = new TTendrelEdit(gbDetails_);
  edtPrice_->setObjectName(QStringLiteral("edtPrice"));
  edtPrice_->SetNumericOnly(true);
  edtPrice_->SetDialogs(&ctx_.Dialogs());
  edtPrice_->setGeometry(8, 102, 120, 22);
  Label(gbDetails_, "lblURL", "URL", QRect(8, 128, 100, 16));
  edtURL_ = new QLineEdit(gbDetails_);
  edtURL_->setObjectName(QStringLiteral("edtURL"));
  edtURL_->setGeometry(8, 146, 340, 22);
  Label(gbDetails_, "lblMIME", "MIME Type", QRect(196, 84, 120, 16));
  edtMIME_ = new QLineEdit(gbDetails_);
  edtMIME_->setObjectName(QStringLiteral("edtMIME"));
  edtMIME_->setGeometry(196, 102, 152, 22);
  connect(memDescription_, &QPlainTextEdit::textChanged, this, [this] { FieldEdited(); });
  for (QLineEdit* e : {static_cast<QLineEdit*>(edtPrice_), edtURL_, edtMIME_})
    connect(e, &QLineEdit::textChanged, this, [this] { FieldEdited(); });

  btnSave_ = Button(this, "btnSave", "&Save Changes", QRect(416, 274, 136, 25));
  btnCancel_ = Button(this, "btnCancel", "&Cancel Changes", QRect(416, 304, 136, 25));
  btnDelete_ = Button(this, "btnDelete", "&Delete Product", QRect(416, 346, 136, 25));
  btnNewContents_ = Button(this, "btnNewContents", "New C&ontents", QRect(416, 388, 136, 25));
  btnPaste_ = Button(this, "btnPaste", "Paste <APPLET> To Clipboard", QRect(372, 430, 180, 25));
  for (QPushButton* b : {btnGetProducts_, btnSave_, btnCancel_, btnDelete_, btnNewContents_, btnPaste_})
    b->setAutoDefault(false);
  connect(btnGetProducts_, &QPushButton::clicked, this, [this] { GetProducts(); });
  connect(btnSave_, &QPushButton::clicked, this, [this] { SaveChanges(); });
  connect(btnCancel_, &QPushButton::clicked, this, [this] { CancelChanges(); });
  connect(btnDelete_, &QPushButton::clicked, this, [this] { DeleteProduct(); });
  connect(btnNewContents_, &QPushButton::clicked, this, [this] { NewContents(); });
  connect(btnPaste_, &QPushButton::clicked, this, [this] { PasteApplet(); });
}

void TfrmEditTillon::SetStatus(const std::string& text) { lblStatus_->setText(Q(text)); }

ProductDetails TfrmEditTillon::Fields() const {
  return {S(memDescription_->toPlainText()), S(edtPrice_->text()), S(edtURL_->text()), S(edtMIME_->text())};
}

void TfrmEditTillon::FieldEdited() {
  const EditorState before = editor_.State();
  editor_.FieldChanged();
  if (editor_.State() != before) ApplyButtons();
}

void TfrmEditTillon::ApplyButtons() {
  const ProductButtons& b = editor_.Buttons();
  gbDetails_->setEnabled(b.details);
  btnSave_->setEnabled(b.saveCancel);
  btnCancel_->setEnabled(b.saveCancel);
  btnDelete_->setEnabled(b.remove);
  btnNewContents_->setEnabled(b.newContents);
  btnPaste_->setEnabled(b.paste);
  lvProducts_->setEnabled(b.table);
}

bool TfrmEditTillon::Fetching() const { return runner_->busy(); }

void TfrmEditTillon::GetProducts() {
  if (Fetching()) return;
  ServiceTransport& service = ctx_.Service();
  btnGetProducts_->setEnabled(false);
  SetStatus(kStatusConnecting);
  BusyCursor();
  if (!service.Connect()) {
    SetStatus(kStatusConnectionFailed);
    NormalCursor();
    btnGetProducts_->setEnabled(true);
    return;
  }
  SetStatus(kStatusRetrieving);
  const std::string path = editor_.ListRequest();
  const bool started = runner_->Start(
      [&service, path](StepControl& control) {
        service.SetAbort(control.CancelCheck());
        ServiceOutcome outcome = service.Send(path);
        service.SetAbort({});
        return QVariant::fromValue(outcome);
      },
      [this](const QVariant& result) { ShowList(result.value<ServiceOutcome>()); });
  if (!started) ShowList(service.Send(path));
}

void TfrmEditTillon::ShowList(const ServiceOutcome& outcome) {
  ServiceTransport& service = ctx_.Service();
  btnGetProducts_->setEnabled(true);
  const std::string reply = outcome ? outcome.reply : std::string();
  if (!outcome) service.Finish(outcome);
  switch (editor_.TakeList(reply)) {
    case ListOutcome::Failed:
      if (outcome) service.ErrorReport(kRetrievalFailed, reply);
      SetStatus(kRetrievalFailed);
      break;
    case ListOutcome::NoProducts:
      NormalCursor();
      ctx_.Dialogs().Message(kNoProducts, kProgramTitle, MsgIcon::Information, MsgButtons::Ok);
      break;
    case ListOutcome::Listed:
      FillTable();
      SetStatus({});
      NormalCursor();
      if (!editor_.keyError().empty())
        ctx_.Dialogs().Message(editor_.keyError(), kProgramTitle, MsgIcon::Error, MsgButtons::Ok);
      break;
  }
  NormalCursor();
  ApplyButtons();
}

void TfrmEditTillon::FillTable() {
  lvProducts_->clear();
  const auto& rows = editor_.Rows();
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(rows.size()));
  for (const ProductRow& row : rows) {
    auto* item = new QTreeWidgetItem;
    for (int c = 0; c < kColumnCount; ++c) item->setText(c, Q(row.cells[c]));
    items.append(item);
  }
  lvProducts_->addTopLevelItems(items);
}

void TfrmEditTillon::SetRowCells(int row) {
  QTreeWidgetItem* item = lvProducts_->topLevelItem(row);
  if (!item) return;
  const ProductRow& r = editor_.Rows()[static_cast<size_t>(row)];
  for (int c = 0; c < kColumnCount; ++c) item->setText(c, Q(r.cells[c]));
}

void TfrmEditTillon::ChooseRow(int row) {
  const std::optional<ProductDetails> d = editor_.Choose(row);
  if (!d) return;
  lvProducts_->setCurrentItem(lvProducts_->topLevelItem(row));
  memDescription_->setPlainText(Q(d->description));
  edtPrice_->setText(Q(d->price));
  edtURL_->setText(Q(d->url));
  edtMIME_->setText(Q(d->mime));
  editor_.DoneFilling();
  ApplyButtons();
  memDescription_->setFocus();
}

void TfrmEditTillon::SaveChanges() {
  const ProductDetails fields = Fields();
  const std::optional<std::string> request = editor_.SaveRequest(fields);
  if (!request) return;
  BusyCursor();
  SetStatus(kStatusSending);
  const std::string reply = ctx_.Service().Request(*request);
  const int row = editor_.Selected();
  if (editor_.TakeSaveReply(reply, fields)) {
    SetStatus(kUpdateSucceeded);
    SetRowCells(row);
  } else {
    SetStatus(kUpdateFailed);
  }
  ApplyButtons();
  NormalCursor();
}

void TfrmEditTillon::CancelChanges() {
  editor_.Cancel();
  // Emptying the fields is no edit of the user's.
  const QSignalBlocker b1(memDescription_), b2(edtPrice_), b3(edtURL_), b4(edtMIME_);
  memDescription_->clear();
  edtPrice_->clear();
  edtURL_->clear();
  edtMIME_->clear();
  ApplyButtons();
}

void TfrmEditTillon::DeleteProduct() {
  const std::optional<std::string> request = editor_.DeleteRequest();
  if (!request) return;
  UserDialogs& dialogs = ctx_.Dialogs();
  if (dialogs.Message(kDeleteQuestion, kProgramTitle, MsgIcon::Question, MsgButtons::YesNo) != MsgResult::Yes) return;
  const int row = editor_.Selected();
  const std::string reply = ctx_.Service().Request(*request);
  NormalCursor();
  if (editor_.TakeDeleteReply(reply)) {
    delete lvProducts_->takeTopLevelItem(row);
    lvProducts_->setCurrentItem(nullptr);
    dialogs.Message(kDeleted, kProgramTitle, MsgIcon::Information, MsgButtons::Ok);
  } else {
    dialogs.Message(NotDeletedMessage(reply), kProgramTitle, MsgIcon::Error, MsgButtons::Ok);
  }
  ApplyButtons();
}

void TfrmEditTillon::NewContents() {
  const ProductRow* row = editor_.SelectedRow();
  if (!row || !row->keyOk) return;
  FileDialogRequest req;
  req.filter = kNewContentsFilter;
  req.mustExist = true;
  const std::optional<std::string> source = ctx_.Dialogs().OpenFile(req);
  if (!source) return;
  const std::string target = NewContentsTarget(*source);
  if (target.empty()) return;  // a file without an extension has no encoded name
  try {
    TTillonCipher cipher;
    cipher.SetKey(row->record.Key);
    cipher.EncodeFile(*source, target);
  } catch (const std::exception& error) {
    ctx_.ReportFault(error.what());
    return;
  }
  ctx_.Dialogs().Message(NewContentsMessage(target, S(edtURL_->text())), kProgramTitle, MsgIcon::Information,
                         MsgButtons::Ok);
}

void TfrmEditTillon::PasteApplet() {
  TApplet* record = editor_.SelectedRecord();
  if (!record || !editor_.SelectedRow()->keyOk) return;
  BusyCursor();
  QApplication::clipboard()->setText(Q(record->BuildTag()));
  NormalCursor();
}

void TfrmEditTillon::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  remembered_ = size();
}

void TfrmEditTillon::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  const QSize now = event->size();
  if (isMinimized() || remembered_.width() <= 0 || remembered_.height() <= 0) {
    if (!isMinimized()) remembered_ = now;
    return;
  }
  const double fx = static_cast<double>(now.width()) / remembered_.width();
  const double fy = static_cast<double>(now.height()) / remembered_.height();
  for (QObject* child : children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (!w || w->isWindow()) continue;
    const QRect g = w->geometry();
    // Edits and buttons keep the height their text needs.
    const bool keepHeight = qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w);
    w->setGeometry(static_cast<int>(std::lround(g.x() * fx)), static_cast<int>(std::lround(g.y() * fy)),
                   static_cast<int>(std::lround(g.width() * fx)),
                   keepHeight ? g.height() : static_cast<int>(std::lround(g.height() * fy)));
  }
  remembered_ = now;
}

void TfrmEditTillon::done(int result) {
  runner_->Stop();
  ctx_.Service().CloseAll();
  QDialog::done(result);
}

void EditRegisteredProducts(BravantContext& ctx, QWidget* parent) {
  TfrmEditTillon form(ctx, parent);
  form.exec();
}

}  // namespace tendrel
