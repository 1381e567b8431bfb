#pragma once
// Courtesy to every host the program asks, engines and sites alike: at most
// two connections to one host at a time, starts to one host spaced by a
// minimum with random jitter of up to a half of it, and a host that asked
// for a pause (Retry-After) left alone until then. Hosts are told apart by
// the name and port of the address, whatever the connection is sent to.

#include <functional>
#include <map>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

class HostCourtesy {
 public:
  static constexpr int kMaxConnections = 2;
  static constexpr long long kDefaultSpacingMs = 1000;

  // random: a number in [0, 1) for the jitter; tests give their own.
  explicit HostCourtesy(long long spacingMs = kDefaultSpacingMs,
                        std::function<double()> random = {});

  void SetSpacing(long long ms) { spacing_ = ms < 0 ? 0 : ms; }
  long long Spacing() const { return spacing_; }

  // The host an address is asked at: lower-cased name, ":" and port.
  static Bytes HostOf(std::string_view address);

  // Whether a request to the address may start now.
  bool Ready(std::string_view address, long long nowMs) const;
  // Whether the host asked to be left alone until after now.
  bool Paused(std::string_view address, long long nowMs) const;
  // A request to the address has started (its next start waits a spacing)
  // and has ended.
  void Started(std::string_view address, long long nowMs);
  void Ended(std::string_view address);
  // Leaves the host alone until `untilMs` (never shortens a pause).
  void PauseUntil(std::string_view address, long long untilMs);
  long long PausedUntil(std::string_view address) const;
  // Notes how the host answered. A refusal (403, 429, 503) pauses it: for
  // the Retry-After it gave, else 10 minutes, doubling with each refusal in
  // a row up to 2 hours, and never less than a Retry-After. Any other answer
  // from the host ends the row. True when a pause began.
  bool Refused(std::string_view address, int status, long long retryAfterMs, long long nowMs);
  // A block the answer showed otherwise (a captcha page, a page without
  // results): paused as a refusal without Retry-After is.
  bool Blocked(std::string_view address, long long nowMs);
  static constexpr long long kFirstPauseMs = 10LL * 60 * 1000;
  static constexpr long long kLongestPauseMs = 2LL * 60 * 60 * 1000;
  // Forgets the hosts that have no connection and no pause left.
  void Prune(long long nowMs);

  int Connections(std::string_view address) const;
  // Requests started since the start, to all hosts.
  long long Starts() const { return starts_; }
  // The most connections one host had at once since the start.
  int MostAtOnce() const { return mostAtOnce_; }

 private:
  struct Host {
    int connections = 0;
    long long nextStart = 0;
    long long pausedUntil = 0;
    int refusals = 0;  // in a row
  };
  const Host* Find(std::string_view address) const;
  bool PauseAfterRefusal(std::string_view address, long long retryAfterMs, bool honourRetryAfter,
                         long long nowMs);

  long long spacing_;
  std::function<double()> random_;
  std::map<Bytes, Host, std::less<>> hosts_;
  int mostAtOnce_ = 0;
  long long starts_ = 0;
};

// The pause a 429 or 503 answer asks for, in milliseconds from now: its
// Retry-After in seconds or as an HTTP date (against `nowEpochSeconds`); 0
// when it asks for none. Capped at a day, so that a hostile value cannot
// silence a host for good.
long long RetryAfterMs(const StringList& headerLines, long long nowEpochSeconds);

}  // namespace vexo
