#pragma once
// The program's save-file dialog: a real modal Qt file dialog with the title,
// proposed name, filters and starting folder asked for.

#include <QFileDialog>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "platform/save_dialog.h"

namespace vexo {

class QtSaveDialogs : public SaveDialogService {
 public:
  QtSaveDialogs() = default;
  QtSaveDialogs(const QtSaveDialogs&) = delete;
  QtSaveDialogs& operator=(const QtSaveDialogs&) = delete;

  // The window the dialogs belong to; may be null.
  void SetOwner(QWidget* owner) { owner_ = owner; }

  SaveDialogAnswer Run(const SaveDialogRequest& request) override;

  // The desktop session is ending: the open dialog is cancelled, and so is
  // every later one without being shown.
  void CancelEverything();

  // The dialog on screen now, if any (tests answer it).
  QFileDialog* OpenDialog() const { return open_dialog_; }

 private:
  QPointer<QWidget> owner_;
  QPointer<QFileDialog> open_dialog_;
  bool cancel_all_ = false;
};

// Qt name filters for a filter text "description|pattern|...": each
// description followed by its patterns in parentheses.
QStringList NameFilters(std::string_view filter);

}  // namespace vexo
