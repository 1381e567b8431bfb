#pragma once
// The news window `Tnews` as a model without a toolkit: the category buttons,
// the paging buttons, the headline grid `Stgd` and the abort timer `Tsys`,
// with the handlers that fetch the six portal pages of a category, list their
// headlines and star those seen before. A view mirrors the components and
// forwards clicks and keys; tests drive the handlers directly.
//
// The window keeps nothing between openings but two title files per category
// in the program folder's "Temp": "news" + n, the captions listed when the
// category was last left, and "news" + n + "2", that file as it stood when
// the category's previous fetch completed.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fetch/browser_agent.h"
#include "fetch/client_pool.h"
#include "fetch/host_courtesy.h"
#include "fetch/http_client.h"
#include "news/news_headlines.h"
#include "news/news_sources.h"
#include "news/string_grid.h"
#include "platform/browser.h"
#include "platform/components.h"
#include "platform/timer.h"

namespace vexo {

struct NewsServices {
  TimerService* timers = nullptr;  // none: time stands still
  std::string program_folder;      // ends with "/"
  NewsSources sources = DefaultNewsSources();
  Bytes user_agent = Bytes(kBrowserAgent);  // of the feed requests
  BrowserLauncher* browser = nullptr;       // none: opening only marks the row
};

// The abort timer's period: no fetch of the window outlives it by more.
inline constexpr int kNewsAbortMs = 16000;
inline constexpr int kCategories = 8;
inline constexpr int kSourcesPerCategory = 6;

class Tnews {
  VirtualTimerService idle_timers_;  // first, so that Tsys can be built on it
  NewsServices services_;

 public:
  explicit Tnews(NewsServices services);
  // Runs FormDestroy when the owner has not.
  ~Tnews();
  Tnews(const Tnews&) = delete;
  Tnews& operator=(const Tnews&) = delete;

  // ---- Handlers ----
  void FormCreate();
  void FormShow();
  void FormDestroy();
  // Spt<n>Click for n = 1-8: leave the category and start category n. Does
  // nothing while a fetch is running, as the buttons are disabled then.
  void CategoryClick(int n);
  void Spt1Click() { CategoryClick(1); }
  void Spt2Click() { CategoryClick(2); }
  void Spt3Click() { CategoryClick(3); }
  void Spt4Click() { CategoryClick(4); }
  void Spt5Click() { CategoryClick(5); }
  void Spt6Click() { CategoryClick(6); }
  void Spt7Click() { CategoryClick(7); }
  void Spt8Click() { CategoryClick(8); }
  void StgdDblClick();
  void StgdKeyPress(char key);
  void StgdDrawCell();
  void Spn1Click();
  void Spn2Click();
  void Spn3Click();
  void Spn4Click();
  void TsysTimer();

  // ---- Operations ----
  void StartCategory();
  void LeaveCategory();
  void NewsDocData(HttpClient& client, const char* piece, int length);
  void NewsRequestDone(HttpClient& client);

  // ---- Queries ----
  bool Fetching() const { return clients_.RunningCount() != 0; }
  std::size_t RunningClients() const { return clients_.RunningCount(); }
  // Category n's title files.
  std::string LastVisitFile(int n) const;
  std::string EarlierVisitFile(int n) const;
  SpeedButton* CategoryButton(int n);  // 1-8, else null
  SpeedButton* PagingButton(int n);    // 1-4, else null
  const NewsServices& Services() const { return services_; }

  // ---- Components ----
  FormWindow window{536, 383};
  Label caption;  // the window's title
  Label cap;      // category caption
  SpeedButton Spt1, Spt2, Spt3, Spt4, Spt5, Spt6, Spt7, Spt8;
  SpeedButton Spn1, Spn2, Spn3, Spn4;
  StringGrid Stgd;
  Timer Tsys;

  // ---- State ----
  std::uint8_t category = 1;

 private:
  void StartWaiting();
  // A feed is gathered whole and read when it has arrived.
  void ReadWhole(ClientPool::Request& request);
  void AddRows(const std::vector<Headline>& headlines);
  void FinishFetch();
  void OpenCurrentRow();
  void SetCategoryButtonsEnabled(bool on);
  void ShowPage(int top);
  void MarkSeen(const StringList& seen);
  bool HasFolder() const;
  std::string TempFolder() const;

  std::array<SpeedButton*, kCategories> categories_;
  std::array<SpeedButton*, 4> paging_;
  // The requests of the current fetch, each running until its end; none
  // between fetches.
  ClientPool clients_{[this](HttpClient& sender, RequestType, int) { NewsRequestDone(sender); },
                      [this](HttpClient& sender, const char* piece, int length) {
                        NewsDocData(sender, piece, length);
                      }};
  // The sources of the category (1-6) not started yet: at most two
  // connections to one host at a time, as everywhere in the program.
  std::vector<int> waiting_;
  HostCourtesy courtesy_{0};
  bool destroyed_ = false;
};

}  // namespace vexo
