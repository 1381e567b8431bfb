#include "viewer/export_click.h"

#include "viewer/modal_scope.h"

#include "platform/codepage.h"
#include "platform/quietly.h"
#include "texts/texts.h"
#include "viewer/export.h"
#include "viewer/export_files.h"
#include "viewer/viewer_part.h"

namespace vexo {

namespace {

Bytes FailureText(ExportStatus status, const std::string& folder) {
  Bytes text;
  switch (status) {
    case ExportStatus::kNoFolder:
      text = ExportText().no_folder;
      break;
    case ExportStatus::kWriteFailed:
      text = ExportText().write_failed;
      break;
    case ExportStatus::kReadFailed:
      text = ExportText().read_failed;
      break;
    case ExportStatus::kDone:
      return {};
  }
  if (status != ExportStatus::kReadFailed) text += "\r  " + Utf8ToGb(folder);
  return text;
}

void RunExport(ExportClickContext& c) {
  const StringList* open = c.store.OpenBlock();
  if (open == nullptr) return;
  // The blocks read below must be complete on disk; the open block itself is
  // read from memory, so a failed save does not lose its targets.
  c.store.SaveOpenBlock();

  c.messages.Show(MessageBoxRequest{Texts().msg_caption, ExportNotice(), MsgButtons::Ok});

  c.save1.initial_folder = c.program_folder + "Save";
  if (!c.save1.Execute(c.dialogs)) return;
  const std::string chosen = c.save1.file_name;
  const ExportKind kind = ExportKindOfFilter(c.save1.filter_index);
  const std::string bare = BareOutputName(chosen, kind);
  c.save1.file_name = bare;

  // The dialog is modal, but the open block is looked up again all the same.
  open = c.store.OpenBlock();
  if (open == nullptr) return;
  ExportRequest request;
  if (!RunFirstBlock(*open, c.sum1, &request.first_block)) return;
  request.program_folder = c.program_folder;
  request.last_block = TextToInt((*open)[0]);
  request.open_block = open;
  request.sum1 = TextToInt(c.sum1);
  request.keywords = c.keywords;
  request.expression = c.expression;
  request.folder = FolderOfPath(chosen);
  request.bare_name = bare;
  request.kind = kind;

  const ExportResult result = WriteExport(request);
  if (result.status != ExportStatus::kDone) {
    c.messages.Show(MessageBoxRequest{Texts().msg_caption,
                                      FailureText(result.status, request.folder), MsgButtons::Ok});
  }
}

}  // namespace

SaveDialog MakeExportDialog() {
  SaveDialog d;
  d.title = ExportText().dialog_title;
  d.file_name = "back";
  d.filter = ExportText().dialog_filter;
  d.filter_index = 1;
  return d;
}

Bytes ExportNotice() {
  return ExportText().notice;
}

void Spt2Click(ExportClickContext& c) {
  ModalScope modal(c.modal_guard);
  // An export that fails half-way leaves no file behind; nothing to undo.
  Quietly([&] { RunExport(c); });
}

void ViewerPart::Spt2Click() {
  if (Save1.title.empty()) Save1 = MakeExportDialog();
  // The export reads the block files: a block that just rolled over is
  // written first.
  Store().FinishSaves();
  ScriptedSaveDialogs cancelling;
  SaveDialogService& dialogs = services_.save_dialogs ? *services_.save_dialogs : cancelling;
  ExportClickContext c{modalGuard,     Store(),      host_.ProgramFolder(),
                       sum1.Caption(), host_.Gjc2(), host_.Gjc3(),
                       Messages(),     dialogs,      Save1};
  vexo::Spt2Click(c);
}

}  // namespace vexo
