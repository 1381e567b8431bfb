#pragma once
// A local HTTP/1.0 server for the benchmarks, on threads of its own so that
// its work does not share the event loop of the clients measured: each worker
// accepts, reads the request header, answers with what the handler returns
// and closes. Over TLS its certificate comes from one test authority shared
// by every server of the run, which the clients trust.

#include <openssl/ssl.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace vexo::bench {

// A socket listening on 127.0.0.1 with the given queue; port receives the
// port the system chose.
int ListenOn127(std::uint16_t& port, int backlog);

class ThreadedServer {
 public:
  // Receives the request's header; returns the whole response. Called on the
  // workers, several at once.
  using Handler = std::function<std::string(const std::string& request)>;

  // names: the host names (or dotted addresses) the certificate holds; none
  // for plain http.
  ThreadedServer(Handler handler, const std::vector<std::string>& names, int workers);
  ~ThreadedServer();
  ThreadedServer(const ThreadedServer&) = delete;
  ThreadedServer& operator=(const ThreadedServer&) = delete;

  std::uint16_t Port() const { return port_; }
  // The authority's certificate (PEM), shared by every server.
  static const std::string& CaFile();
  // TLS handshakes that resumed a session.
  int Resumed() const { return resumed_; }
  // Bytes written to the connections, TLS records and handshakes included:
  // what the clients received.
  long long WireBytes() const { return wire_bytes_; }
  // Bytes of the responses themselves, before TLS.
  long long ResponseBytes() const { return response_bytes_; }
  // Connections answered and closed; their bytes are counted above.
  int Answered() const { return answered_; }

 private:
  void Serve();
  void Answer(int fd);

  Handler handler_;
  SSL_CTX* ctx_ = nullptr;
  int fd_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<int> resumed_{0};
  std::atomic<long long> wire_bytes_{0};
  std::atomic<long long> response_bytes_{0};
  std::atomic<int> answered_{0};
  std::vector<std::thread> workers_;
};

}  // namespace vexo::bench
