#pragma once
// The news button of the main window opens the news window over it.

#include <functional>

namespace vexo {

class ChromeLink;
class TimerService;
struct MainServices;

// The news button's service for the main window (ChromeServices::show_news):
// opens the news window over the main window's view with the main window's
// program folder and browser, the portal addresses of its configuration file
// as they stand at that moment, and these timers.
std::function<bool()> NewsWindowOpener(ChromeLink& link, TimerService& timers,
                                       const MainServices& main);

}  // namespace vexo
