#pragma once
// The result store, in three parts that each own their caches: the open
// block with its line index (open_block.h), the block history with its index
// of the files in the Temp folder (block_history.h), and the site queue with
// its hints (site_queue.h); beside them the follow-up list. It reaches the
// main window only through StoreHost. Every operation is total: a file or
// text error ends it quietly with the answer it had so far.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/bytes.h"
#include "store/block_folder.h"
#include "store/block_history.h"
#include "store/open_block.h"
#include "store/site_queue.h"
#include "store/store_host.h"

namespace vexo {

// Two lines are the same line when they are equal but for the case of ASCII
// letters (the list lookups' comparison).
bool SameLineIgnoringCase(std::string_view a, std::string_view b);

class ResultStore {
 public:
  explicit ResultStore(StoreHost& host);
  ~ResultStore();
  ResultStore(const ResultStore&) = delete;
  ResultStore& operator=(const ResultStore&) = delete;

  // The three working lists; nullptr while absent (before the first run).
  const StringList* OpenBlock() const { return openBlock_.Get(); }
  // The open block for a change by anyone but the store: ask again for each
  // change (the store indexes the block afresh at its next test).
  StringList* EditOpenBlock() { return openBlock_.Edit(); }
  StringList* SiteQueue() { return siteQueue_.Get(); }
  const StringList* SiteQueue() const { return siteQueue_.Get(); }
  StringList* FollowUp() { return followUp_.get(); }
  const StringList* FollowUp() const { return followUp_.get(); }

  // Start of a run: drops the three lists, creates three new empty ones and
  // sets the target count to 0.
  void CreateRunLists();
  // Shutdown: creates whichever list is missing and empties all three.
  void ClearLists();
  // Shutdown: drops the three lists (they read as absent again).
  void DestroyLists();

  // Paths below the program folder (which ends with "/").
  std::string TempFolder() const { return history_.TempFolder(); }  // folder + "Temp"
  std::string BlockFile(long long n) const { return history_.BlockFile(n); }
  // BlockFile for reading or changing the file: the saves under way land
  // first, so a block that just rolled over is on disk.
  std::string SettledBlockFile(long long n) {
    FinishSaves();
    return BlockFile(n);
  }
  std::string SiteQueueFile() const;  // folder + "kix"

  // 1 when the file holds the text, read through overlapping 2,048-byte
  // windows; -1 when not, for an empty text, or on any error.
  int FileContains(std::string_view text, const std::string& file) const;
  // 1 when a block file (or a block not yet saved) holds the title, only
  // while tracking; else -1.
  int InHistory(std::string_view title) { return history_.InHistory(title); }
  // 1 when the target was added to the open block, 0 when rejected. Each
  // target added is told to the host with its number in the run; a full
  // block is saved in the background (see BlockHistory::SaveFullBlock).
  int AppendTarget(std::string_view link, std::string_view title);

  // The run's target count: the number of the last target appended. New run
  // lists start it at 0; clearing the run's list starts it again.
  long long TargetCount() const { return count_; }
  void SetTargetCount(long long count) { count_ = count < 0 ? 0 : count; }

  // The number of the first block of a new run, above every name taken in
  // the Temp folder; keeps at most 10 block files (1, 2 and 3 are never
  // dropped) and renumbers the rest from 4.
  int NextBlockNumber() { return history_.NextBlockNumber(); }
  // New keywords: deletes every block file and the site-queue file.
  void DeleteHistory();
  // Shutdown: rewrites all block files as title-only history files, numbered
  // from 1 without gaps. False when a save or deletion failed.
  bool CompactHistory() { return history_.CompactHistory(); }
  // Window close: drops the engine URLs, advances the age marker, saves "kix".
  // False when "kix" could not be written.
  bool AgeSiteQueue() { return siteQueue_.Age(SiteQueueFile()); }
  // Site operations of the page analysis (see site_queue.cpp).
  void RememberSite(std::string_view link) { siteQueue_.RememberSite(link); }
  void PromotePageSite(std::string_view pageAddress) { siteQueue_.PromotePageSite(pageAddress); }
  void AppendSite(std::string_view link) { siteQueue_.AppendSite(link); }

  // Stop / close query. Each answers true when its file was written.
  // Saves the blocks still waiting from failed saves, then the open block as
  // block file (line 0) when it has more than one line.
  bool SaveOpenBlock();
  // Waits for the saves under way, then saves the blocks whose save failed,
  // oldest first; true when none is left waiting. A failure is told to the
  // host.
  bool SaveWaitingBlocks() { return history_.SaveWaitingBlocks(); }
  // The full blocks only in memory: saves under way or failed.
  std::size_t WaitingBlocks() const { return history_.WaitingBlocks(); }
  // Waits for the saves under way and tells the host of those that failed.
  void FinishSaves() { history_.FinishSaves(); }
  // When the queue has more than one line: drops the lines up to and including
  // the pass marker and saves the rest as "kix".
  bool SaveSiteQueueAtStop() { return siteQueue_.SaveAtStop(SiteQueueFile()); }

  // Whole-line lookup ignoring ASCII letter case: 0-based index or -1.
  static int IndexOfLine(const StringList& list, std::string_view line);

  const BlockHistory& History() const { return history_; }
  void LimitHistoryIndex(std::size_t bytes) { history_.LimitIndex(bytes); }

 private:
  StoreHost& host_;
  OpenBlockLines openBlock_;
  BlockHistory history_;
  SiteQueueLines siteQueue_;
  std::unique_ptr<StringList> followUp_;
  long long count_ = 0;

  // The new target's lines as told to the host. Kept apart from the block,
  // whose lines the host's handlers may touch while they run; the buffers
  // are reused from target to target.
  Bytes appendedLink_;
  Bytes appendedTitle_;
};

}  // namespace vexo
