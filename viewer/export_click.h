#pragma once
// The export button `Spt2`: the notice, the save dialog `Save1` and the
// export itself, over what the main window lends it.

#include <cstdint>
#include <string>

#include "platform/bytes.h"
#include "platform/message_box.h"
#include "platform/save_dialog.h"
#include "store/result_store.h"

namespace vexo {

// What the export button needs from the main window.
struct ExportClickContext {
  std::uint8_t& modal_guard;
  ResultStore& store;
  std::string program_folder;  // `kl2`, ends with "/"
  Bytes sum1;                  // the run's target count as text
  Bytes keywords;              // `gjc2`
  Bytes expression;            // `gjc3`
  MessageBoxService& messages;
  SaveDialogService& dialogs;
  SaveDialog& save1;
};

// `Save1` as the window description sets it up: title, default name "back",
// the HTML and text filters.
SaveDialog MakeExportDialog();

// The notice shown before the dialog: eight lines joined by CR.
Bytes ExportNotice();

// The export button's handler. Nothing escapes it; `modal_guard` is 120 while
// it runs and is restored on every way out. A folder that does not exist or
// cannot be written, and a block file that cannot be read, end it with a
// message and no file written.
void Spt2Click(ExportClickContext& c);

}  // namespace vexo
