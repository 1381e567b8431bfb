#include "store/result_store.h"

#include <string.h>

#include <climits>

#include "platform/codepage.h"
#include "platform/files.h"
#include "store/block_files.h"
#include "store/folded_line.h"

namespace vexo {

namespace {

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
  count_ = 0;
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

  if (count_ == LLONG_MAX) return 0;
  ++count_;
  // Both lines are copied before the block grows: link and title may lie in
  // it.
  const std::string_view mark = TitleMark();
  appendedLink_.assign(link);
  appendedTitle_.clear();
  appendedTitle_.reserve(title.size() + 2 * mark.size());
  appendedTitle_.append(mark).append(title).append(mark);
  openBlock_.Append(appendedLink_, appendedTitle_);
  const StringList& block = *openBlock_.Get();

  host_.TargetAppended(count_, appendedLink_, appendedTitle_);

  if (static_cast<long long>(block.size()) > kMaxBlockLines) {
    // The full block is written off this thread and waits in memory until
    // its file is durable, or for the next try when the save fails; the run
    // goes on in the next block, so the block numbers stay those of a saved
    // run. Failed saves are tried again at the next boundary and at the
    // stop, not on every append.
    const long long n = TextToInt(block.front());
    history_.SaveFullBlock(openBlock_.RollOver(n + 1));
  }
  return 1;
}

}  // namespace vexo
