// vexo-proxy: the tests' proxy as a program, for trying Vexo through a proxy
// without the internet. Destinations go through the connect-to map of its own
// environment (VEXO_CONNECT_TO, the mock web's map), then the name lookup.
// Prints the proxy's address on its first line, then serves until killed.
// Usage: vexo-proxy [--socks5] [--user NAME --password WORD]
#include <csignal>
#include <iostream>
#include <string>

#include "tests/support/test_proxy.h"

namespace {

int Usage() {
  std::cerr << "usage: vexo-proxy [--socks5] [--user NAME --password WORD]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using vexo::testing::TestProxy;
  TestProxy::Kind kind = TestProxy::Kind::kHttp;
  std::string user, password;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--socks5") {
      kind = TestProxy::Kind::kSocks5;
    } else if (arg == "--user" && i + 1 < argc) {
      user = argv[++i];
    } else if (arg == "--password" && i + 1 < argc) {
      password = argv[++i];
    } else {
      return Usage();
    }
  }
  // The proxy's threads inherit the blocked signals; this thread waits for them.
  sigset_t quit;
  sigemptyset(&quit);
  sigaddset(&quit, SIGINT);
  sigaddset(&quit, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &quit, nullptr);
  TestProxy proxy(kind, vexo::testing::ResolveThroughConnectTo, user, password);
  if (proxy.Port() == 0) {
    std::cerr << "vexo-proxy: no port on 127.0.0.1\n";
    return 1;
  }
  std::cout << proxy.Url() << std::endl;
  int signal = 0;
  sigwait(&quit, &signal);
  return 0;
}
