#pragma once
// Tracking runs against the mock web: the window's timers on virtual time,
// the sockets and the parser workers on the real event loop, driven in turn.

#include <cstdlib>

#include "fetch/http_client.h"
#include "platform/connect_to.h"
#include "platform/tls_session.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/mock_web.h"
#include "tests/support/offline.h"
#include "tests/support/run_until.h"

namespace vexo {

// What a first run for kMockKeyword finds on the plain mock web, link and title.
inline const std::vector<std::pair<std::string, std::string>> kMockFirstRun = {
    {"http://www.gbsite.cn/index.htm", "中文新闻摘要"},
    {"http://news.sina.example.cn/c/2004-05-01/1.shtml", "中文软件市场持续增长"},
    {"http://www.zs.cn/a.htm", "中文信息网页和更多资料"},
    {"http://www.late.cn/p5.htm", "中文结果和它的说明"},
    {"http://www.gbsite.cn/news/2.htm", "本站提供中文分词服务"},
    {"http://www.gbsite.cn/news/3.htm", "第二块里的中文内容"},
    {"http://www.big5site.cn/b/1.htm", "Big5 page 中文 news"},
    {"http://www.big5meta.cn/b/2.htm", "Big5 meta 中文 story"},
    {"http://www.utf8site.cn/u/1.htm", "统一码的中文网页"},
    {"http://www.utf8meta.cn/u/2.htm", "声明在元标记里的中文网页"},
    {"http://www.refresh.cn/r/1.htm", "跳转以后的中文页面"},
};

// A run against one of the tests' mock webs, reached through the connect-to
// map, its certificate authority trusted.
class E2eRun : public ShellTest {
 protected:
  void UseWeb(const std::string& connect_to, const std::string& ca_file) {
    ::unsetenv("VEXO_CONNECT_TO");
    ReadConnectToEnvironment();
    SetConnectToMap(connect_to);
    ::unsetenv("VEXO_CA_FILE");
    ReadTlsCaFileEnvironment();
    SetTlsCaFile(ca_file);
  }
  ~E2eRun() override {
    main_.reset();
    ::vexo::testing::GoOffline();
    SetTlsCaFile("");
    ClearTlsSessionCache();
  }

  // A window whose stop and close cancel the real clients.
  TMain& OpenReal() {
    MainServices s = Services();
    s.cancel_client = nullptr;
    main_ = std::make_unique<TMain>(s);
    main_->FormCreate();
    main_->FormShow();
    main_->viewer.window.SetVisible(true);
    return *main_;
  }

  // One scheduler tick of virtual time, then a moment of real time for the
  // sockets and the workers. While nothing runs and no page waits, the run
  // only waits for its time (a host's spacing, the next pass): a longer step.
  void Step() {
    const bool idle = main_ && main_->runningParsers == 0 && main_->Clients().Running().empty();
    time_.AdvanceBy(idle ? 200 : 20);
    testing::RunFor(2);
  }
  // Steps until pred holds; false after max_steps.
  template <typename Pred>
  bool DriveUntil(Pred pred, int max_steps = 10000) {
    for (int i = 0; i < max_steps; ++i) {
      if (pred()) return true;
      Step();
    }
    return pred();
  }
  // Only the request that never ends is left, and no page waits.
  bool Quiet() const {
    if (!main_ || main_->runningParsers != 0) return false;
    for (HttpClient* c : main_->Clients().Running())
      if (!Contains(c->URL, "www.silent.cn")) return false;
    return main_->Store().FollowUp() && main_->Store().FollowUp()->empty();
  }
  // The open block as (link, title) pairs, titles in UTF-8 without the marks.
  std::vector<std::pair<std::string, std::string>> Targets() const {
    std::vector<std::pair<std::string, std::string>> out;
    const StringList* block = main_->Store().OpenBlock();
    if (!block) return out;
    const Bytes mark = Gb("…");
    for (std::size_t i = 1; i + 1 < block->size(); i += 2) {
      Bytes title = (*block)[i + 1];
      if (title.size() >= 2 * mark.size() && title.rfind(mark, 0) == 0) {
        title = title.substr(mark.size(), title.size() - 2 * mark.size());
      }
      out.emplace_back((*block)[i], GbToUtf8(title));
    }
    return out;
  }
};

class E2eTest : public E2eRun {
 protected:
  explicit E2eTest(testing::MockWeb::Scheme scheme = testing::MockWeb::Scheme::kHttp)
      : web_(0, scheme) {
    UseWeb(web_.ConnectToMap(), web_.CaFile());
  }
  // The window goes before the web its clients talk to.
  ~E2eTest() override { main_.reset(); }

  // The first pass and the follow-up fetches of the sites it found are over.
  bool SitesFetched() const {
    return web_.Hits("www.refresh.cn/next.htm") > 0 && web_.Hits("www.gbsite.cn/") > 0 &&
           web_.Hits("www.utf8meta.cn/") > 0 && web_.Hits("www.big5meta.cn/") > 0 && Quiet();
  }

  testing::MockWeb web_;
};

}  // namespace vexo
