// History survives a run that never closed cleanly and a configuration that
// cannot be read; an expression cut inside a character is worked out anew;
// what killed saves left behind is swept at the next start.
#include <sys/stat.h>

#include "parser/keyword_query.h"
#include "platform/ini_profile.h"
#include "tests/shell/shell_fixture.h"

namespace vexo {
namespace {

using HistoryKeepingTest = ShellTest;

const StringList kSavedBlock{"1", "http://a.cn/1.htm",
                             "\xA1\xAD"
                             "saved title here\xA1\xAD"};

TEST_F(HistoryKeepingTest, ARunKilledBeforeItsFirstCloseKeepsItsHistory) {
  StartWith("k");
  Put(Block(1), kSavedBlock);
  main_.reset();  // killed: no close question, no destruction
  StartWith("k");
  EXPECT_EQ(Lines(Block(1)), kSavedBlock);
}

TEST_F(HistoryKeepingTest, AConfigurationThatCannotBeReadDeletesNoHistory) {
  struct Case {
    const char* name;
    void (*spoil)(const std::string& ini);
  };
  const Case cases[] = {
      {"missing", [](const std::string&) {}},
      {"empty", [](const std::string& ini) { WriteFileAtomic(ini, ""); }},
      {"garbage", [](const std::string& ini) { WriteFileAtomic(ini, "\x01\xFF\xFE[[\n=\r\x80"); }},
      {"a folder", [](const std::string& ini) { CreateDir(ini); }},
  };
  for (const Case& c : cases) {
    main_.reset();
    std::filesystem::remove_all(Ini());
    Put(Block(1), kSavedBlock);
    c.spoil(Ini());
    StartWith("k");
    EXPECT_EQ(Lines(Block(1)), kSavedBlock) << c.name;
  }
}

TEST_F(HistoryKeepingTest, AnExpressionCutInsideACharacterIsWorkedOutAgain) {
  const Bytes keywords = Gb("新闻 体育");
  const Bytes whole = SplitMixedKeywords(keywords);
  Put(Ini(), {"[vexo]", "gjc=" + keywords, "gjc3=" + whole.substr(0, whole.size() - 1)});
  TMain& m = StartWith("新闻 体育");
  EXPECT_EQ(m.gjc3.Caption(), whole);
  IniProfile ini(Ini());
  ini.Load();
  EXPECT_EQ(ini.ReadString("vexo", "gjc3", ""), whole) << "written at the run's start";
}

TEST_F(HistoryKeepingTest, ASiteQueueFileFarLargerThanTheProgramWritesIsNotLoaded) {
  // Line feeds only: as a list, some 32 bytes of memory each.
  PutBytes(Kix(), std::string(kMaxListFileBytes + 1, '\n'));
  TMain& m = StartWith("k");
  const StringList& queue = *m.Store().SiteQueue();
  EXPECT_EQ(queue.size(),
            static_cast<std::size_t>(ResultStore::IndexOfLine(queue, kPassMarker) + 1));
}

TEST_F(HistoryKeepingTest, TheNextStartSweepsTheHalfWrittenFilesOfDeadProcesses) {
  // A pid far above any the system hands out belongs to no process.
  const std::string dead = ".tmp-999999999-17";
  const std::string alive = ".tmp-" + std::to_string(::getpid()) + "-5";
  Put(Block(1), kSavedBlock);
  for (const std::string& name :
       {Block(2) + dead, Block(3) + alive, Kix() + dead, Ini() + dead, Home() + "mine" + dead})
    PutBytes(name, "half");
  Open();
  EXPECT_FALSE(FileExists(Block(2) + dead));
  EXPECT_FALSE(FileExists(Kix() + dead));
  EXPECT_FALSE(FileExists(Ini() + dead));
  EXPECT_TRUE(FileExists(Block(3) + alive)) << "a live writer's file";
  EXPECT_TRUE(FileExists(Home() + "mine" + dead)) << "not a file of ours";
  EXPECT_TRUE(FileExists(Block(1)));
}

}  // namespace
}  // namespace vexo
