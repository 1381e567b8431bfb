#pragma once
// Sites whose roots are revisited: count sites, named site<i>.revisit.test,
// each with a root page of page_bytes bytes of ordinary-looking HTML (it
// compresses about as well as real pages do) and the validators of its
// current version. A request that names the current ETag in If-None-Match
// gets a 304; one that accepts gzip gets the page gzipped. Change gives a
// site a new version. Answer may be called from several threads at once.

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace vexo::testing {

class RevisitSites {
 public:
  RevisitSites(int count, std::size_t page_bytes);

  int Count() const { return static_cast<int>(sites_.size()); }
  // The name every site's host ends in; a certificate for "*" + it covers all.
  static constexpr const char* kDomain = ".revisit.test";
  static std::string Url(int i);

  // A new version of site i: other text, other validators.
  void Change(int i);
  // Site i's current page, plain and gzipped.
  std::string Page(int i) const;
  std::string Gzipped(int i) const;
  // The response to a request's header: 404 for a host that is not a site.
  std::string Answer(const std::string& request) const;

 private:
  struct Site {
    int version = 0;
    std::string page;
    std::string gzipped;
  };
  void Build(int i);

  std::size_t page_bytes_;
  mutable std::mutex mutex_;
  std::vector<Site> sites_;
};

}  // namespace vexo::testing
