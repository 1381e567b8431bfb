#include "store/result_store.h"

#include <string.h>

#include <climits>

#include "platform/codepage.h"
#include "platform/files.h"
#include "store/block_files.h"
#include "store/folded_line.h"
#include "texts/texts.h"

namespace vexo {

namespace {

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

}  // namespace

bool SameLineIgnoringCase(std::string_view a, std::string_view b) {
  return SameLineFolded(a, b);
}

ResultStore::ResultStore(StoreHost& host) : host_(host), history_(host) {}
ResultStore::~ResultStore() = default;

void ResultStore::CreateRunLists() {
  siteQueue_.Create();
  followUp_ = std::make_unique<StringList>();
  openBlock_.Create();
  // The run reads the history afresh when it first needs it.
  history_.DropIndex();
}

void ResultStore::ClearLists() {
  siteQueue_.Clear();
  if (followUp_)
    followUp_->clear();
  else
    followUp_ = std::make_unique<StringList>();
  openBlock_.Clear();
}

void ResultStore::DestroyLists() {
  siteQueue_.Destroy();
  followUp_.reset();
  openBlock_.Destroy();
  history_.DropIndex();
}

std::string ResultStore::SiteQueueFile() const {
  return host_.ProgramFolder() + "kix";
}

int ResultStore::IndexOfLine(const StringList& list, std::string_view line) {
  return IndexOfLineFolded(list, line);
}

int ResultStore::FileContains(std::string_view text, const std::string& file) const {
  return FileHasText(text, file) ? 1 : -1;
}

bool ResultStore::SaveOpenBlock() {
  const bool waitingSaved = history_.SaveWaitingBlocks();
  const StringList* block = openBlock_.Get();
  if (!block || block->size() <= 1) return false;
  return history_.SaveBlockOrTell(*block) && waitingSaved;
}

void ResultStore::DeleteHistory() {
  history_.DeleteBlocks();
  if (FileExists(SiteQueueFile())) DeleteFile(SiteQueueFile());
}

int ResultStore::AppendTarget(std::string_view link, std::string_view title) {
  if (!HasHttp(link)) return 0;
  if (!openBlock_.Get() || !siteQueue_.Get()) return 0;
  if (!HasPathAfterHost(link)) return 0;
  if (EndsWith(link, '/') || EndsWith(link, '#')) return 0;
  if (Len(title) <= 10) return 0;
  if (!FitsOnOneLine(link) || !FitsOnOneLine(title)) return 0;

  if (openBlock_.HoldsTitleLine(title)) return 0;
  if (history_.InHistory(title) != -1) return 0;

  long long sum = 0;
  if (!ReadCount(host_.Sum1(), sum) || sum < 0 || sum == LLONG_MAX) return 0;
  ++sum;
  host_.SetSum1(IntToText(sum));
  // Both lines are copied before the block grows: link and title may lie in
  // it.
  const std::string_view mark = TitleMark();
  shownLink_.assign(link);
  shownTitle_.clear();
  shownTitle_.reserve(title.size() + 2 * mark.size());
  shownTitle_.append(mark).append(title).append(mark);
  openBlock_.Append(shownLink_, shownTitle_);
  const StringList& block = *openBlock_.Get();

  ShowNewTarget(sum);
  host_.TargetAppended(sum, shownLink_, shownTitle_);

  if (static_cast<long long>(block.size()) > kMaxBlockLines) {
    // A block that cannot be saved waits in memory, and the run goes on in
    // the next block, so the block numbers stay those of a saved run. The
    // waiting blocks are tried again at this boundary and at the stop, not
    // on every append.
    const long long n = TextToInt(block.front());
    const bool saved = history_.SaveWaitingBlocks() && history_.SaveBlockOrTell(block);
    StringList full = openBlock_.RollOver(n + 1);
    if (!saved) {
      history_.AddWaiting(std::move(full));
      return 0;
    }
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
