// vexo-mockweb: the tests' mock web as a program, for trying Vexo without the
// internet. Prints the connect-to map on its first line, then serves until
// killed. With --https the sites are served over TLS (plain addresses answer
// with a redirect); the certificate authority made at start is written to
// PATH (--ca-file) or to a temporary file, whose name is the second line.
// With --today it serves the mock of today's web instead (https only, for the
// current sources and the keyword 手机).
// Usage: vexo-mockweb [--https | --today] [--ca-file PATH] [DELAY_MS]
#include <unistd.h>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "tests/support/mock_today.h"
#include "tests/support/mock_web.h"

namespace {

int quit_pipe[2] = {-1, -1};

void OnSignal(int) {
  const char c = 'q';
  [[maybe_unused]] const ssize_t n = ::write(quit_pipe[1], &c, 1);
}

int Usage() {
  std::cerr << "usage: vexo-mockweb [--https | --today] [--ca-file PATH] [DELAY_MS]\n";
  return 2;
}

// Copies the authority's certificate where the caller asked for it.
bool CopyCa(const std::string& from, const std::string& to) {
  if (to.empty()) return true;
  std::error_code ec;
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec);
  if (ec) std::cerr << "vexo-mockweb: cannot write " << to << ": " << ec.message() << "\n";
  return !ec;
}

// Serves until a signal ends the event loop, so the temporary CA file is removed.
int Serve(const std::string& map, const std::string& ca_file) {
  if (::pipe(quit_pipe) != 0) return 1;
  QSocketNotifier quit(quit_pipe[0], QSocketNotifier::Read);
  QObject::connect(&quit, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGINT, OnSignal);
  std::cout << map << "\n";
  if (!ca_file.empty()) std::cout << ca_file << "\n";
  std::cout << std::flush;
  return QCoreApplication::exec();
}

int ServeToday(const std::string& ca_file, long delay) {
  vexo::testing::MockToday web;
  if (delay > 0 && delay < 60000) web.SetAnswerDelayMs(static_cast<int>(delay));
  if (!CopyCa(web.CaFile(), ca_file)) return 1;
  return Serve(web.ConnectToMap(), ca_file.empty() ? web.CaFile() : ca_file);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  bool https = false;
  bool today = false;
  std::string ca_file;
  long delay = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--https") {
      https = true;
    } else if (arg == "--today") {
      today = true;
    } else if (arg == "--ca-file" && i + 1 < argc) {
      ca_file = argv[++i];
    } else if (!arg.empty() && arg[0] != '-') {
      delay = std::strtol(arg.c_str(), nullptr, 10);
    } else {
      return Usage();
    }
  }
  if ((!ca_file.empty() && !https && !today) || (https && today)) return Usage();
  if (today) return ServeToday(ca_file, delay);

  using Scheme = vexo::testing::MockWeb::Scheme;
  vexo::testing::MockWeb web(delay > 0 && delay < 60000 ? static_cast<int>(delay) : 0,
                             https ? Scheme::kHttps : Scheme::kHttp);
  if (web.Port() == 0 || (https && web.TlsPort() == 0)) {
    std::cerr << "vexo-mockweb: no port on 127.0.0.1\n";
    return 1;
  }
  if (!CopyCa(web.CaFile(), ca_file)) return 1;
  return Serve(web.ConnectToMap(), !https            ? std::string()
                                   : ca_file.empty() ? web.CaFile()
                                                     : ca_file);
}
