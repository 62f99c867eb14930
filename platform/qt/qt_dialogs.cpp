#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>
#include <algorithm>
#include <cctype>

#include "platform/qt/qt_text.h"

namespace tendrel {

namespace {

QWidget* DialogParent() { return QApplication::activeWindow(); }

std::vector<std::string> Split(const std::string& text, const std::string& separators) {
  std::vector<std::string> parts;
  std::string piece;
  for (char c : text) {
    if (separators.find(c) != std::string::npos) {
      parts.push_back(piece);
      piece.clear();
    } else {
      piece += c;
    }
  }
  parts.push_back(piece);
  return parts;
}

std::string TrimBlanks(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

// The non-empty patterns of a pattern list, split at ";" (and, inside a
// description, also at "," and blanks).
std::vector<std::string> Patterns(const std::string& list, const std::string& separators) {
  std::vector<std::string> out;
  for (const auto& p : Split(list, separators)) {
    std::string t = TrimBlanks(p);
    if (!t.empty()) out.push_back(t == "*.*" ? "*" : t);
  }
  return out;
}

std::string Lowered(std::vector<std::string> patterns) {
  std::string joined;
  std::sort(patterns.begin(), patterns.end());
  for (auto& p : patterns) {
    for (char& c : p) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    joined += p + '\n';
  }
  return joined;
}

QMessageBox::Icon ToQt(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Warning: return QMessageBox::Warning;
    case MsgIcon::Error: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

std::optional<std::string> RunFileDialog(const FileDialogRequest& req, bool save) {
  QFileDialog dialog(DialogParent(), Q(req.caption));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save || !req.mustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite, !req.confirmOverwrite);

  QStringList filters;
  for (const auto& f : QtNameFilters(req.filter)) filters << Q(f);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    if (req.filterIndex >= 1 && req.filterIndex <= filters.size())
      dialog.selectNameFilter(filters.at(req.filterIndex - 1));
  }
  if (!req.initialDir.empty()) dialog.setDirectory(Q(req.initialDir));
  std::string ext = req.defaultExt;
  if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
  if (!ext.empty()) dialog.setDefaultSuffix(Q(ext));
  if (!req.fileName.empty()) dialog.selectFile(Q(req.fileName));

  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.first().toStdString();
}

}  // namespace

std::vector<std::string> QtNameFilters(const std::string& filter) {
  std::vector<std::string> out;
  if (filter.empty()) return out;
  const std::vector<std::string> parts = Split(filter, "|");
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string description = parts[i];
    std::vector<std::string> patterns = Patterns(parts[i + 1], ";");
    if (patterns.empty()) patterns.push_back("*");
    std::string qtList;
    for (const auto& p : patterns) qtList += (qtList.empty() ? "" : " ") + p;

    // "HTML Files (*.htm,*.html)" with "*.htm;*.html": the description
    // already shows the patterns; keep its wording, in Qt's form.
    const std::string trimmed = TrimBlanks(description);
    size_t open = trimmed.rfind('(');
    if (!trimmed.empty() && trimmed.back() == ')' && open != std::string::npos) {
      const std::string inside = trimmed.substr(open + 1, trimmed.size() - open - 2);
      if (Lowered(Patterns(inside, ";, ")) == Lowered(patterns)) {
        out.push_back(trimmed.substr(0, open) + "(" + qtList + ")");
        continue;
      }
    }
    out.push_back((trimmed.empty() ? std::string() : trimmed + " ") + "(" + qtList + ")");
  }
  return out;
}

MsgResult QtUserDialogs::Message(const std::string& text, const std::string& caption,
                                 MsgIcon icon, MsgButtons buttons) {
  QMessageBox box(ToQt(icon), Q(caption), Q(text), QMessageBox::NoButton, DialogParent());
  box.setTextFormat(Qt::PlainText);  // texts are never markup: a name like <b>Acme</b> shows as typed
  switch (buttons) {
    case MsgButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      box.setDefaultButton(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Ok);
      break;
    case MsgButtons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
    case MsgButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::No);
      break;
    case MsgButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
  }
  box.exec();
  switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Cancel: return MsgResult::Cancel;
    case QMessageBox::Ok: return MsgResult::Ok;
    default: break;
  }
  // No button clicked (the box was closed some other way): the escape answer.
  switch (buttons) {
    case MsgButtons::Ok: return MsgResult::Ok;
    case MsgButtons::YesNo: return MsgResult::No;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel: break;
  }
  return MsgResult::Cancel;
}

std::optional<std::string> QtUserDialogs::Input(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& initial) {
  bool ok = false;
  const QString text = QInputDialog::getText(DialogParent(), Q(caption), Q(prompt),
                                             QLineEdit::Normal, Q(initial), &ok);
  if (!ok) return std::nullopt;
  return text.toStdString();
}

std::optional<std::string> QtUserDialogs::OpenFile(const FileDialogRequest& req) {
  return RunFileDialog(req, false);
}

std::optional<std::string> QtUserDialogs::SaveFile(const FileDialogRequest& req) {
  return RunFileDialog(req, true);
}

}  // namespace tendrel
