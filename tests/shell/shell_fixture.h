#pragma once
// A main window on temporary folders, a virtual clock and scripted message
// boxes, with helpers to read what it left on disk.

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/timer.h"
#include "shell/fvexo1.h"
#include "tests/shell/window_folders.h"
#include "tests/support/file_size_limit.h"

namespace vexo {

class ShellTest : public ::testing::Test, protected testing::WindowFolders {
 protected:
  ShellTest() {
    char cwd[4096];
    saved_cwd_ = ::getcwd(cwd, sizeof cwd) ? cwd : "/";
  }
  // Showing the window enters the program folder, which goes with the test.
  ~ShellTest() override {
    if (::chdir(saved_cwd_.c_str()) != 0) (void)::chdir("/");
  }

  MainServices Services() {
    MainServices s = FolderServices(app_, time_, boxes_);
    s.cancel_client = [this](HttpClient* c) { cancelled_.push_back(c); };
    return s;
  }

  // A created window, as the program entry leaves it.
  TMain& Open() {
    main_ = std::make_unique<TMain>(Services());
    main_->FormCreate();
    main_->FormShow();
    return *main_;
  }

  // Types keywords and presses Track.
  TMain& StartWith(const std::string& utf8_keywords) {
    TMain& m = main_ ? *main_ : Open();
    m.gjc.SetText(Gb(utf8_keywords));
    m.Spt1Click();
    return m;
  }

  StringList Lines(const std::string& path) const {
    StringList lines;
    LoadLines(path, lines);
    return lines;
  }
  Bytes Content(const std::string& path) const {
    Bytes b;
    ReadFileBytes(path, b);
    return b;
  }
  void Put(const std::string& path, const StringList& lines) {
    const auto slash = path.rfind('/');
    CreateDir(path.substr(0, slash));
    ASSERT_TRUE(SaveLines(path, lines));
  }
  void PutBytes(const std::string& path, std::string_view bytes) {
    ASSERT_TRUE(WriteFileAtomic(path, bytes));
  }

  // Runs f while every file write beyond `bytes` fails, as on a full disk.
  template <typename F>
  void WithFileSizeLimit(rlim_t bytes, F f) {
    testing::FileSizeLimit limit(bytes);
    f();
  }

  std::string saved_cwd_;
  Application app_;
  VirtualTimerService time_;
  ScriptedMessageBoxes boxes_;
  std::vector<HttpClient*> cancelled_;
  std::unique_ptr<TMain> main_;
};

// Stand-ins for running clients: the window only stores and cancels them.
inline HttpClient* FakeClient(int n) {
  static char storage[16];
  return reinterpret_cast<HttpClient*>(&storage[n % 16]);
}

}  // namespace vexo
