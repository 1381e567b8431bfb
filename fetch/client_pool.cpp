#include "fetch/client_pool.h"

#include <algorithm>

#include "fetch/program_proxy.h"
#include "fetch/proxy_notice.h"

namespace vexo {

ClientPool::ClientPool(DoneHandler onDone, DataHandler onData)
    : onDone_(std::move(onDone)), onData_(std::move(onData)) {}

ClientPool::~ClientPool() = default;

ClientPool::Request& ClientPool::Make(const Bytes& url, int tag) {
  auto client = std::make_unique<HttpClient>();
  client->NoCache = true;
  client->MultiThreaded = true;
  client->Tag = tag;
  client->URL = url;
  client->Proxy = ProgramProxy();
  client->OnRequestDone = [this](HttpClient& sender, RequestType type, int error) {
    // Kept before the owner releases the client, and told after its own
    // status line, which a proxy's failure then replaces.
    const ProxyOutcome outcome = ProxyOutcomeOf(sender);
    if (onDone_) onDone_(sender, type, error);
    ReportProxyOutcome(outcome);
  };
  client->OnDocData = [this](HttpClient& sender, const char* piece, int length) {
    if (onData_) onData_(sender, piece, length);
  };
  Request request;
  request.client = client.get();
  request.address = url;
  request.tag = tag;
  request.running = true;
  requests_.push_back(Entry{std::move(client), std::move(request)});
  return requests_.back().request;
}

void ClientPool::Adopt(HttpClient* client) {
  Request request;
  request.client = client;
  request.running = true;
  requests_.push_back(Entry{nullptr, std::move(request)});
}

std::vector<ClientPool::Entry>::iterator ClientPool::Find(const HttpClient* client) {
  return std::find_if(requests_.begin(), requests_.end(),
                      [&](const Entry& e) { return e.request.client == client; });
}

std::vector<ClientPool::Entry>::const_iterator ClientPool::Find(const HttpClient* client) const {
  return std::find_if(requests_.begin(), requests_.end(),
                      [&](const Entry& e) { return e.request.client == client; });
}

ClientPool::Request* ClientPool::RequestOf(const HttpClient& client) {
  const auto it = Find(&client);
  return it == requests_.end() ? nullptr : &it->request;
}

const ClientPool::Request* ClientPool::RequestOf(const HttpClient& client) const {
  const auto it = Find(&client);
  return it == requests_.end() ? nullptr : &it->request;
}

const Bytes* ClientPool::StartAddress(const HttpClient& client) const {
  const Request* r = RequestOf(client);
  return r ? &r->address : nullptr;
}

std::vector<HttpClient*> ClientPool::Running() const {
  std::vector<HttpClient*> running;
  for (const Entry& e : requests_)
    if (e.request.running) running.push_back(e.request.client);
  return running;
}

std::size_t ClientPool::RunningCount() const {
  return static_cast<std::size_t>(std::count_if(requests_.begin(), requests_.end(),
                                                [](const Entry& e) { return e.request.running; }));
}

void ClientPool::StopRunning(const HttpClient* client) {
  const auto it = Find(client);
  if (it == requests_.end()) return;
  if (it->owned) {
    it->request.running = false;
  } else {
    requests_.erase(it);
  }
}

void ClientPool::StopAllRunning() {
  std::erase_if(requests_, [](const Entry& e) { return !e.owned; });
  for (Entry& e : requests_) e.request.running = false;
}

void ClientPool::Release(const HttpClient& client) {
  const auto it = Find(&client);
  if (it != requests_.end()) requests_.erase(it);
}

void ClientPool::ReleaseAll() {
  requests_.clear();
}

}  // namespace vexo
