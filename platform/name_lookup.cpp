#include "platform/name_lookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/event_loop.h"

namespace vexo {

bool IsDottedIPv4(std::string_view host) {
  if (host.empty() || host.size() > 15) return false;
  const std::string text(host);
  in_addr addr{};
  return inet_pton(AF_INET, text.c_str(), &addr) == 1;
}

int LookupErrorCode(int gai_error) {
  switch (gai_error) {
    case 0:
      return 0;
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
    case EAI_ADDRFAMILY:
      return kLookupHostNotFound;
    case EAI_AGAIN:
      return kLookupTryAgain;
    default:
      return kLookupNoRecovery;
  }
}

// What a worker shares with the lookup that started it. The worker answers
// only while `done` is still set; Cancel clears it.
struct NameLookup::Shared {
  std::mutex mutex;
  std::shared_ptr<ThreadLoop> loop;
  std::shared_ptr<Done> done;
};

namespace {

// Blocking lookup of IPv4 addresses, run on a worker thread.
int LookUp(const std::string& host, std::vector<std::string>& out) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  const int rc = getaddrinfo(host.c_str(), nullptr, &hints, &list);
  if (rc != 0) return LookupErrorCode(rc);
  for (const addrinfo* ai = list; ai; ai = ai->ai_next) {
    if (ai->ai_family != AF_INET || !ai->ai_addr) continue;
    char text[INET_ADDRSTRLEN] = {};
    const auto* sin = reinterpret_cast<const sockaddr_in*>(ai->ai_addr);
    if (inet_ntop(AF_INET, &sin->sin_addr, text, sizeof text)) out.emplace_back(text);
  }
  freeaddrinfo(list);
  return out.empty() ? kLookupNoData : 0;
}

}  // namespace

int NameLookup::Start(const std::string& host, Done done) {
  Cancel();
  if (IsDottedIPv4(host)) {
    done(0, {host});
    return 0;
  }
  auto shared = std::make_shared<Shared>();
  shared->loop = ThisThreadLoop();
  shared->done = std::make_shared<Done>(std::move(done));
  pending_ = shared;
  try {
    std::thread([shared, host] {
      std::vector<std::string> addresses;
      const int error = LookUp(host, addresses);
      std::lock_guard lock(shared->mutex);
      if (!shared->done) return;
      std::weak_ptr<Shared> weak = shared;
      shared->loop->Post([weak, error, addresses = std::move(addresses)] {
        const auto s = weak.lock();
        if (!s) return;
        std::shared_ptr<Done> report;
        {
          std::lock_guard reportLock(s->mutex);
          report = std::move(s->done);
        }
        if (report) (*report)(error, addresses);
      });
    }).detach();
  } catch (const std::system_error& e) {
    pending_.reset();
    return e.code().value() ? e.code().value() : EAGAIN;
  }
  return 0;
}

bool NameLookup::Pending() const {
  if (!pending_) return false;
  std::lock_guard lock(pending_->mutex);
  return static_cast<bool>(pending_->done);
}

void NameLookup::Cancel() {
  if (!pending_) return;
  {
    std::lock_guard lock(pending_->mutex);
    pending_->done.reset();
  }
  pending_.reset();
}

}  // namespace vexo
