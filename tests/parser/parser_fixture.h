#pragma once
// Shared pieces of the parser worker tests: a stand-in for the main window
// that serves both the result store and the worker, over a real ResultStore
// in a fresh program folder, and helpers to build GB2312 pages.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "parser/parser_host.h"
#include "parser/thrd1.h"
#include "platform/codepage.h"
#include "store/result_store.h"

namespace vexo::parser_test {

class FakeMainWindow : public StoreHost, public ParserHost {
 public:
  FakeMainWindow() = default;
  ~FakeMainWindow() override { StopParsers(); }

  // StoreHost
  bool Tracking() const override {
    ++trackingChecks;
    if (stopAfterChecks >= 0 && trackingChecks > stopAfterChecks) tracking = false;
    return tracking;
  }
  const std::string& ProgramFolder() const override { return folder; }

  // ParserHost
  const Bytes& Gjc3() const override { return gjc3; }
  void SetGjc3(const Bytes& text) override { gjc3 = text; }
  ResultStore& Store() override { return store; }
  void NewTargetStored(const Pthrd* sender) override {
    popups.push_back(sender);
    if (onPopUp) onPopUp();
  }
  int RunningParsers() const override { return runningParsers; }
  void SetRunningParsers(int count) override { runningParsers = count; }

  mutable bool tracking = true;
  // When >= 0: the flag reads clear from the (n+1)-th look on.
  long stopAfterChecks = -1;
  mutable long trackingChecks = 0;
  std::string folder;
  Bytes gjc3;
  std::vector<const Pthrd*> popups;
  std::function<void()> onPopUp;
  int runningParsers = 0;
  ResultStore store{*this};
};

// A target as the open block holds it: link and the title between its marks.
struct Target {
  Bytes link;
  Bytes title;
  bool operator==(const Target&) const = default;
};

inline void PrintTo(const Target& t, std::ostream* os) {
  *os << "{" << t.link << ", " << GbToUtf8(t.title) << "}";
}

class ParserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "vexo-parser-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    ::setenv("VEXO_HOME", root_.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    host.folder = root_ + "/";
    StartRun();
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  // A run as the tracking controller starts it.
  void StartRun() {
    host.store.CreateRunLists();
    host.store.SiteQueue()->push_back(Bytes(kPassMarker));
    host.store.EditOpenBlock()->push_back("1");
  }

  void Analyse(int tag, std::string_view page, std::string_view address, std::string_view expr,
               int charset = 0) {
    AnalysePageNow(charset, tag, page, address, expr, host);
  }

  std::vector<Target> Targets() const {
    std::vector<Target> out;
    const StringList& block = *host.store.OpenBlock();
    const Bytes mark = Gb("…");
    for (std::size_t i = 1; i + 1 < block.size(); i += 2) {
      Bytes title = block[i + 1];
      if (title.size() >= 2 * mark.size()) {
        title = title.substr(mark.size(), title.size() - 2 * mark.size());
      }
      out.push_back({block[i], title});
    }
    return out;
  }

  StringList& Queue() { return *host.store.SiteQueue(); }
  StringList& FollowUp() { return *host.store.FollowUp(); }

  std::string root_;
  FakeMainWindow host;
};

// GB2312 text of n bytes made of double-byte characters (n even).
inline Bytes ChineseFiller(std::size_t n) {
  static const Bytes kChars = Gb("今天天气很好我们一起去公园散步看见许多人在湖边钓鱼");
  Bytes out;
  while (out.size() < n) out += kChars.substr(out.size() % kChars.size(), 2);
  return out.substr(0, n);
}

}  // namespace vexo::parser_test
