#include "platform/save_dialog_qt_view.h"

#include <QDir>
#include <QFile>

#include "platform/codepage.h"

namespace vexo {

namespace {

QString FileSystemName(const std::string& bytes) {
  return QFile::decodeName(QByteArray::fromStdString(bytes));
}

}  // namespace

QStringList NameFilters(std::string_view filter) {
  QStringList out;
  for (const SaveFilter& f : SplitFilter(filter)) {
    if (f.pattern.empty()) continue;
    QString patterns = QString::fromStdString(GbToUtf8(f.pattern));
    // Windows separates patterns by ";", Qt by blanks.
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    const QString description = QString::fromStdString(GbToUtf8(f.description));
    const QString shown = QLatin1Char('(') + patterns.simplified() + QLatin1Char(')');
    // "网页文件(*.htm)" already shows its pattern where Qt looks for it.
    out << (description.endsWith(shown) ? description : description + QLatin1Char(' ') + shown);
  }
  return out;
}

SaveDialogAnswer QtSaveDialogs::Run(const SaveDialogRequest& request) {
  SaveDialogAnswer answer;
  answer.filter_index = request.filter_index;
  if (cancel_all_) return answer;

  QFileDialog dialog(owner_.data(), QString::fromStdString(GbToUtf8(request.title)));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The export writes numbered files beside the chosen name; it decides
  // itself what it writes.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  const QStringList filters = NameFilters(request.filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int i = request.filter_index >= 1 && request.filter_index <= filters.size()
                      ? request.filter_index - 1
                      : 0;
    dialog.selectNameFilter(filters[i]);
  }
  const QString folder = FileSystemName(request.initial_folder);
  if (!folder.isEmpty() && QDir(folder).exists()) dialog.setDirectory(folder);
  if (!request.file_name.empty()) dialog.selectFile(FileSystemName(request.file_name));

  open_dialog_ = &dialog;
  const int result = dialog.exec();
  open_dialog_ = nullptr;
  if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return answer;
  answer.accepted = true;
  answer.path = QFile::encodeName(dialog.selectedFiles().front()).toStdString();
  const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
  answer.filter_index = chosen >= 0 ? static_cast<int>(chosen) + 1 : request.filter_index;
  return answer;
}

void QtSaveDialogs::CancelEverything() {
  cancel_all_ = true;
  if (open_dialog_) open_dialog_->reject();
}

}  // namespace vexo
