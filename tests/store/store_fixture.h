#pragma once
// Shared pieces of the result store tests: a stand-in for the main window, a
// fresh program folder per test, and helpers to lay out and read back files.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "platform/files.h"
#include "store/result_store.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/sample_targets.h"

namespace vexo::store_test {

// The main window as the store sees it: the folder, the tracking flag, and
// the count as the window shows it (the number of the last target told).
class FakeHost : public StoreHost {
 public:
  bool tracking = true;
  std::string folder;
  Bytes sum1 = "0";

  bool Tracking() const override { return tracking; }
  const std::string& ProgramFolder() const override { return folder; }
  void TargetAppended(long long number, std::string_view, std::string_view) override {
    sum1 = IntToText(number);
  }
};

using testing::FileSizeLimit;
using testing::Link;
using testing::Title;
using testing::TitleLine;

// A saved block: its number, then link/title pairs for targets first..last.
inline StringList BlockLines(int number, int first, int last) {
  StringList lines{IntToText(number)};
  for (int i = first; i <= last; ++i) {
    lines.push_back(Link(i));
    lines.push_back(TitleLine(i));
  }
  return lines;
}

// History lines of titles first..last.
inline StringList TitleLines(int first, int last) {
  StringList lines;
  for (int i = first; i <= last; ++i) lines.push_back(TitleLine(i));
  return lines;
}

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "vexo-store-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    ::setenv("VEXO_HOME", root_.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    host.folder = root_ + "/";
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  // A run as the tracking controller starts it: fresh lists, the pass marker
  // in the site queue, and the first block number as line 0.
  void StartRun(int firstBlock = 1) {
    store.CreateRunLists();
    host.sum1 = "0";
    store.SiteQueue()->push_back(Bytes(kPassMarker));
    store.EditOpenBlock()->push_back(IntToText(firstBlock));
  }

  // Changes by other writers reach the history's index from the event loop.
  static void TurnEventLoop() { QCoreApplication::processEvents(); }

  std::string Temp() const { return root_ + "/Temp"; }
  std::string Block(int n) const { return Temp() + "/" + std::to_string(n) + ".tmp"; }

  void MakeTemp() const { std::filesystem::create_directories(Temp()); }

  static void WriteRaw(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << bytes;
  }
  static std::string ReadRaw(const std::string& path) {
    Bytes out;
    ReadFileBytes(path, out);
    return out;
  }
  static StringList ReadLines(const std::string& path) {
    StringList lines;
    LoadLines(path, lines);
    return lines;
  }

  void WriteBlock(int n, int first, int last) const {
    MakeTemp();
    WriteRaw(Block(n), JoinLines(BlockLines(n, first, last)));
  }

  std::string root_;
  FakeHost host;
  ResultStore store{host};
};

}  // namespace vexo::store_test
