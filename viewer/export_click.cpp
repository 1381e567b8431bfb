#include "viewer/export_click.h"

#include "platform/codepage.h"
#include "shell/fvexo1.h"
#include "viewer/export.h"
#include "viewer/export_files.h"

namespace vexo {

namespace {

constexpr std::uint8_t kModal = 120;

// Puts the guard back whichever way the handler ends.
class ModalScope {
 public:
  explicit ModalScope(std::uint8_t& guard) : guard_(guard), saved_(guard) { guard_ = kModal; }
  ~ModalScope() { guard_ = saved_; }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  std::uint8_t& guard_;
  std::uint8_t saved_;
};

Bytes Caption() {
  return Gb("Vexo提示");
}

Bytes FailureText(ExportStatus status, const std::string& folder) {
  Bytes text;
  switch (status) {
    case ExportStatus::kNoFolder:
      text = Gb("  导出失败：所选文件夹不存在  ");
      break;
    case ExportStatus::kWriteFailed:
      text = Gb("  导出失败：无法在所选文件夹中写入文件  ");
      break;
    case ExportStatus::kReadFailed:
      text = Gb("  导出失败：无法读取跟踪结果文件  ");
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

  c.messages.Show(MessageBoxRequest{Caption(), ExportNotice(), MsgButtons::Ok});

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
    c.messages.Show(
        MessageBoxRequest{Caption(), FailureText(result.status, request.folder), MsgButtons::Ok});
  }
}

}  // namespace

SaveDialog MakeExportDialog() {
  SaveDialog d;
  d.title = Gb("Vexo信息导出");
  d.file_name = "back";
  d.filter = Gb("网页文件(*.htm)|*.htm|数据文件(*.txt)|*.txt");
  d.filter_index = 1;
  return d;
}

Bytes ExportNotice() {
  static constexpr const char* kLines[] = {
      "  导出方式：1、网页文件，2、数据文件  ", "  ----------------------------------  ",
      "  如果以网页文件[*.htm]导出跟踪结果， ", "  就可将该网页放入自己网站供别人浏览  ",
      "  ----------------------------------  ", "  如果以数据文件[*.txt]导出跟踪结果， ",
      "  就可将该数据文件导入自己的数据库中  ", "  {注}：字段分隔符[,]、文本识别符[\"]  "};
  Bytes text;
  for (const char* line : kLines) {
    if (!text.empty()) text += '\r';
    text += Gb(line);
  }
  return text;
}

void Spt2Click(ExportClickContext& c) {
  ModalScope modal(c.modal_guard);
  try {
    RunExport(c);
  } catch (...) {
    // An export that fails half-way leaves no file behind; nothing to undo.
  }
}

void TMain::Spt2Click() {
  if (Save1.title.empty()) Save1 = MakeExportDialog();
  ScriptedSaveDialogs cancelling;
  SaveDialogService& dialogs = services_.save_dialogs ? *services_.save_dialogs : cancelling;
  ExportClickContext c{modalGuard,          store_,         kl2.Caption(),
                       sum1.Caption(),      gjc2.Caption(), gjc3.Caption(),
                       *services_.messages, dialogs,        Save1};
  vexo::Spt2Click(c);
}

}  // namespace vexo
