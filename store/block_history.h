#pragma once
// The block history: the block and history files in the Temp folder, the
// full blocks still in memory (their save under way, or failed), and the
// duplicate test against all of them, answered from an index in memory. The
// store puts its own saves into the index itself; a watch on the Temp folder
// brings in everyone else's changes when the event loop turns, so that the
// test itself asks the system nothing. Where no watch can be had, the files
// are searched on every test, as the index would answer.

#include <QObject>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bytes.h"
#include "platform/folder_watch.h"
#include "store/block_folder.h"
#include "store/block_writer.h"
#include "store/history_index.h"
#include "store/store_host.h"

namespace vexo {

class BlockHistory {
 public:
  explicit BlockHistory(StoreHost& host);
  // Waits for the saves under way; their outcome is not told any more.
  ~BlockHistory();
  BlockHistory(const BlockHistory&) = delete;
  BlockHistory& operator=(const BlockHistory&) = delete;

  const std::string& TempFolder() const;     // program folder + "Temp"
  std::string BlockFile(long long n) const;  // Temp folder + "/" + n + ".tmp"

  // 1 when a block file (or a block waiting to be saved) holds the title,
  // only while tracking; else -1.
  int InHistory(std::string_view title);

  // Saves a block as the file named by its line 0 at once, after the saves
  // under way, telling the host when that fails.
  bool SaveBlockOrTell(const StringList& block);
  // A full block: it counts as history at once and stays in memory until its
  // file is durably written, on the writer's thread. The blocks whose save
  // failed are tried again first, oldest first. A failure is told to the
  // host from the event loop, or at the next boundary or stop.
  void SaveFullBlock(StringList block);
  // Waits for the saves under way and takes in their outcome.
  void FinishSaves();
  // Saves the blocks still in memory at once, oldest first; true when none
  // is left.
  bool SaveWaitingBlocks();
  // The blocks only in memory (saves under way or failed), oldest first.
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
  struct Unsaved {
    std::uint64_t ticket = 0;
    bool underWay = false;
  };

  bool SaveBlock(const StringList& block);
  std::string PathOf(const StringList& block) const;
  bool EnsureTempFolder() const;
  long long HighestWaitingNumber() const;
  void ThinBlockFiles(const BlockFolder& folder);
  // Takes in the writer's outcomes; tells the failures last.
  void CollectSaves();
  void DropWaitingAt(std::size_t i);
  void WaitingSaved(std::size_t i, std::string_view bytes);
  // The store's own save of block n: into the index without a read.
  void NoteSaved(long long n, std::string_view bytes);
  // The files changed under the index: it is read afresh at the next test.
  void ForgetFiles();
  // Brings the index up to the folder's present state; false when no watch
  // can be had (the files are then searched directly).
  bool IndexCurrent();
  bool Reindex(const std::string& temp);
  // The folder watch's news, from the event loop.
  void TakeFolderChanges();
  // Gives up the files' part of the index once it takes more than the limit.
  bool WithinLimit();
  void ReadIntoIndex(long long n);

  StoreHost& host_;
  std::vector<StringList> waiting_;
  std::vector<Unsaved> unsaved_;  // beside waiting_
  std::uint64_t nextTicket_ = 1;
  bool collecting_ = false;
  HistoryIndex index_;
  FolderWatch watch_;
  bool watchFailed_ = false;  // in this run: the files are searched
  std::string indexed_;       // the Temp folder the index holds, empty for none
  // TempFolder's answer and the program folder it was made of.
  mutable std::string tempOf_, temp_;
  std::vector<std::string> changed_;
  std::size_t indexLimit_ = kIndexLimit;
  bool overLimit_ = false;  // the files outgrew the limit in this run
  // Lives on the store's thread: the writer's wake-ups run there.
  std::unique_ptr<QObject> wakeTarget_;
  BlockWriter writer_;  // last: its thread ends before the rest goes
};

}  // namespace vexo
