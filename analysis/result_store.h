#pragma once
// The result store: the open block of targets, the block and history files in
// the Temp folder, the site queue with its file "kix", and the follow-up list.
// It reaches the main window only through StoreHost. Every operation is total:
// a file or text error ends it quietly with the answer it had so far.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/block_folder.h"
#include "analysis/store_host.h"
#include "platform/bytes.h"

namespace vexo {

// Marker lines of the site queue.
inline constexpr std::string_view kPassMarker = "[:\\\\:]";  // the six bytes [:\\:]
inline constexpr std::string_view kAgeMarker1 = "[:--:]";
inline constexpr std::string_view kAgeMarker2 = "[:==:]";
inline constexpr std::string_view kAgeMarker3 = "[:++:]";

// A block holds at most this many lines.
inline constexpr int kMaxBlockLines = 400;

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
  // Handing out the open block for writing drops the store's index of it.
  StringList* OpenBlock();
  StringList* SiteQueue();
  StringList* FollowUp();
  const StringList* OpenBlock() const;
  const StringList* SiteQueue() const;
  const StringList* FollowUp() const;

  // Start of a run: drops the three lists and creates three new empty ones.
  void CreateRunLists();
  // Shutdown: creates whichever list is missing and empties all three.
  void ClearLists();
  // Shutdown: drops the three lists (they read as absent again).
  void DestroyLists();

  // Paths below the program folder (which ends with "/").
  std::string TempFolder() const;            // folder + "Temp"
  std::string BlockFile(long long n) const;  // folder + "Temp/" + n + ".tmp"
  std::string SiteQueueFile() const;         // folder + "kix"

  // 1 when the file holds the text, read through overlapping 2,048-byte
  // windows; -1 when not, for an empty text, or on any error.
  int FileContains(std::string_view text, const std::string& file) const;
  // 1 when a block file (or a block not yet saved) holds the title, only
  // while tracking; else -1.
  int InHistory(std::string_view title) const;
  // 1 when the target was added to the open block, 0 when rejected (or when
  // the roll-over save failed; the full block then waits in memory).
  int AppendTarget(std::string_view link, std::string_view title);

  // Display rows 1-8; which 1 = the link label, any other = the caption.
  Bytes GetRowText(int row, int which) const;
  // Setting a link label also sets the row's mark cell ("×" for a "*" link).
  void SetRowText(int row, int which, const Bytes& text);

  // The number of the first block of a new run, above every name taken in
  // the Temp folder; keeps at most 10 block files (1, 2 and 3 are never
  // dropped) and renumbers the rest from 4.
  int NextBlockNumber();
  // New keywords: deletes every block file and the site-queue file.
  void DeleteHistory();
  // Shutdown: rewrites all block files as title-only history files, numbered
  // from 1 without gaps.
  void CompactHistory();
  // Window close: drops the engine URLs, advances the age marker, saves "kix".
  void AgeSiteQueue();
  // Site operations of the page analysis (see site_queue.cpp).
  void RememberSite(std::string_view link);
  void PromotePageSite(std::string_view pageAddress);
  void AppendSite(std::string_view link);

  // Stop / close query. Each answers true when its file was written.
  // Saves the blocks still waiting from failed saves, then the open block as
  // block file (line 0) when it has more than one line.
  bool SaveOpenBlock();
  // Saves the blocks whose roll-over save failed, oldest first; true when
  // none is left waiting. A failure is told to the host.
  bool SaveWaitingBlocks();
  std::size_t WaitingBlocks() const { return unsaved_.size(); }
  // When the queue has more than one line: drops the lines up to and including
  // the pass marker and saves the rest as "kix".
  bool SaveSiteQueueAtStop();

  // Whole-line lookup ignoring ASCII letter case: 0-based index or -1.
  static int IndexOfLine(const StringList& list, std::string_view line);

  // While a batch is open (one page analysis), nothing but the store itself
  // creates block files or the Temp folder, so InHistory lists the Temp
  // folder once and then opens only the block files that exist, instead of
  // trying all hundred names for every title. The store forgets the listing
  // whenever it writes block files itself, and when the batch ends; a caller
  // that hands control to other code inside a batch calls
  // ForgetHistoryListing afterwards. The same holds for the open block: the
  // duplicate test indexes its lines once per batch, and the index goes with
  // the listing.
  class HistoryBatch {
   public:
    explicit HistoryBatch(ResultStore& store);
    ~HistoryBatch();
    HistoryBatch(const HistoryBatch&) = delete;
    HistoryBatch& operator=(const HistoryBatch&) = delete;

   private:
    ResultStore& store_;
  };
  void ForgetHistoryListing();

 private:
  // The block files that exist (missing Temp folder: none).
  const BlockFolder& HistoryListing() const;
  bool InUnsavedBlocks(std::string_view title) const;
  long long HighestUnsavedNumber() const;
  void ThinBlockFiles(const BlockFolder& folder);
  bool EnsureTempFolder() const;
  bool SaveBlock(const StringList& block);
  // Saves a block, telling the host when that fails.
  bool SaveBlockOrTell(const StringList& block);
  // Shows the target held in shownLink_ and shownTitle_.
  void ShowNewTarget(long long sum);
  bool HoldsTitleLine(std::string_view title);

  // The open block's lines chained by a key of their title part, newest
  // first, for the duplicate test inside a batch. Lines appended since it was
  // built are added at the next test; a block shorter than the index, any
  // write access through OpenBlock(), a new list and the end of the batch
  // drop it.
  struct LineIndex {
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;
    bool valid = false;
    std::array<std::uint32_t, 512> newest{};  // by key
    std::vector<std::uint32_t> older;         // per indexed line
  };
  LineIndex blockIndex_;

  // The new target's lines as shown in the rows. Kept apart from the block,
  // whose lines the window's handlers may touch while the rows change; the
  // buffers are reused from target to target.
  Bytes shownLink_;
  Bytes shownTitle_;

  StoreHost& host_;
  std::unique_ptr<StringList> openBlock_;
  std::unique_ptr<StringList> siteQueue_;
  std::unique_ptr<StringList> followUp_;

  // Where AppendSite last met each candidate root, by a hash of the root:
  // only a hint, always checked against the queue line it names, since the
  // scheduler and the tracking control edit the queue as well.
  struct SiteHint {
    std::uint64_t key = 0;
    std::size_t index = 0;
    std::size_t count = 0;  // queue length then
  };
  bool HintedInQueue(const StringList& queue, std::string_view root, std::uint64_t key) const;
  void HintSite(std::uint64_t key, std::size_t index, std::size_t count);
  std::array<SiteHint, 512> siteHints_{};
  // Where a site operation last met an age marker: only a hint, checked
  // against the line it names.
  std::size_t ageMarkerHint_ = 0;
  // The root RememberSite and PromotePageSite work on.
  Bytes siteRoot_;

  int historyBatches_ = 0;
  mutable bool historyListed_ = false;
  mutable BlockFolder history_;

  // Full blocks whose roll-over save failed, oldest first, tried again at the
  // next roll-over and at the stop; they count as history meanwhile.
  std::vector<StringList> unsaved_;
};

}  // namespace vexo
