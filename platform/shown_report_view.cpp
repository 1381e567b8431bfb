#include "platform/shown_report_view.h"

#include <unistd.h>

#include <QCoreApplication>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/first_expose_view.h"

namespace vexo {

namespace {

double MonotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The process's start on the monotonic clock (boot time), from field 22 of
// /proc/self/stat, in clock ticks; -1 when unreadable.
double ProcessStartMs() {
  std::ifstream stat("/proc/self/stat");
  std::string text;
  std::getline(stat, text);
  // The command name may hold spaces and brackets: fields count from the last ')'.
  const auto close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(text.substr(close + 1));
  std::string field;
  for (int i = 3; i <= 22 && fields >> field; ++i) {
    if (i == 22) {
      const long ticks = ::sysconf(_SC_CLK_TCK);
      return ticks > 0 ? std::strtod(field.c_str(), nullptr) * 1000.0 / static_cast<double>(ticks)
                       : -1;
    }
  }
  return -1;
}

// A "Name:   123 kB" line of /proc/self/status, in kB; -1 when missing.
long StatusKb(std::string_view name) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.size() > name.size() && line.compare(0, name.size(), name) == 0 &&
        line[name.size()] == ':')
      return std::strtol(line.c_str() + name.size() + 1, nullptr, 10);
  }
  return -1;
}

void Report(std::ostream& out) {
  const double now = MonotonicMs();
  const double start = ProcessStartMs();
  std::ostringstream line;
  line << std::fixed << std::setprecision(3) << "shown monotonic_ms=" << now
       << " since_start_ms=" << (start < 0 ? -1.0 : now - start)
       << " vmhwm_kb=" << StatusKb("VmHWM") << " vmrss_kb=" << StatusKb("VmRSS") << "\n";
  out << line.str() << std::flush;
}

}  // namespace

bool ExitWhenShown(QWidget& window, std::ostream& out, std::function<void()> quit) {
  const char* value = std::getenv(kExitWhenShownVariable);
  if (!value || std::string_view(value) != "1") return false;
  AfterFirstExpose(window, [&out, quit = std::move(quit)] {
    Report(out);
    if (quit) quit();
  });
  return true;
}

bool ExitWhenShown(QWidget& window) {
  // Not quit(): that first asks every window to close, and a window may ask
  // the user.
  return ExitWhenShown(window, std::cout, [] { QCoreApplication::exit(0); });
}

}  // namespace vexo
