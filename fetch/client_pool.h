#pragma once
// The HTTP clients of one owner (the scheduler of a run, the news window).
// A client reports its end through OnRequestDone and copies that handler
// before calling it, so the owner releases it from inside the handler; what
// is still owned goes with the pool, and a destroyed client reports nothing
// more.

#include <functional>
#include <memory>
#include <vector>

#include "fetch/http_client.h"

namespace vexo {

class ClientPool {
 public:
  using DoneHandler = std::function<void(HttpClient&, RequestType, int)>;
  using DataHandler = std::function<void(HttpClient&, const char*, int)>;

  // What the pool keeps of one request besides its client.
  struct Request {
    Bytes address;  // the address the client was made for
    // A page read whole is gathered here instead of going on piece by piece.
    bool gathersWhole = false;
    Bytes body;
  };

  ClientPool(DoneHandler onDone, DataHandler onData);

  // A new client for `url` with `tag`, set up as every request of the program
  // is (no cache, name lookup off the main thread, the program's proxy) and
  // wired to the pool's handlers; the caller lists it as running and starts
  // it. A proxy's failure is reported (proxy_notice.h) after the handler.
  HttpClient& Make(const Bytes& url, int tag);
  // The address the client was made for; a relocation changes its URL.
  const Bytes* StartAddress(const HttpClient& client) const;
  // The client's request record; nullptr for a client of no pool's.
  Request* RequestOf(const HttpClient& client);
  // Destroys a client of the pool; others are left alone.
  void Release(const HttpClient& client);
  void ReleaseAll();
  std::size_t Size() const { return owned_.size(); }

 private:
  struct Owned {
    std::unique_ptr<HttpClient> client;
    Request request;
  };
  DoneHandler onDone_;
  DataHandler onData_;
  std::vector<Owned> owned_;
};

// Calls `cancel` on each client of `running` as it is now: a cancel may
// report at once and change the list.
void CancelEach(const std::vector<HttpClient*>& running,
                const std::function<void(HttpClient*)>& cancel);

}  // namespace vexo
