#pragma once
// Export of a run's targets, minus the marked ones, as linked HTML pages of 20
// stored positions each or as quoted text files of up to 800 rows each. The
// run's blocks are read from the block files in the program folder; the
// block the run is writing comes from memory.

#include <string>
#include <string_view>
#include <vector>

#include "platform/bytes.h"

namespace vexo {

enum class ExportKind { Html, Text };

// The dialog's filter 1 is HTML; any other is text.
ExportKind ExportKindOfFilter(int filterIndex);

// The chosen file's name without its folder, its extension replaced by
// ".htm" or ".txt" ("back" when the choice names no file).
std::string BareOutputName(const std::string& chosenPath, ExportKind kind);

// The run's first block: the open block's number minus the saved blocks of
// the run, each 200 targets. False when a number is not a number.
bool RunFirstBlock(const StringList& openBlock, std::string_view sum1, long long* first);

struct ExportRequest {
  std::string program_folder;  // ends with "/"
  long long first_block = 1;   // F
  long long last_block = 1;    // L, the open block's number
  // The open block's lines, read for block L instead of its file (it is the
  // same content once saved, and still complete when the save failed).
  const StringList* open_block = nullptr;
  long long sum1 = 0;  // the run's target count; gives the last page's number
  Bytes keywords;      // `gjc2`, for the page title
  Bytes expression;    // `gjc3`, for the highlighting
  std::string folder;  // where the files go
  std::string bare_name;
  ExportKind kind = ExportKind::Html;
};

enum class ExportStatus {
  kDone,         // every file written (possibly none, when there was nothing)
  kNoFolder,     // the output folder does not exist
  kWriteFailed,  // a file could not be written; no file was left behind
  kReadFailed,   // a block file exists but could not be read; nothing written
};

struct ExportResult {
  ExportStatus status = ExportStatus::kDone;
  std::vector<std::string> files;  // the paths written, in file-number order
};

// Writes the whole export, or nothing: files are staged and only renamed to
// their names when all of them were written.
ExportResult WriteExport(const ExportRequest& request);

}  // namespace vexo
