#pragma once
// A scriptable HTTP server on 127.0.0.1 for tests, driven by the calling
// thread's Qt event loop. For every connection a handler receives what the
// client sent and returns a script: bytes to send (split and paced at will),
// pauses, and how the connection ends. Everything received is recorded.

#include <QSocketNotifier>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vexo::testing {

class Script {
 public:
  struct Step {
    enum Kind { kSend, kPause, kClose, kReset };
    Kind kind;
    std::string bytes;
    int ms = 0;
  };

  // Bytes handed to the connection as one write.
  Script& Send(std::string_view bytes);
  // The bytes in writes of at most `piece` bytes, with a pause between them.
  Script& SendInPieces(std::string_view bytes, std::size_t piece, int pause_ms = 0);
  Script& Pause(int ms);
  // Ends the connection in order once everything is sent.
  Script& Close();
  // Ends it with a reset, dropping what is not yet sent.
  Script& Reset();
  // A script without Close or Reset keeps the connection open, silent.

  std::vector<Step> steps;
};

// The usual reply: a status line, the given header lines, an empty line and
// the body, then a close.
Script Reply(std::string_view status_line, std::string_view headers, std::string_view body);

class TestHttpServer {
 public:
  using Handler = std::function<Script(const std::string& request)>;
  enum class Start {
    kAfterRequest,  // the handler runs once the request's header has arrived
    kOnAccept       // the handler runs at once, with an empty request
  };

  explicit TestHttpServer(Handler handler, Start start = Start::kAfterRequest);
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  std::uint16_t Port() const { return port_; }
  // "http://127.0.0.1:<port>" + path.
  std::string Url(std::string_view path = "/") const;

  int Accepted() const { return static_cast<int>(conns_.size()); }
  // Everything each connection received so far, in the order they were accepted.
  std::vector<std::string> Received() const;
  // Connections whose client has closed (or reset) them.
  int ClosedByClient() const;

 private:
  struct Conn;
  void Accept();
  void Read(Conn& c);
  void Write(Conn& c);
  void RunSteps(Conn& c);
  void Finish(Conn& c, bool reset);

  Handler handler_;
  Start start_;
  int fd_ = -1;
  std::uint16_t port_ = 0;
  std::unique_ptr<QSocketNotifier> accept_;
  std::vector<std::unique_ptr<Conn>> conns_;
};

// A port on 127.0.0.1 with nothing listening: a socket is bound to it (so no
// one else takes it) but never listens, so connecting is refused.
class ClosedPort {
 public:
  ClosedPort();
  ~ClosedPort();
  std::uint16_t Port() const { return port_; }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
};

// A listener on 127.0.0.1 that never accepts, with its queue full, so that a
// further connect stays pending.
class NeverAccepting {
 public:
  NeverAccepting();
  ~NeverAccepting();
  std::uint16_t Port() const { return port_; }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
  std::vector<int> fillers_;
};

}  // namespace vexo::testing
