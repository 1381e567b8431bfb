#pragma once
// The requests of one owner (the scheduler of a run, the news window), one
// record each: the client, what it was started with, what its pieces have
// told so far. A client reports its end through OnRequestDone and copies that
// handler before calling it, so the owner releases it from inside the
// handler; what is still owned goes with the pool, and a destroyed client
// reports nothing more.
//
// A request is running from its start until the owner takes it out of the
// running list (at its end, or when a stop gives up on it); its record stays
// until the owner releases it, as its end may still come.

#include <functional>
#include <memory>
#include <vector>

#include "fetch/http_client.h"
#include "parser/page_codes.h"

namespace vexo {

struct Source;

class ClientPool {
 public:
  using DoneHandler = std::function<void(HttpClient&, RequestType, int)>;
  using DataHandler = std::function<void(HttpClient&, const char*, int)>;

  // One request.
  struct Request {
    HttpClient* client = nullptr;
    Bytes address;  // the address the client was made for; a relocation changes its target
    int tag = 0;    // the list the address came from (parser/page_codes.h)
    // The source the address belongs to, where the owner reads one; the
    // owner's sources outlive its requests.
    const Source* source = nullptr;
    // What the pieces said so far: GB until one declares UTF-8 or Big5, which
    // then holds for the rest of the page.
    int charset = kCharsetGb;
    // A page read whole is gathered here instead of going on piece by piece.
    bool gathersWhole = false;
    Bytes body;
    bool running = false;
  };

  ClientPool(DoneHandler onDone, DataHandler onData);
  ~ClientPool();
  ClientPool(const ClientPool&) = delete;
  ClientPool& operator=(const ClientPool&) = delete;

  // A new running request for `url` with `tag`, its client set up as every
  // request of the program is (no cache, name lookup off the main thread, the
  // program's proxy) and wired to the pool's handlers; the caller starts it.
  // A proxy's failure is reported (proxy_notice.h) after the handler.
  Request& Make(const Bytes& url, int tag);
  // Lists a client made elsewhere as running, as a stand-in: the pool neither
  // owns it nor looks into it, and forgets it once it stops running.
  void Adopt(HttpClient* client);

  // The request of a client; nullptr for a client of no pool's.
  Request* RequestOf(const HttpClient& client);
  const Request* RequestOf(const HttpClient& client) const;
  // The address the client was made for.
  const Bytes* StartAddress(const HttpClient& client) const;

  // The running clients, oldest first, as they are now: a cancel of one may
  // report at once and change the list.
  std::vector<HttpClient*> Running() const;
  std::size_t RunningCount() const;
  // Out of the running list; the record stays until released.
  void StopRunning(const HttpClient* client);
  void StopAllRunning();

  // Destroys a client of the pool with its record; others are left alone.
  void Release(const HttpClient& client);
  void ReleaseAll();
  std::size_t Size() const { return requests_.size(); }

 private:
  struct Entry {
    std::unique_ptr<HttpClient> owned;  // empty for an adopted stand-in
    Request request;
  };
  std::vector<Entry>::iterator Find(const HttpClient* client);
  std::vector<Entry>::const_iterator Find(const HttpClient* client) const;

  DoneHandler onDone_;
  DataHandler onData_;
  std::vector<Entry> requests_;
};

}  // namespace vexo
