#pragma once
// Shared pieces of the export tests: a fresh program folder and output folder
// per test, a run laid out as block files plus the open block, and readers of
// the files written.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/files.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/sample_targets.h"
#include "viewer/export.h"

namespace vexo::export_test {

using testing::FileSizeLimit;
using testing::Link;
using testing::Title;
using testing::TitleLine;

class ExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "vexo-export-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    ::setenv("VEXO_HOME", root_.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    program_ = root_ + "/prog/";
    out_ = root_ + "/out";
    std::filesystem::create_directories(program_ + "Temp");
    std::filesystem::create_directories(out_);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  // A run of `count` targets whose first block is `first`: full blocks of
  // 200 saved as block files, the rest in the open block. Targets in
  // `marked` (1-based) have the "*" mark. links/titles override the defaults.
  void LayOutRun(int count, int first = 1, const std::set<int>& marked = {}) {
    open_block_ = {IntToText(first + count / 200)};
    StringList block{IntToText(first)};
    for (int i = 1; i <= count; ++i) {
      const Bytes link = LinkOf(i);
      block.push_back(marked.count(i) ? "*" + link : link);
      block.push_back(TitleLineOf(i));
      if (i % 200 == 0) {
        ASSERT_TRUE(SaveLines(BlockPath(TextToInt(block[0])), block));
        block = {IntToText(TextToInt(block[0]) + 1)};
      }
    }
    open_block_ = block;
    sum1_ = count;
  }

  Bytes LinkOf(int i) const {
    const auto it = links_.find(i);
    return it == links_.end() ? Link(i) : it->second;
  }
  Bytes TitleLineOf(int i) const {
    const auto it = titles_.find(i);
    return it == titles_.end() ? TitleLine(i) : Gb("…") + it->second + Gb("…");
  }

  std::string BlockPath(long long n) const { return program_ + "Temp/" + IntToText(n) + ".tmp"; }

  ExportRequest Request(ExportKind kind, const std::string& bare) const {
    ExportRequest r;
    r.program_folder = program_;
    r.last_block = TextToInt(open_block_[0]);
    r.first_block = r.last_block - (sum1_ - static_cast<long long>(open_block_.size() / 2)) / 200;
    r.open_block = &open_block_;
    r.sum1 = sum1_;
    r.keywords = keywords_;
    r.expression = expression_;
    r.folder = out_;
    r.bare_name = bare;
    r.kind = kind;
    return r;
  }

  ExportResult Export(ExportKind kind, const std::string& bare = "") {
    const std::string name =
        bare.empty() ? (kind == ExportKind::Html ? "back.htm" : "back.txt") : bare;
    return WriteExport(Request(kind, name));
  }

  std::string Out(const std::string& name) const { return out_ + "/" + name; }
  Bytes Read(const std::string& name) const {
    Bytes data;
    ReadFileBytes(Out(name), data);
    return data;
  }
  // Every name in the output folder, sorted.
  std::vector<std::string> OutNames() const {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(out_)) {
      names.insert(e.path().filename().string());
    }
    return {names.begin(), names.end()};
  }

  std::string root_;
  std::string program_;
  std::string out_;
  StringList open_block_;
  long long sum1_ = 0;
  Bytes keywords_ = Gb("新闻");
  Bytes expression_;
  std::map<int, Bytes> links_;   // raw link by target number
  std::map<int, Bytes> titles_;  // raw title (without the "…" marks)
};

// The row numbers of a page, in order: the decimal before each "、".
inline std::vector<long long> RowNumbers(const Bytes& page) {
  std::vector<long long> numbers;
  const Bytes sign = Gb("、");
  const Bytes marker = "\" target=\"_blank\">";
  std::size_t at = 0;
  while ((at = page.find(marker, at)) != Bytes::npos) {
    at += marker.size();
    const std::size_t end = page.find(sign, at);
    if (end == Bytes::npos) break;
    long long n = 0;
    if (TryTextToInt(page.substr(at, end - at), n)) numbers.push_back(n);
  }
  return numbers;
}

// The lines of a text file (split at CR LF).
inline std::vector<Bytes> TextRows(const Bytes& data) {
  std::vector<Bytes> rows;
  std::size_t at = 0;
  while (at < data.size()) {
    const std::size_t end = data.find("\r\n", at);
    if (end == Bytes::npos) {
      rows.push_back(data.substr(at));
      break;
    }
    rows.push_back(data.substr(at, end - at));
    at = end + 2;
  }
  return rows;
}

}  // namespace vexo::export_test
