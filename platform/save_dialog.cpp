#include "platform/save_dialog.h"

namespace vexo {

std::vector<SaveFilter> SplitFilter(std::string_view filter) {
  std::vector<SaveFilter> out;
  std::vector<std::string_view> parts;
  while (true) {
    const auto bar = filter.find('|');
    parts.push_back(filter.substr(0, bar));
    if (bar == std::string_view::npos) break;
    filter.remove_prefix(bar + 1);
  }
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    out.push_back(SaveFilter{Bytes(parts[i]), std::string(parts[i + 1])});
  }
  return out;
}

SaveDialogAnswer ScriptedSaveDialogs::Run(const SaveDialogRequest& request) {
  shown.push_back(request);
  if (while_open) while_open(request);
  if (answers.empty()) return {};
  SaveDialogAnswer a = answers.front();
  answers.pop_front();
  return a;
}

bool SaveDialog::Execute(SaveDialogService& service) {
  const SaveDialogAnswer a =
      service.Run(SaveDialogRequest{title, file_name, filter, filter_index, initial_folder});
  if (!a.accepted) return false;
  file_name = a.path;
  filter_index = a.filter_index;
  return true;
}

}  // namespace vexo
