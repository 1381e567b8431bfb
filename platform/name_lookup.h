#pragma once
// Asynchronous host-name lookup. The answer comes back on the thread that
// started the lookup, through its event loop; a dotted IPv4 address answers at
// once, before Start returns.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vexo {

// Error codes of name lookup, numbered as Winsock numbers them.
inline constexpr int kLookupHostNotFound = 11001;
inline constexpr int kLookupTryAgain = 11002;
inline constexpr int kLookupNoRecovery = 11003;
inline constexpr int kLookupNoData = 11004;

// True for a strict dotted quad such as "127.0.0.1".
bool IsDottedIPv4(std::string_view host);

// Winsock-style code of a getaddrinfo() result.
int LookupErrorCode(int gai_error);

class NameLookup {
 public:
  // error 0 with at least one dotted IPv4 address, or a lookup error code.
  using Done = std::function<void(int error, const std::vector<std::string>& addresses)>;

  NameLookup() = default;
  ~NameLookup() { Cancel(); }
  NameLookup(const NameLookup&) = delete;
  NameLookup& operator=(const NameLookup&) = delete;

  // Starts a lookup of host (replacing a pending one, which then never answers).
  // Returns 0, or an errno value when the lookup could not be started.
  int Start(const std::string& host, Done done);
  bool Pending() const;
  // The pending lookup (if any) never answers.
  void Cancel();

 private:
  struct Shared;
  std::shared_ptr<Shared> pending_;
};

}  // namespace vexo
