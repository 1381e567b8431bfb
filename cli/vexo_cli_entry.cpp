// The program entry of vexo-cli: the tracking run needs an event loop and
// Ctrl-C, the page analysis the window model; everything else is RunCli.
#include <QCoreApplication>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/analyse_command.h"
#include "cli/cli_commands.h"
#include "cli/track_command.h"

namespace {

void OnInterrupt(int) {
  vexo::RequestTrackStop();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (!args.empty() && args[0] == "track") {
    QCoreApplication app(argc, argv);
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    return vexo::RunTrackCommand({args.begin() + 1, args.end()}, std::cout, std::cerr);
  }
  if (!args.empty() && args[0] == "analyse")
    return vexo::RunAnalyseCommand({args.begin() + 1, args.end()}, std::cin, std::cout, std::cerr);
  return vexo::RunCli(args, std::cin, std::cout, std::cerr);
}
