#pragma once
// The save-file dialog as a service: the view shows a real one, tests answer
// it from a script. `SaveDialog` is the form's component (`Save1`): it keeps
// its properties between uses, as the chosen name is offered again next time.

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bytes.h"

namespace vexo {

// One entry of a filter text "description|pattern|description|pattern".
struct SaveFilter {
  Bytes description;  // GB2312
  std::string pattern;
  bool operator==(const SaveFilter&) const = default;
};

// The pairs of a filter text; a description without a pattern is dropped.
std::vector<SaveFilter> SplitFilter(std::string_view filter);

struct SaveDialogRequest {
  Bytes title;                 // GB2312
  std::string file_name;       // proposed name (file-system bytes)
  Bytes filter;                // GB2312, "description|pattern|..."
  int filter_index = 1;        // 1-based
  std::string initial_folder;  // may not exist; the dialog then starts elsewhere
};

struct SaveDialogAnswer {
  bool accepted = false;
  std::string path;      // full path of the chosen file
  int filter_index = 1;  // 1-based
};

class SaveDialogService {
 public:
  virtual ~SaveDialogService() = default;
  // Blocks until the user chooses a file or cancels.
  virtual SaveDialogAnswer Run(const SaveDialogRequest& request) = 0;
};

class ScriptedSaveDialogs : public SaveDialogService {
 public:
  SaveDialogAnswer Run(const SaveDialogRequest& request) override;

  // Answers given in order; when the script runs out every dialog is cancelled.
  std::deque<SaveDialogAnswer> answers;
  // Every dialog shown, in order.
  std::vector<SaveDialogRequest> shown;
  // Runs while a dialog is "open", before it is answered.
  std::function<void(const SaveDialogRequest&)> while_open;
};

// The component: properties as set at design time or by handlers.
class SaveDialog {
 public:
  Bytes title;
  std::string file_name;
  Bytes filter;
  int filter_index = 1;
  std::string initial_folder;

  // Shows the dialog; on a choice keeps the chosen path in file_name and the
  // chosen filter in filter_index and answers true.
  bool Execute(SaveDialogService& service);
};

}  // namespace vexo
