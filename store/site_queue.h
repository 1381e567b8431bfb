#pragma once
// Site roots ("http://" + host, no trailing "/") and the edits of the site
// queue: proven sites directly under the pass marker, newest first, then one
// age marker, then the candidate sites. The plain forms, by line-by-line
// lookups and a byte walk, are in tests/reference/site_queue.h.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// Marker lines of the site queue.
inline constexpr std::string_view kPassMarker = "[:\\\\:]";  // the six bytes [:\\:]
inline constexpr std::string_view kAgeMarker1 = "[:--:]";
inline constexpr std::string_view kAgeMarker2 = "[:==:]";
inline constexpr std::string_view kAgeMarker3 = "[:++:]";

// Root of an address for remembering a proven site: up to the first "/" after
// "://" (or the whole address), without a trailing "/"; empty when that is 10
// bytes or fewer, or when it holds a line break (it could not be stored).
Bytes SiteRoot(std::string_view address);

// Root of a link for a candidate site: the bytes before the first "/" after
// "://"; empty when the link has no such "/" or the root holds a line break.
Bytes CandidateSiteRoot(std::string_view link);

// Removes the lines above and including the last pass marker.
void DropUpToPassMarker(StringList& queue);

// The site queue of a run, with hints of where its lines were last met.
class SiteQueueLines {
 public:
  // nullptr while absent (before the first run). Anyone may change the
  // lines: the hints are checked against them.
  StringList* Get() { return lines_.get(); }
  const StringList* Get() const { return lines_.get(); }
  void Create();
  // Creates the queue when it is missing, else empties it.
  void Clear();
  void Destroy();

  // The site operations of the page analysis.
  void RememberSite(std::string_view link);
  void PromotePageSite(std::string_view pageAddress);
  void AppendSite(std::string_view link);
  // Window close: drops the engine URLs, advances the age marker, saves.
  bool Age(const std::string& file);
  // When the queue has more than one line: drops the lines up to and
  // including the pass marker and saves the rest; true when written.
  bool SaveAtStop(const std::string& file);

 private:
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

  std::unique_ptr<StringList> lines_;
  std::array<SiteHint, 512> siteHints_{};
  // Where a site operation last met an age marker: only a hint, checked
  // against the line it names.
  std::size_t ageMarkerHint_ = 0;
  // The root RememberSite and PromotePageSite work on.
  Bytes siteRoot_;
};

}  // namespace vexo
