// The browser launcher: which addresses it passes on and how, the command it
// builds from $BROWSER, and a real detached start of a stand-in browser that
// records its argument vector.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <QTemporaryDir>
#include <QTimer>

#include <string>
#include <vector>

#include "platform/browser.h"
#include "platform/files.h"
#include "tests/support/run_until.h"

namespace vexo {
namespace {

struct AddressCase {
  const char* name;
  std::string in;
  std::string out;  // empty: refused
};

class Addresses : public ::testing::TestWithParam<AddressCase> {};

TEST_P(Addresses, AreWebAddressesOnlyWithUnsafeBytesEncoded) {
  EXPECT_EQ(BrowserAddress(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Addresses,
    ::testing::Values(
        AddressCase{"http", "http://a.example/x?q=1", "http://a.example/x?q=1"},
        AddressCase{"https_upper", "HTTPS://a.example/", "HTTPS://a.example/"},
        AddressCase{"blanks", "http://a.example/a b\tc", "http://a.example/a%20b%09c"},
        AddressCase{"shell_bytes", "http://a/;$(id)`id`'\"&|<>", "http://a/;$(id)`id`'\"&|<>"},
        AddressCase{"gb_bytes", "http://a/\xD0\xC2", "http://a/%D0%C2"},
        AddressCase{"control", std::string("http://a/\x01\x7F\n", 12), "http://a/%01%7F%0A"},
        AddressCase{"leading_dash", "-http://a/", ""}, AddressCase{"option", "--version", ""},
        AddressCase{"file", "file:///etc/passwd", ""},
        AddressCase{"javascript", "javascript:alert(1)", ""},
        AddressCase{"path", "/usr/bin/xterm", ""}, AddressCase{"prefix_only", "http:/", ""},
        AddressCase{"empty", "", ""}),
    [](const auto& test) { return std::string(test.param.name); });

struct CommandCase {
  const char* name;
  std::string env;
  std::vector<std::string> argv;
};

class Commands : public ::testing::TestWithParam<CommandCase> {};

TEST_P(Commands, KeepTheTargetAsOneElement) {
  EXPECT_EQ(BrowserCommand(GetParam().env, "http://t/a b"), GetParam().argv);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Commands,
    ::testing::Values(
        CommandCase{"none", "", {"xdg-open", "http://t/a b"}},
        CommandCase{"blank", "  \t", {"xdg-open", "http://t/a b"}},
        CommandCase{"one_program", "firefox", {"firefox", "http://t/a b"}},
        CommandCase{"with_options", "firefox  -new-tab", {"firefox", "-new-tab", "http://t/a b"}},
        CommandCase{"placeholder", "w3m %s -dump", {"w3m", "http://t/a b", "-dump"}},
        CommandCase{"list", "lynx:firefox", {"lynx", "http://t/a b"}},
        CommandCase{"shell_text", "sh -c 'x'", {"sh", "-c", "'x'", "http://t/a b"}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(Browser, RecordingBrowserRefusesWhatTheLauncherRefuses) {
  RecordingBrowser b;
  EXPECT_FALSE(b.OpenAddress("-x"));
  EXPECT_FALSE(b.OpenFile("-x"));
  EXPECT_FALSE(b.OpenFile("relative/help.htm"));
  EXPECT_FALSE(b.OpenFile("/a/b\nc"));
  EXPECT_TRUE(b.OpenFile("/a b/help.htm"));
  EXPECT_TRUE(b.OpenAddress("http://a/"));
  EXPECT_EQ(b.opened, (std::vector<std::string>{"/a b/help.htm", "http://a/"}));
  b.fail = true;
  EXPECT_FALSE(b.OpenAddress("http://a/"));
}

TEST(Browser, MissingProgramIsNotStarted) {
  EXPECT_FALSE(StartDetached({}));
  EXPECT_FALSE(StartDetached({"/nonexistent/browser", "http://a/"}));
  EXPECT_FALSE(StartDetached({"vexo-no-such-browser-program", "http://a/"}));
  EXPECT_FALSE(StartDetached({"/bin/true", std::string("a\0b", 3)}));
}

// A stand-in $BROWSER that writes each of its arguments on a line of a file.
class StandInBrowser : public ::testing::Test {
 protected:
  StandInBrowser() {
    const char* old = ::getenv("BROWSER");
    had_browser_ = old != nullptr;
    if (old) old_browser_ = old;
    script_ = Dir() + "/browser";
    const std::string text = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                             Out() + ".part\"\nmv \"" + Out() + ".part\" \"" + Out() + "\"\n";
    EXPECT_TRUE(WriteFileAtomic(script_, text));
    ::chmod(script_.c_str(), 0700);
    ::setenv("BROWSER", script_.c_str(), 1);
  }
  ~StandInBrowser() override {
    if (had_browser_)
      ::setenv("BROWSER", old_browser_.c_str(), 1);
    else
      ::unsetenv("BROWSER");
  }

  std::string Dir() const { return dir_.path().toStdString(); }
  std::string Out() const { return Dir() + "/argv.txt"; }

  // The stand-in runs detached: wait for its file, briefly.
  StringList RecordedArguments() {
    QTimer poll;
    poll.start(5);
    testing::RunUntil([&] { return FileExists(Out()); }, 5000);
    StringList lines;
    LoadLines(Out(), lines);
    return lines;
  }

  QTemporaryDir dir_;
  std::string script_;
  std::string old_browser_;
  bool had_browser_ = false;
};

TEST_F(StandInBrowser, HostileAddressArrivesAsOneArgumentAndRunsNothing) {
  const std::string marker = Dir() + "/ran";
  const std::string address =
      "http://a.example/x y\";touch " + marker + ";$(touch " + marker + ")`touch " + marker + "`'";
  SystemBrowser browser;
  ASSERT_TRUE(browser.OpenAddress(address));
  const StringList argv = RecordedArguments();
  ASSERT_EQ(argv.size(), 1u);
  EXPECT_EQ(argv[0], BrowserAddress(address));
  EXPECT_FALSE(FileExists(marker));
}

TEST_F(StandInBrowser, LocalFileWithBlanksArrivesWhole) {
  SystemBrowser browser;
  const std::string page = Dir() + "/my help/help.htm";
  ASSERT_TRUE(browser.OpenFile(page));
  EXPECT_EQ(RecordedArguments(), StringList{page});
}

TEST_F(StandInBrowser, RefusedAddressStartsNoBrowser) {
  SystemBrowser browser;
  EXPECT_FALSE(browser.OpenAddress("--help"));
  EXPECT_FALSE(browser.OpenAddress("file:///etc/passwd"));
  testing::RunFor(100);
  EXPECT_FALSE(FileExists(Out()));
}

}  // namespace
}  // namespace vexo
