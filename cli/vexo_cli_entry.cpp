// The program entry of vexo-cli: everything is RunCli, but the tracking run
// needs an event loop and Ctrl-C first.
#include <QCoreApplication>
#include <csignal>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/track_command.h"

namespace {

void OnInterrupt(int) {
  vexo::RequestTrackStop();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  // Only the tracking run has an event loop and stops at Ctrl-C; the other
  // commands end at Ctrl-C as any program does.
  std::optional<QCoreApplication> app;
  if (vexo::CliSubcommand(args) == "track") {
    app.emplace(argc, argv);
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
  }
  return vexo::RunCli(args, std::cin, std::cout, std::cerr);
}
