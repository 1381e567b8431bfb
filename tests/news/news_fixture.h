#pragma once
// The news window against mock portals: every portal host is sent to one
// local server through the connect-to map, the abort timer runs on virtual
// time, the program folder is a fresh temporary folder and the browser only
// records.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "news/news1.h"
#include "platform/codepage.h"
#include "platform/connect_to.h"
#include "platform/files.h"
#include "tests/support/mock_portal.h"
#include "tests/support/offline.h"
#include "tests/support/run_until.h"
#include "texts/texts.h"

namespace vexo {

class NewsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/vexo-news-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    folder_ = root_ + "/";
    ::setenv("VEXO_HOME", root_.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    SetConnectToMap(portal_.ConnectToEntry());
  }
  void TearDown() override {
    window_.reset();
    ::vexo::testing::GoOffline();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  NewsServices Services() {
    NewsServices s;
    s.timers = &timers_;
    s.program_folder = folder_;
    s.browser = &browser_;
    return s;
  }

  // Source i (1-6) of category n.
  static Bytes Source(int n, int i) { return DefaultNewsSources().At(n, i); }

  // Every source of category n answers with these anchors.
  void ServeCategory(int n, const std::vector<std::pair<Bytes, Bytes>>& anchors) {
    for (int i = 1; i <= kSourcesPerCategory; ++i) {
      std::string body = "<html><body>";
      for (const auto& [link, caption] : anchors)
        body += testing::MockPortal::Anchor(link, caption);
      portal_.SetPage(Source(n, i), body + "</body></html>");
    }
  }

  void SetSilent(int n, int i) {
    testing::PortalPage page;
    page.silent = true;
    portal_.SetPage(Source(n, i), page);
  }

  Tnews& Open() {
    window_ = std::make_unique<Tnews>(Services());
    window_->FormCreate();
    window_->FormShow();
    return *window_;
  }

  bool WaitIdle() {
    return testing::RunUntil([this] { return window_ && !window_->Fetching(); });
  }
  // Every source but the silent ones has answered.
  bool WaitRequests(std::size_t n) {
    return testing::RunUntil([&] { return portal_.Requests().size() >= n; });
  }

  bool WaitRunning(std::size_t n) {
    return testing::RunUntil([&] { return window_ && window_->RunningClients() == n; });
  }

  std::string FileText(const std::string& path) {
    Bytes b;
    ReadFileBytes(path, b);
    return b;
  }

  void WriteTitles(const std::string& path, const StringList& lines) {
    ASSERT_TRUE(CreateDir(folder_ + "Temp"));
    ASSERT_TRUE(SaveLines(path, lines));
  }

  // Row captions from column 1, headline rows only.
  StringList Captions() const {
    StringList out;
    for (int r = 0; r + 1 < window_->Stgd.RowCount(); ++r) out.push_back(window_->Stgd.Cell(1, r));
    return out;
  }

  const Bytes& Star() const { return GetNewsTexts().star; }

  std::string root_;
  std::string folder_;
  VirtualTimerService timers_;
  RecordingBrowser browser_;
  testing::MockPortal portal_;
  std::unique_ptr<Tnews> window_;
};

}  // namespace vexo
