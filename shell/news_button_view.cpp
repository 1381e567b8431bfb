#include "shell/news_button_view.h"

#include "fetch/browser_agent.h"
#include "news/news1_view.h"
#include "news/news_sources.h"
#include "platform/ini_profile.h"
#include "shell/fvexo1.h"
#include "shell/fvexo1_view.h"

namespace vexo {

std::function<bool()> NewsWindowOpener(ChromeLink& link, TimerService& timers,
                                       const MainServices& main) {
  return [&link, &timers, folder = main.program_folder, config = main.config_file,
          browser = main.browser] {
    NewsServices s;
    s.timers = &timers;
    s.program_folder = folder;
    s.sources = ReadNewsSources(config);
    IniProfile ini(config);
    ini.Load();
    s.user_agent = ConfiguredUserAgent(ini);
    s.browser = browser;
    ShowNewsWindowModal(link.View(), s);
    return true;
  };
}

}  // namespace vexo
