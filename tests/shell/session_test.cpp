// A whole session as a person has it: start, type, track, stop, track again,
// close with OK, and what is on disk afterwards, read by a second start.
#include <cstdlib>
#include <optional>

#include "platform/ini_profile.h"
#include "tests/shell/shell_fixture.h"

namespace vexo {
namespace {

class SessionTest : public ShellTest {
 protected:
  void SetUp() override {
    Remember("VEXO_HOME");
    Remember("XDG_CONFIG_HOME");
    ::setenv("VEXO_HOME", Home().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", Conf().c_str(), 1);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }
  void Remember(const char* name) {
    const char* v = std::getenv(name);
    saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
  }
  std::unique_ptr<TMain> Start() {
    MainServices s = ProgramServices(app_, time_, boxes_);
    s.cancel_client = [this](HttpClient* c) { cancelled_.push_back(c); };
    auto m = std::make_unique<TMain>(s);
    m->FormCreate();
    m->FormShow();
    return m;
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(SessionTest, TrackStopCloseAndTheNextStartRemembers) {
  const Bytes title1 = Gb("手机市场今年迎来新一轮增长");
  const Bytes title2 = Gb("诺基亚发布三款手机新品");
  {
    auto m = Start();
    EXPECT_EQ(m->kl2.Caption(), Home());
    m->gjc.SetText(Gb("  手机 "));
    m->Spt1Click();
    ASSERT_EQ(m->trackingRun, 1);
    time_.AdvanceBy(60);
    m->Store().RememberSite("http://tech.sina.com.cn/t/1.html");
    ASSERT_EQ(m->Store().AppendTarget("http://tech.sina.com.cn/t/1.html", title1), 1);
    m->Spt1Click();  // stop
    EXPECT_EQ(Lines(Block(1)),
              (StringList{"1", "http://tech.sina.com.cn/t/1.html", Gb("…") + title1 + Gb("…")}));
    EXPECT_EQ(Lines(Kix()), (StringList{"http://tech.sina.com.cn", "[:--:]"}));

    m->Spt1Click();  // the same keywords again: history and sites kept
    EXPECT_EQ(m->Store().AppendTarget("http://other.cn/x.html", title1), 0) << "seen before";
    ASSERT_EQ(m->Store().AppendTarget("http://other.cn/y.html", title2), 1);
    EXPECT_EQ(*m->Store().OpenBlock(),
              (StringList{"2", "http://other.cn/y.html", Gb("…") + title2 + Gb("…")}));

    boxes_.answers = {MsgAnswer::Ok};
    ASSERT_TRUE(m->FormCloseQuery());
    EXPECT_EQ(Lines(Block(2)).front(), "2");
    EXPECT_EQ(Lines(Kix()), (StringList{"http://tech.sina.com.cn", "[:==:]"}));
    m->FormDestroy();
  }
  EXPECT_EQ(Lines(Block(1)), (StringList{Gb("…") + title1 + Gb("…"), Gb("…") + title2 + Gb("…")}));
  EXPECT_FALSE(FileExists(Block(2)));
  EXPECT_EQ(Content(Ini()),
            "[vexo]\r\ngjc=" + Gb("手机") + "\r\ngjc3=" + Gb("手机") + "\r\nts=1\r\nru=1\r\n");
  EXPECT_TRUE(FileExists(Conf() + "autostart/vexo.desktop"));

  auto again = Start();
  EXPECT_EQ(again->gjc.Text(), Gb("手机"));
  again->Spt1Click();
  const StringList& q = *again->Store().SiteQueue();
  EXPECT_EQ(q.back(), "[:==:]");
  EXPECT_EQ(q[q.size() - 2], "http://tech.sina.com.cn");
  EXPECT_EQ(again->Store().AppendTarget("http://x.cn/z.html", title2), 0)
      << "the history of the last session still counts";
}

}  // namespace
}  // namespace vexo
