#include "viewer/export.h"

#include <algorithm>

#include "platform/files.h"
#include "store/open_block.h"
#include "viewer/export_files.h"
#include "viewer/export_html.h"
#include "viewer/export_text.h"

namespace vexo {

namespace {

constexpr long long kTargetsPerBlock = kBlockTargets;
// A run never gets near this many blocks (200 targets each); the bound keeps
// a damaged block number or count from turning into an endless loop.
constexpr long long kMaxBlocksRead = 10'000;
constexpr long long kLinesPerPage = 2 * kTargetsPerPage;
// Block numbers above this are not a run's (the store stops far below).
constexpr long long kMaxBlockNumber = 1'000'000'000;

bool IsMarked(std::string_view link) {
  return !link.empty() && link.front() == '*';
}

// The number of the last page of an export of `count` target positions.
long long LastPage(long long count) {
  if (count < 1) return 0;
  return (std::min(count, kMaxBlockNumber * kTargetsPerBlock) - 1) / kTargetsPerPage;
}

// Gathers the rows of the output files one block line at a time and hands
// each finished file to the staging area.
class ExportWriter {
 public:
  ExportWriter(const ExportRequest& r, StagedFiles& files)
      : r_(r), files_(files), last_page_(LastPage(r.sum1)) {}

  // Line j (1-based, after the number line) of block n, whose last line is
  // `lastLine`. False when a file could not be written.
  bool Line(long long n, std::size_t j, std::size_t lastLine, const Bytes& line) {
    if (j % 2 == 1) link_ = line;
    const bool marked = IsMarked(link_);
    if (r_.kind == ExportKind::Html) {
      if (!marked) {
        if (j % 2 == 1) {
          out_ += HtmlRowHead(link_, ++rows_);
        } else {
          out_ += CaptionPart(line, r_.expression);
          out_ += "</p>";
        }
      }
      if (j % kLinesPerPage == 0 || j == lastLine) return WritePage();
      return true;
    }
    if (!marked) {
      if (j % 2 == 1) {
        out_ += TextRowLink(link_);
      } else {
        ++rows_;
        out_ += TextRowTitle(line);
      }
    }
    if (rows_ >= kRowsPerTextFile || (n == r_.last_block && j == lastLine)) return WriteFile();
    return true;
  }

  // The end of the blocks: rows not yet written make the last text file.
  bool Finish() {
    if (r_.kind == ExportKind::Text && !out_.empty()) return WriteFile();
    return true;
  }

 private:
  bool WritePage() {
    const Bytes bar = NavigationBar(file_, last_page_, r_.bare_name);
    out_ = HtmlPage(r_.keywords, bar, out_);
    return WriteFile();
  }

  bool WriteFile() {
    const bool ok = files_.Stage(ExportFileName(r_.bare_name, file_), out_);
    out_.clear();
    ++file_;
    if (r_.kind == ExportKind::Text) rows_ = 0;
    return ok;
  }

  const ExportRequest& r_;
  StagedFiles& files_;
  long long last_page_;
  long long file_ = 0;  // k
  long long rows_ = 0;  // N
  Bytes link_;
  Bytes out_;
};

std::string ProgramBlockFile(const std::string& programFolder, long long n) {
  return BlockFilePath(programFolder + "Temp", n);
}

}  // namespace

ExportKind ExportKindOfFilter(int filterIndex) {
  return filterIndex == 1 ? ExportKind::Html : ExportKind::Text;
}

std::string BareOutputName(const std::string& chosenPath, ExportKind kind) {
  std::string name = NameOfPath(chosenPath);
  if (name.empty()) name = "back";
  const auto dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name + (kind == ExportKind::Html ? ".htm" : ".txt");
}

bool RunFirstBlock(const StringList& openBlock, std::string_view sum1, long long* first) {
  long long number = 0;
  long long count = 0;
  if (openBlock.empty() || !TryTextToInt(openBlock[0], number) || !TryTextToInt(sum1, count)) {
    return false;
  }
  const long long inOpenBlock = static_cast<long long>(openBlock.size() / 2);
  // Counts beyond any run would overflow below; they are not a run's.
  if (count < -kMaxBlockNumber || count > kMaxBlockNumber || number < -kMaxBlockNumber ||
      number > kMaxBlockNumber) {
    return false;
  }
  *first = number - (count - inOpenBlock) / kTargetsPerBlock;
  return true;
}

ExportResult WriteExport(const ExportRequest& r) {
  ExportResult result;
  const std::string folder = r.folder.empty() ? std::string(".") : r.folder;
  if (!DirExists(folder)) {
    result.status = ExportStatus::kNoFolder;
    return result;
  }
  if (r.last_block < 1 || r.last_block > kMaxBlockNumber) return result;
  StagedFiles files(folder);
  ExportWriter writer(r, files);
  // Block numbers start at 1; a damaged count must not send the loop far
  // below the open block.
  const long long first = std::max({r.first_block, 1LL, r.last_block - kMaxBlocksRead});
  for (long long n = first; n <= r.last_block; ++n) {
    StringList loaded;
    const StringList* lines = nullptr;
    if (n == r.last_block && r.open_block != nullptr) {
      lines = r.open_block;
    } else {
      const std::string path = ProgramBlockFile(r.program_folder, n);
      if (!FileExists(path)) continue;
      if (!LoadLines(path, loaded)) {
        result.status = ExportStatus::kReadFailed;
        return result;
      }
      lines = &loaded;
    }
    const std::size_t lastLine = lines->empty() ? 0 : lines->size() - 1;
    for (std::size_t j = 1; j <= lastLine; ++j) {
      if (!writer.Line(n, j, lastLine, (*lines)[j])) {
        result.status = ExportStatus::kWriteFailed;
        return result;
      }
    }
  }
  if (!writer.Finish() || !files.Commit()) {
    result.status = ExportStatus::kWriteFailed;
    return result;
  }
  result.files = files.Committed();
  return result;
}

}  // namespace vexo
