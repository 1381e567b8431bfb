#include "analysis/result_store.h"

#include <climits>

#include "analysis/block_files.h"
#include "analysis/folded_line.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace vexo {

namespace {

// Far beyond any run (200 targets a block), low enough that n + 1 is safe.
constexpr long long kMaxBlockNumber = 1'000'000'000;

// A title line is the title between two ellipsis characters.
const Bytes& Ellipsis() {
  static const Bytes kEllipsis = Gb("…");
  return kEllipsis;
}

const Bytes& MarkCellText() {
  static const Bytes kMark = Gb("×");
  return kMark;
}

bool EndsWith(std::string_view s, char c) {
  return !s.empty() && s.back() == c;
}

// Step 3 of the acceptance: something after the host, i.e. a "/" from the
// ninth byte on (just past "http://" plus one host byte).
bool HasPathAfterHost(std::string_view link) {
  return PosOf("/", link, 9) > 0;
}

// The duplicate test of the open block: a line equal, but for letter case, to
// "…" + title + "…", found without building that line.
bool HoldsTitleLine(const StringList& block, std::string_view title) {
  const Bytes& mark = Ellipsis();
  const std::size_t m = mark.size();
  const std::size_t n = title.size() + 2 * m;
  // From the newest line back: a page repeats its titles at once.
  for (auto it = block.rbegin(); it != block.rend(); ++it) {
    const Bytes& line = *it;
    if (line.size() != n) continue;
    if (SameBytesFolded(line.data() + m, title.data(), title.size()) &&
        SameBytesFolded(line.data(), mark.data(), m) &&
        SameBytesFolded(line.data() + n - m, mark.data(), m))
      return true;
  }
  return false;
}

}  // namespace

bool SameLineIgnoringCase(std::string_view a, std::string_view b) {
  return SameLineFolded(a, b);
}

ResultStore::ResultStore(StoreHost& host) : host_(host) {}
ResultStore::~ResultStore() = default;

StringList* ResultStore::OpenBlock() {
  return openBlock_.get();
}
StringList* ResultStore::SiteQueue() {
  return siteQueue_.get();
}
StringList* ResultStore::FollowUp() {
  return followUp_.get();
}
const StringList* ResultStore::OpenBlock() const {
  return openBlock_.get();
}
const StringList* ResultStore::SiteQueue() const {
  return siteQueue_.get();
}
const StringList* ResultStore::FollowUp() const {
  return followUp_.get();
}

void ResultStore::CreateRunLists() {
  siteQueue_ = std::make_unique<StringList>();
  followUp_ = std::make_unique<StringList>();
  openBlock_ = std::make_unique<StringList>();
}

void ResultStore::ClearLists() {
  for (auto* slot : {&siteQueue_, &followUp_, &openBlock_}) {
    if (*slot)
      (*slot)->clear();
    else
      *slot = std::make_unique<StringList>();
  }
}

void ResultStore::DestroyLists() {
  siteQueue_.reset();
  followUp_.reset();
  openBlock_.reset();
}

std::string ResultStore::TempFolder() const {
  return host_.ProgramFolder() + "Temp";
}

std::string ResultStore::BlockFile(long long n) const {
  return TempFolder() + "/" + IntToText(n) + ".tmp";
}

std::string ResultStore::SiteQueueFile() const {
  return host_.ProgramFolder() + "kix";
}

int ResultStore::IndexOfLine(const StringList& list, std::string_view line) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (SameLineFolded(list[i], line)) return static_cast<int>(i);
  }
  return -1;
}

bool ResultStore::EnsureTempFolder() const {
  const std::string folder = TempFolder();
  return DirExists(folder) || CreateDir(folder);
}

// Saves a block as the file named by its line 0. A line 0 that is not a
// block number is never turned into a path.
bool ResultStore::SaveBlock(const StringList& block) {
  if (block.empty()) return false;
  long long n = 0;
  if (!TryTextToInt(block.front(), n) || n < 1 || n > kMaxBlockNumber) return false;
  ForgetHistoryListing();
  if (!EnsureTempFolder()) return false;
  return SaveLines(BlockFile(n), block);
}

bool ResultStore::SaveOpenBlock() {
  if (!openBlock_ || openBlock_->size() <= 1) return false;
  return SaveBlock(*openBlock_);
}

int ResultStore::AppendTarget(std::string_view link, std::string_view title) {
  if (PosOfFolded("http://", link) == 0) return 0;
  if (!openBlock_ || !siteQueue_) return 0;
  if (!HasPathAfterHost(link)) return 0;
  if (EndsWith(link, '/') || EndsWith(link, '#')) return 0;
  if (Len(title) <= 10) return 0;
  if (!FitsOnOneLine(link) || !FitsOnOneLine(title)) return 0;

  if (HoldsTitleLine(*openBlock_, title)) return 0;
  if (InHistory(title) != -1) return 0;

  long long sum = 0;
  if (!TryTextToInt(host_.Sum1(), sum) || sum < 0 || sum == LLONG_MAX) return 0;
  ++sum;
  host_.SetSum1(IntToText(sum));
  Bytes titleLine;
  titleLine.reserve(title.size() + 2 * Ellipsis().size());
  titleLine.append(Ellipsis());
  titleLine.append(title);
  titleLine.append(Ellipsis());
  const Bytes linkLine(link);
  openBlock_->push_back(linkLine);
  openBlock_->push_back(titleLine);

  ShowNewTarget(linkLine, titleLine, sum);

  if (static_cast<long long>(openBlock_->size()) > kMaxBlockLines) {
    // On a failed save the block keeps its targets in memory and the next
    // append tries again.
    if (!SaveBlock(*openBlock_)) return 0;
    const long long n = TextToInt(openBlock_->front());
    openBlock_->clear();
    openBlock_->push_back(IntToText(n + 1));
  }
  return 1;
}

// Live display while the user looks at the first page or at the newest eight.
void ResultStore::ShowNewTarget(const Bytes& link, const Bytes& title, long long sum) {
  const Bytes sa = host_.Sa();
  if (sa.empty() || sa == "1") {
    // The detour through "2" runs the change handler twice; the page stays 1.
    host_.SetSa("2");
    if (GetRowText(8, 1).empty()) {
      for (int row = 1; row <= 8; ++row) {
        if (!GetRowText(row, 1).empty()) continue;
        SetRowText(row, 1, link);
        SetRowText(row, 2, title);
        break;
      }
    }
    host_.SetSa("1");
    return;
  }
  long long first = 0;
  if (!TryTextToInt(sa, first) || first > LLONG_MAX - 8) return;
  if (sum != first + 8) return;
  for (int row = 1; row <= 7; ++row) {
    SetRowText(row, 1, GetRowText(row + 1, 1));
    SetRowText(row, 2, GetRowText(row + 1, 2));
  }
  host_.SetSa(IntToText(sum - 7));
  SetRowText(8, 1, link);
  SetRowText(8, 2, title);
}

Bytes ResultStore::GetRowText(int row, int which) const {
  if (row < 1 || row > 8) return {};
  return host_.RowLabel(row, which == 1 ? 1 : 2);
}

void ResultStore::SetRowText(int row, int which, const Bytes& text) {
  if (row < 1 || row > 8) return;
  if (which != 1) {
    host_.SetRowLabel(row, 2, text);
    return;
  }
  host_.SetRowLabel(row, 1, text);
  host_.SetMarkCell(row, ByteAt(text, 1) == '*' ? MarkCellText() : Bytes());
}

}  // namespace vexo
