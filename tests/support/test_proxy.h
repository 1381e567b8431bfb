#pragma once
// A proxy on 127.0.0.1 for the tests and the demonstration: HTTP (forward
// and CONNECT) or SOCKS5 (RFC 1928, with RFC 1929 credentials when given).
// Each connection runs on a thread of its own with blocking sockets, so the
// proxy goes on while the test's loop runs the client. Destinations are found
// through a resolver; one it does not know is refused (502, SOCKS code 4).

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace vexo::testing {

struct ProxyDestination {
  std::string host;  // dotted address or name to connect to
  int port = 0;
};

class TestProxy {
 public:
  enum class Kind { kHttp, kSocks5 };
  using Resolver =
      std::function<std::optional<ProxyDestination>(const std::string& host, int port)>;

  // Empty user: no credentials asked for.
  TestProxy(Kind kind, Resolver resolve, std::string user = {}, std::string password = {});
  // Stops accepting, breaks every connection and waits for its threads.
  ~TestProxy();
  TestProxy(const TestProxy&) = delete;
  TestProxy& operator=(const TestProxy&) = delete;

  std::uint16_t Port() const { return port_; }
  // "http://127.0.0.1:<port>" or "socks5://127.0.0.1:<port>".
  std::string Url() const;

  // What each connection asked for, in order: "CONNECT host:port",
  // "GET http://...", "SOCKS name:port" or "SOCKS 1.2.3.4:port".
  std::vector<std::string> Requests() const;
  // The head of each HTTP request as received (credentials included).
  std::vector<std::string> Heads() const;

 private:
  void AcceptLoop();
  void Serve(int client);
  void ServeHttp(int client);
  void ServeSocks(int client);
  bool SocksGreeting(int client);
  std::optional<ProxyDestination> SocksDestination(int client);
  // A connection to where host:port resolves, or -1.
  int Dial(const std::string& host, int port);
  void Relay(int a, int b, std::string to_b);
  // Reads exactly n bytes (or up to a head's end, when n is 0).
  bool ReadExactly(int fd, std::string& out, std::size_t n);
  bool ReadHead(int fd, std::string& head, std::string& rest);
  bool Wait(int fd);
  void Track(int fd, bool add);
  void Note(std::string request, std::string head = {});

  Kind kind_;
  Resolver resolve_;
  std::string user_, password_;
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  std::uint16_t port_ = 0;
  std::thread acceptor_;
  mutable std::mutex mutex_;
  std::vector<std::thread> workers_;
  std::set<int> open_;
  std::vector<std::string> requests_, heads_;
};

// The resolver of the connect-to map (platform/connect_to.h), then the
// system's name lookup: what the demonstration's proxy uses.
std::optional<ProxyDestination> ResolveThroughConnectTo(const std::string& host, int port);

}  // namespace vexo::testing
