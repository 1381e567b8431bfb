#pragma once
// The block history: the block and history files in the Temp folder, the
// full blocks waiting in memory because their save failed, and the duplicate
// test against all of them, answered from an index in memory that a watch on
// the Temp folder keeps current (whoever changes the folder, this store or
// anything else); where no watch can be had, the files are searched on every
// test, as the index would answer.

#include <string>
#include <string_view>
#include <vector>

#include "platform/bytes.h"
#include "platform/folder_watch.h"
#include "store/block_folder.h"
#include "store/history_index.h"
#include "store/store_host.h"

namespace vexo {

class BlockHistory {
 public:
  explicit BlockHistory(StoreHost& host) : host_(host) {}
  BlockHistory(const BlockHistory&) = delete;
  BlockHistory& operator=(const BlockHistory&) = delete;

  std::string TempFolder() const;            // program folder + "Temp"
  std::string BlockFile(long long n) const;  // Temp folder + "/" + n + ".tmp"

  // 1 when a block file (or a block waiting to be saved) holds the title,
  // only while tracking; else -1.
  int InHistory(std::string_view title);

  // Saves a block as the file named by its line 0, telling the host when
  // that fails.
  bool SaveBlockOrTell(const StringList& block);
  // A full block whose save failed waits in memory and counts as history.
  void AddWaiting(StringList block);
  // Saves the waiting blocks, oldest first; true when none is left.
  bool SaveWaitingBlocks();
  std::size_t WaitingBlocks() const { return waiting_.size(); }
  const std::vector<StringList>& Waiting() const { return waiting_; }

  // See ResultStore.
  int NextBlockNumber();
  // False when a save or a deletion failed (a failed save is told to the
  // host); what could not be merged stays as it was.
  bool CompactHistory();
  // Deletes every block file and forgets the waiting blocks.
  void DeleteBlocks();

  // A new run reads the files afresh when it first needs them; the memory
  // the index held goes until then.
  void DropIndex();
  // Bytes the index holds.
  std::size_t IndexBytes() const { return index_.MemoryBytes(); }
  // The most memory the index may take. A Temp folder that needs more (far
  // more than the program ever writes there) is searched file by file
  // instead, until the next run drops the index.
  void LimitIndex(std::size_t bytes) { indexLimit_ = bytes; }
  static constexpr std::size_t kIndexLimit = std::size_t{512} << 20;

 private:
  bool SaveBlock(const StringList& block);
  bool EnsureTempFolder() const;
  long long HighestWaitingNumber() const;
  void ThinBlockFiles(const BlockFolder& folder);
  // Brings the index up to the folder's present state; false when no watch
  // can be had (the files are then searched directly).
  bool IndexCurrent();
  bool Reindex(const std::string& temp);
  // Gives up the files' part of the index once it takes more than the limit.
  bool WithinLimit();
  void ReadIntoIndex(long long n);

  StoreHost& host_;
  std::vector<StringList> waiting_;
  HistoryIndex index_;
  FolderWatch watch_;
  std::string indexed_;  // the Temp folder the index holds, empty for none
  std::vector<std::string> changed_;
  std::size_t indexLimit_ = kIndexLimit;
  bool overLimit_ = false;  // the files outgrew the limit in this run
};

}  // namespace vexo
