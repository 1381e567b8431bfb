#pragma once
// The validators (ETag, Last-Modified) of the site roots revisited from the
// follow-up list, so that the next revisit asks "changed since?" and an
// unchanged page costs a 304 instead of a download and an analysis. Kept in
// memory for the run and beside the site queue between runs.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

class RevisitValidators {
 public:
  // Longer values are someone's mischief, not a validator.
  static constexpr std::size_t kMaxValueBytes = 256;
  // More sites than the site queue ever holds.
  static constexpr std::size_t kMaxEntries = 4096;

  // The header lines of a 200 answer for url: its validators replace those
  // remembered; an answer with none forgets them.
  void Remember(const Bytes& url, const StringList& headerLines);
  // The request lines that ask whether url changed since; empty when
  // nothing is known of it.
  StringList HeadersFor(const Bytes& url) const;
  bool Knows(const Bytes& url) const { return entries_.count(url) != 0; }
  std::size_t Size() const { return entries_.size(); }

  // The file holds one line per site: the URL, a tab, the ETag, a tab, the
  // Last-Modified value (either may be empty, not both). Loading replaces
  // what is in memory; lines of another shape are skipped.
  void Load(const std::string& file);
  // Keeps only the sites that are lines of the site queue, then writes the
  // file atomically; true when written (or when there is nothing to keep
  // and no file to empty).
  bool Save(const std::string& file, const StringList& siteQueue);

 private:
  struct Entry {
    Bytes etag;
    Bytes lastModified;
  };
  void Put(const Bytes& url, Entry entry);
  std::map<Bytes, Entry> entries_;
};

}  // namespace vexo
