#include "fetch/client_pool.h"

#include <algorithm>

#include "fetch/program_proxy.h"
#include "fetch/proxy_notice.h"

namespace vexo {

ClientPool::ClientPool(DoneHandler onDone, DataHandler onData)
    : onDone_(std::move(onDone)), onData_(std::move(onData)) {}

HttpClient& ClientPool::Make(const Bytes& url, int tag) {
  owned_.push_back(Owned{std::make_unique<HttpClient>(), Request{url, false, {}}});
  HttpClient& client = *owned_.back().client;
  client.NoCache = true;
  client.MultiThreaded = true;
  client.Tag = tag;
  client.URL = url;
  client.Proxy = ProgramProxy();
  client.OnRequestDone = [this](HttpClient& sender, RequestType type, int error) {
    // Kept before the owner releases the client, and told after its own
    // status line, which a proxy's failure then replaces.
    const ProxyOutcome outcome = ProxyOutcomeOf(sender);
    if (onDone_) onDone_(sender, type, error);
    ReportProxyOutcome(outcome);
  };
  client.OnDocData = [this](HttpClient& sender, const char* piece, int length) {
    if (onData_) onData_(sender, piece, length);
  };
  return client;
}

const Bytes* ClientPool::StartAddress(const HttpClient& client) const {
  for (const Owned& o : owned_)
    if (o.client.get() == &client) return &o.request.address;
  return nullptr;
}

ClientPool::Request* ClientPool::RequestOf(const HttpClient& client) {
  for (Owned& o : owned_)
    if (o.client.get() == &client) return &o.request;
  return nullptr;
}

void ClientPool::Release(const HttpClient& client) {
  const auto it = std::find_if(owned_.begin(), owned_.end(),
                               [&](const Owned& o) { return o.client.get() == &client; });
  if (it != owned_.end()) owned_.erase(it);
}

void ClientPool::ReleaseAll() {
  owned_.clear();
}

void CancelEach(const std::vector<HttpClient*>& running,
                const std::function<void(HttpClient*)>& cancel) {
  const std::vector<HttpClient*> snapshot = running;
  for (HttpClient* client : snapshot) cancel(client);
}

}  // namespace vexo
