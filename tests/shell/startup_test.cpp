// Creation, configuration, minimising, the close question and destruction of
// the main window.
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/connect_to.h"
#include "platform/ini_profile.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/offline.h"
#include "texts/texts.h"

namespace vexo {
namespace {

using StartupTest = ShellTest;

TEST_F(StartupTest, FirstStartWithoutConfigurationGivesDefaultsAndSwitchesAutorunOn) {
  TMain& m = Open();
  EXPECT_EQ(m.gjc.Text(), "");
  EXPECT_EQ(m.gjc2.Caption(), "");
  EXPECT_EQ(m.gjc3.Caption(), "");
  EXPECT_EQ(m.viewer.Ts.Caption(), Gb("√"));
  EXPECT_EQ(m.viewer.Ru.Caption(), Gb("√"));
  EXPECT_EQ(m.viewer.popupOnNew, 1);
  EXPECT_TRUE(m.ARun.Active());
  EXPECT_NE(Content(Autostart()).find("Exec=/opt/vexo/vexo\n"), std::string::npos);
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_FALSE(FileExists(Ini())) << "the configuration is written only at destruction";
}

TEST_F(StartupTest, CreationSetsTheStateAndTheWelcomeRows) {
  TMain& m = Open();
  EXPECT_EQ(m.kl2.Caption(), Home());
  EXPECT_EQ(m.viewer.sum1.Caption(), "0");
  EXPECT_EQ(m.viewer.SaEdit.Text(), "");
  EXPECT_EQ(m.Spt1.Caption(), Gb("跟踪"));
  EXPECT_EQ(m.Clients().Size(), 0u);
  EXPECT_EQ(m.Store().OpenBlock(), nullptr);
  EXPECT_EQ(m.Store().SiteQueue(), nullptr);
  EXPECT_FALSE(m.Timer2.Enabled());
  EXPECT_FALSE(m.Tsys.Enabled());

  const Bytes ellipsis = Gb("…");
  for (int row = 1; row <= 3; ++row) {
    EXPECT_EQ(m.viewer.LinkLabel(row)->Caption(), kPublisherHomePage);
    const Bytes& notice = m.viewer.CaptionLabel(row)->Caption();
    ASSERT_GT(notice.size(), 2 * ellipsis.size());
    EXPECT_EQ(notice.substr(0, 2), ellipsis);
    EXPECT_EQ(notice.substr(notice.size() - 2), ellipsis);
    EXPECT_EQ(notice.find('?'), Bytes::npos) << "every character has a GB2312 form";
  }
  EXPECT_EQ(m.viewer.LinkLabel(4)->Caption(), "");
  EXPECT_NE(m.sbar.Caption().find(kPublisherHomePage), Bytes::npos);
}

TEST_F(StartupTest, EntryAndShowSetTheApplicationUp) {
  InitApplication(app_);
  EXPECT_EQ(app_.Title(), Gb("V鹊"));
  EXPECT_EQ(app_.HintPauseMs(), 0);
  char before[PATH_MAX];
  ASSERT_NE(::getcwd(before, sizeof before), nullptr);
  Open();
  char now[PATH_MAX];
  ASSERT_NE(::getcwd(now, sizeof now), nullptr);
  EXPECT_EQ(std::string(now) + "/", Home());
  EXPECT_FALSE(app_.TaskbarButtonVisible());
  ASSERT_EQ(::chdir(before), 0);
}

TEST_F(StartupTest, TogglesOffLeaveTheAutorunEntryRemoved) {
  Put(Ini(), {"[vexo]", "gjc=x", "ts=0", "ru=0"});
  CreateDir(Conf() + "autostart");
  PutBytes(Autostart(), DesktopEntryText("/opt/vexo/vexo"));  // left over
  TMain& m = Open();
  EXPECT_EQ(m.viewer.Ts.Caption(), "");
  EXPECT_EQ(m.viewer.Ru.Caption(), "");
  EXPECT_EQ(m.viewer.popupOnNew, 0);
  EXPECT_FALSE(m.ARun.Active());
  EXPECT_FALSE(FileExists(Autostart()));
}

TEST_F(StartupTest, Gb2312KeywordsAreReadByteForByte) {
  const Bytes kw = Gb("(周杰伦/孙楠)+歌曲") + "\xFE\x40";
  const Bytes expr = Gb("周杰伦+歌曲");
  PutBytes(Ini(), "[vexo]\r\ngjc=" + kw + "\r\ngjc3=" + expr + "\r\n");
  TMain& m = Open();
  EXPECT_EQ(m.gjc.Text(), kw);
  EXPECT_EQ(m.gjc2.Caption(), kw);
  EXPECT_EQ(m.gjc3.Caption(), expr);
}

struct MalformedIni {
  const char* name;
  std::string content;
};

class MalformedIniTest : public ShellTest, public ::testing::WithParamInterface<MalformedIni> {};

TEST_P(MalformedIniTest, GivesTheDefaultsWithoutAMessageAndTheNextWriteWorks) {
  PutBytes(Ini(), GetParam().content);
  TMain& m = Open();
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(m.viewer.Ts.Caption(), Gb("√"));
  EXPECT_EQ(m.viewer.Ru.Caption(), Gb("√"));
  EXPECT_EQ(m.gjc3.Caption(), "");
  m.gjc.SetText("abc");
  m.FormDestroy();
  EXPECT_EQ(ReadProfileString(Ini(), "vexo", "gjc", ""), "abc");
  EXPECT_EQ(ReadProfileInt(Ini(), "vexo", "ts", -1), 1);
}

std::string TenMegabytes() {
  std::string s(10u << 20, 'x');
  for (std::size_t i = 0; i < s.size(); i += 97) s[i] = static_cast<char>(i % 256);
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Files, MalformedIniTest,
    ::testing::Values(MalformedIni{"empty", ""},
                      MalformedIni{"garbage", std::string("\0\x81\xFF=[]\r\r\n==\n[", 12)},
                      MalformedIni{"truncated", "[vexo]\r\ngjc3="},
                      MalformedIni{"header_only", "[vexo"},
                      MalformedIni{"ten_megabytes", TenMegabytes()}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(StartupTest, AppMinimizeHidesUnlessADialogIsOpen) {
  TMain& m = Open();
  ASSERT_TRUE(app_.OnMinimize);
  m.viewer.modalGuard = 120;
  app_.OnMinimize();
  EXPECT_TRUE(m.viewer.window.Visible());
  m.viewer.modalGuard = 99;
  app_.OnMinimize();
  EXPECT_FALSE(m.viewer.window.Visible());
}

TEST_F(StartupTest, MinimisingWhileTheCloseQuestionIsOpenDoesNotHide) {
  TMain& m = Open();
  bool visible_during_box = false;
  boxes_.while_open = [&](const MessageBoxRequest&) {
    app_.OnMinimize();
    visible_during_box = m.viewer.window.Visible();
  };
  boxes_.answers = {MsgAnswer::Cancel};
  EXPECT_FALSE(m.FormCloseQuery());
  EXPECT_TRUE(visible_during_box);
}

TEST_F(StartupTest, CancelOnTheCloseQuestionKeepsTheRunAndRestoresModalGuard) {
  TMain& m = StartWith("手机");
  m.Clients().Adopt(FakeClient(1));
  m.viewer.modalGuard = 7;
  boxes_.answers = {MsgAnswer::Cancel};
  EXPECT_FALSE(m.FormCloseQuery());
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, Gb("Vexo提示"));
  EXPECT_EQ(boxes_.shown[0].text, Gb("   确认要退出V鹊(Vexo)吗？    "));
  EXPECT_EQ(boxes_.shown[0].buttons, MsgButtons::OkCancel);
  EXPECT_EQ(m.viewer.modalGuard, 7);
  EXPECT_EQ(m.trackingRun, 1);
  EXPECT_TRUE(m.Timer2.Enabled());
  EXPECT_EQ(m.Spt1.Caption(), Gb("停止"));
  EXPECT_TRUE(cancelled_.empty());
  EXPECT_FALSE(FileExists(Kix()));
}

TEST_F(StartupTest, OkOnTheCloseQuestionStopsTheRunAndSavesTheStore) {
  TMain& m = StartWith("手机");
  m.Store().SiteQueue()->push_back("http://www.example.cn");
  ASSERT_EQ(m.Store().AppendTarget("http://www.example.cn/a.html", Gb("手机新品今日发布")), 1);
  m.Clients().Adopt(FakeClient(1));
  m.Clients().Adopt(FakeClient(2));
  m.viewer.modalGuard = 3;
  m.Tsys.SetEnabled(true);
  boxes_.answers = {MsgAnswer::Ok};
  EXPECT_TRUE(m.FormCloseQuery());
  EXPECT_EQ(m.viewer.modalGuard, 120) << "stays up during the shutdown";
  EXPECT_EQ(m.trackingRun, 0);
  EXPECT_FALSE(m.Timer2.Enabled());
  EXPECT_FALSE(m.Tsys.Enabled());
  // Cancelled twice (step 3 and step 6); the list is not emptied.
  EXPECT_EQ(cancelled_.size(), 4u);
  EXPECT_EQ(m.Clients().Running().size(), 2u);
  EXPECT_EQ(Lines(Block(1)),
            (StringList{"1", "http://www.example.cn/a.html", Gb("…手机新品今日发布…")}));
  EXPECT_EQ(Lines(Kix()), (StringList{"[:--:]", "http://www.example.cn"}));
}

TEST_F(StartupTest, ClosingWithoutARunWritesNoStoreFiles) {
  TMain& m = Open();
  boxes_.answers = {MsgAnswer::Ok};
  EXPECT_TRUE(m.FormCloseQuery());
  m.FormDestroy();
  EXPECT_FALSE(DirExists(Home() + "Temp"));
  EXPECT_FALSE(FileExists(Kix()));
  EXPECT_TRUE(FileExists(Ini()));
}

TEST_F(StartupTest, DestroyWritesTheConfigurationTrimmedAndKeepsOtherLines) {
  PutBytes(Ini(), "[vexo]\r\nkeep_me=*=127.0.0.1:8080\r\nru=1\r\n[other]\r\nk=v\r\n");
  TMain& m = Open();
  m.gjc.SetText(Gb("  手机 诺基亚  "));
  m.gjc3.SetCaption(Gb(" 手机+诺基亚 "));
  m.viewer.Ru.SetCaption("");
  m.FormDestroy();
  EXPECT_EQ(Content(Ini()),
            "[vexo]\r\nkeep_me=*=127.0.0.1:8080\r\nru=0\r\ngjc=" + Gb("手机 诺基亚") +
                "\r\ngjc3=" + Gb("手机+诺基亚") + "\r\nts=1\r\n[other]\r\nk=v\r\n");
  EXPECT_FALSE(m.viewer.window.Visible());
  EXPECT_EQ(m.Store().OpenBlock(), nullptr);
}

TEST_F(StartupTest, TheNextStartRemembersTheSettings) {
  {
    TMain& m = Open();
    m.gjc.SetText(Gb(" 手机 "));
    m.viewer.Ts.SetCaption("");
    m.FormDestroy();
    main_.reset();
  }
  TMain& m = Open();
  EXPECT_EQ(m.gjc.Text(), Gb("手机"));
  EXPECT_EQ(m.gjc2.Caption(), Gb("手机"));
  EXPECT_EQ(m.viewer.Ts.Caption(), "");
  EXPECT_EQ(m.viewer.popupOnNew, 0);
  EXPECT_EQ(m.viewer.Ru.Caption(), Gb("√"));
}

TEST_F(StartupTest, SavesThatFailAreSaidAndLoseNothingElse) {
  ASSERT_TRUE(CreateDir(Ini()));  // the path is a folder
  Put(Kix(), {"http://site.cn"});
  Put(Block(1), {"1", "http://a.cn/x.html", Gb("…一个足够长的标题…")});
  std::vector<std::string> said;
  MainServices services = Services();
  services.save_failed = [&said](const std::string& path) { said.push_back(path); };
  main_ = std::make_unique<TMain>(std::move(services));
  TMain& m = *main_;
  m.FormCreate();
  m.FormShow();
  m.gjc.SetText(Gb("关键词"));
  m.Spt1Click();
  EXPECT_EQ(said, std::vector<std::string>{Ini()}) << "the keywords written at the start";
  std::filesystem::remove(Kix());
  ASSERT_TRUE(CreateDir(Kix()));
  m.Spt1Click();
  EXPECT_EQ(said.back(), Kix());
  EXPECT_EQ(m.sbar.Caption(), Texts().sbar_save_failed);
  m.FormDestroy();
  EXPECT_EQ(said.back(), Ini());
  EXPECT_TRUE(DirExists(Ini()));
  EXPECT_EQ(Lines(Block(1)), StringList{Gb("…一个足够长的标题…")}) << "the history is still kept";
}

TEST_F(StartupTest, AConfigurationWriteThatFailsHalfWayLeavesTheOldFile) {
  const Bytes old = "[vexo]\r\ngjc=old\r\nts=1\r\nru=1\r\n";
  PutBytes(Ini(), old);
  TMain& m = Open();
  m.gjc.SetText(std::string(20000, 'k'));
  WithFileSizeLimit(4096, [&] { m.FormDestroy(); });
  EXPECT_EQ(Content(Ini()), old);
}

TEST_F(StartupTest, DestroyCompactsBlockFilesIntoHistory) {
  Put(Block(1),
      {"1", "http://a.cn/1.html", Gb("…第一条标题…"), "http://a.cn/2.html", Gb("…第二条标题…")});
  Put(Block(2), {"2", "http://a.cn/3.html", Gb("…第三条标题…")});
  TMain& m = Open();
  m.FormDestroy();
  EXPECT_EQ(Lines(Block(1)),
            (StringList{Gb("…第一条标题…"), Gb("…第二条标题…"), Gb("…第三条标题…")}));
  EXPECT_FALSE(FileExists(Block(2)));
}

TEST_F(StartupTest, TheConfigurationCanSendEngineHostsElsewhere) {
  PutBytes(Ini(), "[vexo]\r\nconnect_to=www.baidu.com=127.0.0.1:8081\r\n");
  Open();
  const ConnectTarget t = Resolve("www.baidu.com", 80);
  ::vexo::testing::GoOffline();
  EXPECT_EQ(t.host, "127.0.0.1");
  EXPECT_EQ(t.port, 8081);
}

TEST_F(StartupTest, ProgramServicesFollowTheEnvironment) {
  const std::string home = Root() + "/env-home";
  const auto saved = [](const char* name) {
    const char* v = std::getenv(name);
    return v ? std::optional<std::string>(v) : std::nullopt;
  };
  const auto restore = [](const char* name, const std::optional<std::string>& v) {
    if (v) {
      ::setenv(name, v->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  };
  const auto old_home = saved("VEXO_HOME");
  const auto old_conf = saved("XDG_CONFIG_HOME");
  ::setenv("VEXO_HOME", home.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", Conf().c_str(), 1);
  const MainServices s = ProgramServices(app_, time_, boxes_);
  restore("VEXO_HOME", old_home);
  restore("XDG_CONFIG_HOME", old_conf);
  EXPECT_EQ(s.program_folder, home + "/");
  EXPECT_EQ(s.config_file, home + "/vexo.ini");
  EXPECT_EQ(s.autostart_entry, Conf() + "autostart/vexo.desktop");
  EXPECT_FALSE(s.executable.empty());
}

}  // namespace
}  // namespace vexo
