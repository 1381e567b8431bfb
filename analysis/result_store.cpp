#include "analysis/result_store.h"

#include <string.h>

#include <climits>

#include "analysis/block_files.h"
#include "analysis/folded_line.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "texts/texts.h"

namespace vexo {

namespace {

// A title line is the title between two ellipsis characters.
std::string_view Ellipsis() {
  static const Bytes kEllipsis = AnalysisText().ellipsis;
  return kEllipsis;
}

const Bytes& MarkCellText() {
  static const Bytes kMark = AnalysisText().mark;
  return kMark;
}

bool EndsWith(std::string_view s, char c) {
  return !s.empty() && s.back() == c;
}

// Step 1 of the acceptance: a web address, "http://" or "https://"; links
// mostly begin with the scheme itself.
bool HasHttp(std::string_view link) {
  return (link.size() >= 7 && ::memcmp(link.data(), "http://", 7) == 0) ||
         PosOfFolded("http://", link) > 0 || PosOfFolded("https://", link) > 0;
}

// Step 3 of the acceptance: something after the host, i.e. a "/" from the
// ninth byte on (just past "http://" plus one host byte).
bool HasPathAfterHost(std::string_view link) {
  return link.size() > 8 && link.find('/', 8) != std::string_view::npos;
}

// `line`, of the length of a title line of `title`, is "…" + title + "…" but
// for letter case.
bool IsTitleLineOf(const Bytes& line, std::string_view title, std::string_view mark) {
  const std::size_t m = mark.size();
  const std::size_t t = title.size();
  // Titles are longer than 10 bytes; their last word settles most lines.
  if (t >= 8 && WordsDifferBeyondCase(line.data() + m + t - 8, title.data() + t - 8)) return false;
  return SameBytesFolded(line.data() + m, title.data(), t) &&
         SameBytesFolded(line.data(), mark.data(), m) &&
         SameBytesFolded(line.data() + m + t, mark.data(), m);
}

// Title lines of titles equal but for letter case share this key: the
// title's length and its first, middle and last two words of eight bytes
// (titles of one site often share a head and a tail), each with bit 5 set in
// every byte, which letter case cannot change. Nine bits, for the line index.
std::size_t TitleKey(const char* title, std::size_t t) {
  using folded_detail::Word;
  constexpr std::uint64_t kCaseBits = 0x2020202020202020ULL;
  const std::uint64_t first = Word(title) | kCaseBits;
  const std::uint64_t middle = Word(title + t / 2 - 4) | kCaseBits;
  const std::uint64_t tail = Word(title + (t >= 16 ? t - 16 : 0)) | kCaseBits;
  const std::uint64_t last = Word(title + t - 8) | kCaseBits;
  const std::uint64_t h = (first * 0x9E3779B97F4A7C15ULL) ^ (middle * 0xD6E8FEB86659FD93ULL) ^
                          (tail * 0xFF51AFD7ED558CCDULL) ^ ((last + t) * 0xC2B2AE3D27D4EB4FULL);
  return static_cast<std::size_t>(h >> 55);
}

// `sum1` as a number: plain digits, the counter as this store writes it, are
// read directly; anything else as any number text.
bool ReadCount(std::string_view text, long long& out) {
  if (text.empty() || text.size() > 18) return TryTextToInt(text, out);
  long long v = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return TryTextToInt(text, out);
    v = v * 10 + (c - '0');
  }
  out = v;
  return true;
}

const Bytes kSaOne = "1";
const Bytes kSaTwo = "2";

// The duplicate test line by line.
bool HoldsTitleLineScan(const StringList& block, std::string_view title) {
  const std::string_view mark = Ellipsis();
  const std::size_t n = title.size() + 2 * mark.size();
  // From the newest line back: a page repeats its titles at once.
  for (auto it = block.rbegin(); it != block.rend(); ++it) {
    if (it->size() == n && IsTitleLineOf(*it, title, mark)) return true;
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
  blockIndex_.valid = false;
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
  blockIndex_.valid = false;
  siteQueue_ = std::make_unique<StringList>();
  followUp_ = std::make_unique<StringList>();
  openBlock_ = std::make_unique<StringList>();
}

void ResultStore::ClearLists() {
  blockIndex_.valid = false;
  for (auto* slot : {&siteQueue_, &followUp_, &openBlock_}) {
    if (*slot)
      (*slot)->clear();
    else
      *slot = std::make_unique<StringList>();
  }
}

void ResultStore::DestroyLists() {
  blockIndex_.valid = false;
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
  const std::size_t i = FindLineFolded(list, 0, line);
  return i == std::string_view::npos || i > INT_MAX ? -1 : static_cast<int>(i);
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

bool ResultStore::SaveBlockOrTell(const StringList& block) {
  if (SaveBlock(block)) return true;
  host_.BlockSaveFailed(block.empty() ? TempFolder() : BlockFile(TextToInt(block.front())));
  return false;
}

bool ResultStore::SaveWaitingBlocks() {
  while (!unsaved_.empty()) {
    if (!SaveBlockOrTell(unsaved_.front())) return false;
    unsaved_.erase(unsaved_.begin());
  }
  return true;
}

bool ResultStore::SaveOpenBlock() {
  const bool waitingSaved = SaveWaitingBlocks();
  if (!openBlock_ || openBlock_->size() <= 1) return false;
  return SaveBlockOrTell(*openBlock_) && waitingSaved;
}

void ResultStore::DeleteHistory() {
  ForgetHistoryListing();
  unsaved_.clear();
  for (const long long n : ListBlockFolder(TempFolder()).files) DeleteFile(BlockFile(n));
  if (FileExists(SiteQueueFile())) DeleteFile(SiteQueueFile());
}

// The duplicate test of the open block: a line equal, but for letter case, to
// "…" + title + "…", found without building that line. Inside a batch only
// the lines that share the title's key are looked at, through the index.
bool ResultStore::HoldsTitleLine(std::string_view title) {
  const StringList& block = *openBlock_;
  const std::string_view mark = Ellipsis();
  const std::size_t m = mark.size();
  const std::size_t n = title.size() + 2 * m;
  if (historyBatches_ == 0 || title.size() < 8) return HoldsTitleLineScan(block, title);
  LineIndex& index = blockIndex_;
  // Far beyond any block; the plain scan stays right for any length.
  if (block.size() >= LineIndex::kNone) return HoldsTitleLineScan(block, title);
  if (!index.valid || index.older.size() > block.size()) {
    index.valid = true;
    index.newest.fill(LineIndex::kNone);
    index.older.clear();
  }
  std::size_t i = index.older.size();
  index.older.resize(block.size(), LineIndex::kNone);
  // Only a line long enough for a title of eight bytes, with the mark's
  // first byte where both marks begin, can be a title line. That byte is no
  // letter, so letter case plays no part.
  const char lead = mark.front();
  const bool leadFolds = (lead | 0x20) >= 'a' && (lead | 0x20) <= 'z';
  for (; i < block.size(); ++i) {
    const Bytes& line = block[i];
    if (line.size() < 2 * m + 8) continue;
    if (!leadFolds && (line.front() != lead || line[line.size() - m] != lead)) continue;
    std::uint32_t& head = index.newest[TitleKey(line.data() + m, line.size() - 2 * m)];
    index.older[i] = head;
    head = static_cast<std::uint32_t>(i);
  }
  for (std::uint32_t k = index.newest[TitleKey(title.data(), title.size())]; k != LineIndex::kNone;
       k = index.older[k]) {
    const Bytes& line = block[k];
    if (line.size() == n && IsTitleLineOf(line, title, mark)) return true;
  }
  return false;
}

int ResultStore::AppendTarget(std::string_view link, std::string_view title) {
  if (!HasHttp(link)) return 0;
  if (!openBlock_ || !siteQueue_) return 0;
  if (!HasPathAfterHost(link)) return 0;
  if (EndsWith(link, '/') || EndsWith(link, '#')) return 0;
  if (Len(title) <= 10) return 0;
  if (!FitsOnOneLine(link) || !FitsOnOneLine(title)) return 0;

  if (HoldsTitleLine(title)) return 0;
  if (InHistory(title) != -1) return 0;

  long long sum = 0;
  if (!ReadCount(host_.Sum1(), sum) || sum < 0 || sum == LLONG_MAX) return 0;
  ++sum;
  host_.SetSum1(IntToText(sum));
  // Both lines are copied before the block grows: link and title may lie in
  // it.
  const std::string_view mark = Ellipsis();
  shownLink_.assign(link);
  shownTitle_.clear();
  shownTitle_.reserve(title.size() + 2 * mark.size());
  shownTitle_.append(mark).append(title).append(mark);
  openBlock_->push_back(shownLink_);
  openBlock_->push_back(shownTitle_);

  ShowNewTarget(sum);
  host_.TargetAppended(sum, shownLink_, shownTitle_);

  if (static_cast<long long>(openBlock_->size()) > kMaxBlockLines) {
    // A block that cannot be saved waits in memory, and the run goes on in
    // the next block, so the block numbers stay those of a saved run. The
    // waiting blocks are tried again at this boundary and at the stop, not
    // on every append.
    const long long n = TextToInt(openBlock_->front());
    const bool saved = SaveWaitingBlocks() && SaveBlockOrTell(*openBlock_);
    if (!saved) unsaved_.push_back(std::move(*openBlock_));
    openBlock_->clear();
    openBlock_->push_back(IntToText(n + 1));
    if (!saved) return 0;
  }
  return 1;
}

// Live display while the user looks at the first page or at the newest eight.
void ResultStore::ShowNewTarget(long long sum) {
  const Bytes sa = host_.Sa();
  if (sa.empty() || sa == "1") {
    // The detour through "2" runs the change handler twice; the page stays 1.
    host_.SetSa(kSaTwo);
    if (GetRowText(8, 1).empty()) {
      for (int row = 1; row <= 8; ++row) {
        if (!GetRowText(row, 1).empty()) continue;
        SetRowText(row, 1, shownLink_);
        SetRowText(row, 2, shownTitle_);
        break;
      }
    }
    host_.SetSa(kSaOne);
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
  SetRowText(8, 1, shownLink_);
  SetRowText(8, 2, shownTitle_);
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
