#pragma once
// The history's duplicate test from memory: the bytes of every block file and
// of every block still waiting to be saved, with an index of their 8-byte
// pieces at every fourth position, so that a title is looked for in a few
// places instead of in every file. It answers exactly as the search through
// 2,048-byte windows over the files and line by line over the waiting blocks
// (tests/reference/history_search.h), quirks included: in a file a text of
// more than 168 bytes is not found across a window edge, one of more than
// 2,048 bytes never; a waiting block is searched within its lines.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string_view>
#include <vector>

#include "platform/bytes.h"

namespace vexo {

class HistoryIndex {
 public:
  // The bytes of block file `number`, in place of any earlier ones (bytes
  // equal to those held change nothing).
  void PutFile(long long number, std::string_view bytes);
  void DropFile(long long number);
  void DropFiles();
  // Blocks waiting to be saved, oldest first.
  void PushWaiting(const StringList& lines);
  // The i-th waiting block is now block file `number`, with the bytes
  // JoinLines gives it: it stays indexed as that file.
  void WaitingSaved(std::size_t i, long long number);
  void PopWaiting() { DropWaitingAt(0); }
  // The i-th waiting block, oldest first.
  void DropWaitingAt(std::size_t i);
  void DropWaiting();
  // Lays the living documents out afresh, without the room kept for growth.
  void Pack() { Rebuild(); }

  // True when a file holds the title within one window, or a waiting block's
  // line holds it.
  bool Holds(std::string_view title) const;

  // Bytes held, as allocated.
  std::size_t MemoryBytes() const;

 private:
  struct Doc {
    std::uint32_t start = 0;  // in text_, a multiple of kStep
    std::uint32_t size = 0;
    bool alive = true;
    bool waiting = false;
    // Waiting blocks: where each line ends; each is followed by CR LF, as in
    // the file the block becomes.
    std::vector<std::uint32_t> lineEnds;
  };
  struct Entry {
    std::uint32_t pos;   // a piece at text_[pos], pos a multiple of kStep
    std::uint32_t next;  // the next entry of the bucket, or kNone
  };
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;

  std::uint32_t AddDoc(std::string_view bytes, bool waiting, std::vector<std::uint32_t> lineEnds);
  void KillDoc(std::uint32_t doc);
  void IndexDoc(const Doc& doc);
  void Link(std::uint32_t pos, std::uint64_t piece);
  // Fetches the bucket's head and count into the cache ahead of their use.
  void Prefetch(std::size_t bucket) const {
    __builtin_prefetch(heads_.data() + bucket, 1);
    __builtin_prefetch(counts_.data() + bucket, 1);
  }
  void Grow(std::size_t entries);
  void Rebuild();
  const Doc& DocAt(std::uint32_t pos) const;
  bool Found(const Doc& doc, std::uint32_t at, std::size_t len) const;
  bool Scan(std::string_view title) const;
  std::size_t Bucket(std::uint64_t piece) const {
    return static_cast<std::size_t>((piece * 0x9E3779B97F4A7C15ULL) >> (64 - bucketBits_));
  }

  Bytes text_;
  std::vector<Doc> docs_;  // by start
  std::map<long long, std::uint32_t> files_;
  std::deque<std::uint32_t> waiting_;
  std::vector<Entry> entries_;
  std::vector<std::uint32_t> heads_;
  std::vector<std::uint8_t> counts_;  // entries per bucket, up to 255
  unsigned bucketBits_ = 0;
  std::size_t deadEntries_ = 0;
  std::size_t deadBytes_ = 0;
};

}  // namespace vexo
