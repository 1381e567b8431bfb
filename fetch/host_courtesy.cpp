#include "fetch/host_courtesy.h"

#include <time.h>

#include <algorithm>
#include <random>

#include "fetch/http_address.h"

namespace vexo {

namespace {

constexpr long long kMaxPauseMs = 24LL * 3600 * 1000;

double DefaultRandom() {
  static std::mt19937_64 engine{std::random_device{}()};
  return std::uniform_real_distribution<double>(0.0, 1.0)(engine);
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// Seconds, or an HTTP date; -1 when it is neither.
long long RetryAfterSeconds(std::string_view value, long long nowEpochSeconds) {
  value = TrimBlanks(value);
  if (value.empty()) return -1;
  if (std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    long long seconds = 0;
    for (const char c : value) {
      seconds = seconds * 10 + (c - '0');
      if (seconds > kMaxPauseMs / 1000) return kMaxPauseMs / 1000;
    }
    return seconds;
  }
  struct tm when {};
  const Bytes text(value.substr(0, 64));
  const char* end = ::strptime(text.c_str(), "%a, %d %b %Y %H:%M:%S", &when);
  if (end == nullptr) return -1;
  const long long at = static_cast<long long>(::timegm(&when));
  return std::max(0LL, at - nowEpochSeconds);
}

}  // namespace

HostCourtesy::HostCourtesy(long long spacingMs, std::function<double()> random)
    : spacing_(spacingMs < 0 ? 0 : spacingMs),
      random_(random ? std::move(random) : std::function<double()>(DefaultRandom)) {}

Bytes HostCourtesy::HostOf(std::string_view address) {
  const AddressParts parts = SplitAddress(address);
  Bytes port = parts.port;
  if (port.empty()) port = DefaultPort(IsTlsScheme(parts.scheme));
  return Lower(parts.host) + ":" + port;
}

const HostCourtesy::Host* HostCourtesy::Find(std::string_view address) const {
  const auto it = hosts_.find(HostOf(address));
  return it == hosts_.end() ? nullptr : &it->second;
}

bool HostCourtesy::Ready(std::string_view address, long long nowMs) const {
  const Host* h = Find(address);
  return !h ||
         (h->connections < kMaxConnections && nowMs >= h->nextStart && nowMs >= h->pausedUntil);
}

bool HostCourtesy::Paused(std::string_view address, long long nowMs) const {
  const Host* h = Find(address);
  return h && nowMs < h->pausedUntil;
}

void HostCourtesy::Started(std::string_view address, long long nowMs) {
  Host& h = hosts_[HostOf(address)];
  ++h.connections;
  ++starts_;
  mostAtOnce_ = std::max(mostAtOnce_, h.connections);
  const double jitter = std::clamp(random_(), 0.0, 1.0) * 0.5;
  h.nextStart = nowMs + spacing_ + static_cast<long long>(static_cast<double>(spacing_) * jitter);
}

void HostCourtesy::Ended(std::string_view address) {
  const auto it = hosts_.find(HostOf(address));
  if (it != hosts_.end() && it->second.connections > 0) --it->second.connections;
}

void HostCourtesy::PauseUntil(std::string_view address, long long untilMs) {
  Host& h = hosts_[HostOf(address)];
  h.pausedUntil = std::max(h.pausedUntil, untilMs);
}

long long HostCourtesy::PausedUntil(std::string_view address) const {
  const Host* h = Find(address);
  return h ? h->pausedUntil : 0;
}

bool HostCourtesy::Refused(std::string_view address, int status, long long retryAfterMs,
                           long long nowMs) {
  const bool refusal = status == 403 || status == 429 || status == 503;
  if (!refusal) {
    // A failed connection tells nothing of the host's will.
    const auto it = hosts_.find(HostOf(address));
    if (it != hosts_.end() && status >= 200 && status < 900) it->second.refusals = 0;
    return false;
  }
  return PauseAfterRefusal(address, retryAfterMs, status != 403, nowMs);
}

bool HostCourtesy::Blocked(std::string_view address, long long nowMs) {
  return PauseAfterRefusal(address, 0, false, nowMs);
}

bool HostCourtesy::PauseAfterRefusal(std::string_view address, long long retryAfterMs,
                                     bool honourRetryAfter, long long nowMs) {
  Host& h = hosts_[HostOf(address)];
  if (nowMs < h.pausedUntil) return false;  // one refusal of a pause already begun
  long long pause = retryAfterMs > 0 && honourRetryAfter ? retryAfterMs : 0;
  if (pause == 0) {
    pause = kFirstPauseMs;
    for (int i = 0; i < h.refusals && pause < kLongestPauseMs; ++i) pause *= 2;
    pause = std::max(std::min(pause, kLongestPauseMs), retryAfterMs);
  }
  ++h.refusals;
  h.pausedUntil = nowMs + pause;
  return true;
}

void HostCourtesy::Prune(long long nowMs) {
  std::erase_if(hosts_, [nowMs](const auto& entry) {
    const Host& h = entry.second;
    return h.connections == 0 && nowMs >= h.pausedUntil && nowMs >= h.nextStart;
  });
}

int HostCourtesy::Connections(std::string_view address) const {
  const Host* h = Find(address);
  return h ? h->connections : 0;
}

long long RetryAfterMs(const StringList& headerLines, long long nowEpochSeconds) {
  constexpr std::string_view kName = "retry-after:";
  for (const Bytes& line : headerLines) {
    if (line.size() < kName.size() || Lower(line.substr(0, kName.size())) != kName) continue;
    const long long seconds =
        RetryAfterSeconds(std::string_view(line).substr(kName.size()), nowEpochSeconds);
    if (seconds >= 0) return std::min(seconds * 1000, kMaxPauseMs);
  }
  return 0;
}

}  // namespace vexo
