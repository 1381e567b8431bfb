// Without a stand-in, the track button cancels real clients through their
// own Cancel: a request to a local server that never answers ends at once.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>

#include "fetch/http_client.h"
#include "tests/shell/shell_fixture.h"

namespace vexo {
namespace {

// A listening socket on 127.0.0.1 that accepts nothing and answers nothing.
class SilentServer {
 public:
  SilentServer() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
        ::listen(fd_, 4) == 0 && ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
      port_ = ntohs(addr.sin_port);
  }
  ~SilentServer() {
    if (fd_ >= 0) ::close(fd_);
  }
  int Port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

using ClientCancelTest = ShellTest;

TEST_F(ClientCancelTest, StopCancelsARealRequestInProgress) {
  SilentServer server;
  ASSERT_GT(server.Port(), 0);
  MainServices s = Services();
  s.cancel_client = nullptr;
  main_ = std::make_unique<TMain>(s);
  main_->FormCreate();
  StartWith("k");

  HttpClient client;
  client.URL = "http://127.0.0.1:" + std::to_string(server.Port()) + "/";
  bool done = false;
  client.OnRequestDone = [&](HttpClient&, RequestType, int) { done = true; };
  client.StartGet();
  main_->Clients().Adopt(&client);

  main_->Spt1Click();
  EXPECT_TRUE(main_->Clients().Running().empty());
  QElapsedTimer clock;
  clock.start();
  while (!done && clock.elapsed() < 3000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_TRUE(done);
  EXPECT_EQ(client.StatusCode(), 908);
}

}  // namespace
}  // namespace vexo
