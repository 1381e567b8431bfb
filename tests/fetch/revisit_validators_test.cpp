#include "fetch/revisit_validators.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <string>

#include "platform/files.h"
#include "tests/support/file_change_gate.h"

namespace vexo {
namespace {

const Bytes kSite = "http://s1.cn";

TEST(RevisitValidatorsTest, RemembersTheValidatorsOfAnAnswer) {
  const Bytes longTag = "\"" + Bytes(RevisitValidators::kMaxValueBytes, 'x') + "\"";
  struct Case {
    const char* name;
    StringList headers;
    StringList asked;
  };
  const std::vector<Case> cases = {
      {"both, any case, blanks trimmed",
       {"HTTP/1.1 200 OK", "etag:  \"a1\" ", "LAST-MODIFIED: Sat, 01 Jan 2000 00:00:00 GMT"},
       {"If-None-Match: \"a1\"", "If-Modified-Since: Sat, 01 Jan 2000 00:00:00 GMT"}},
      {"weak tag only", {"ETag: W/\"b\""}, {"If-None-Match: W/\"b\""}},
      {"date only", {"Last-Modified: x"}, {"If-Modified-Since: x"}},
      {"the last of a relocation's answers",
       {"ETag: \"old\"", "ETag: \"new\""},
       {"If-None-Match: \"new\""}},
      {"none", {"Content-Type: text/html"}, {}},
      {"empty value", {"ETag:   "}, {}},
      {"absurdly long", {"ETag: " + longTag}, {}},
      {"a control byte", {"ETag: \"a\tb\""}, {}},
      {"a name that only begins alike", {"ETagged: 1"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RevisitValidators v;
    v.Remember(kSite, c.headers);
    EXPECT_EQ(v.HeadersFor(kSite), c.asked);
    EXPECT_EQ(v.Knows(kSite), !c.asked.empty());
    EXPECT_TRUE(v.HeadersFor("http://other.cn").empty());
  }
}

TEST(RevisitValidatorsTest, AnAnswerWithoutValidatorsForgetsTheOldOnes) {
  RevisitValidators v;
  v.Remember(kSite, {"ETag: \"1\""});
  v.Remember(kSite, {"ETag: \"2\""});
  EXPECT_EQ(v.HeadersFor(kSite), StringList{"If-None-Match: \"2\""});
  v.Remember(kSite, {"Server: x"});
  EXPECT_FALSE(v.Knows(kSite));
}

class RevisitFileTest : public ::testing::Test {
 protected:
  std::string File() const { return dir_.path().toStdString() + "/kix.etag"; }
  QTemporaryDir dir_;
};

TEST_F(RevisitFileTest, LoadsWellFormedLinesAndSkipsTheRest) {
  struct Case {
    const char* name;
    std::string content;
    StringList asked;  // for kSite
    std::size_t size;
  };
  const std::vector<Case> cases = {
      {"both",
       "http://s1.cn\t\"e\"\tSun, 02 Jan 2000\r\n",
       {"If-None-Match: \"e\"", "If-Modified-Since: Sun, 02 Jan 2000"},
       1},
      {"etag only, LF only, no final line end",
       "http://s1.cn\t\"e\"\t",
       {"If-None-Match: \"e\""},
       1},
      {"date only", "http://s1.cn\t\td\r\n", {"If-Modified-Since: d"}, 1},
      {"neither", "http://s1.cn\t\t\r\n", {}, 0},
      {"one tab", "http://s1.cn\t\"e\"\r\n", {}, 0},
      {"three tabs", "http://s1.cn\t\"e\"\td\tx\r\n", {}, 0},
      {"no URL", "\t\"e\"\td\r\n", {}, 0},
      {"a control byte", std::string("http://s1.cn\t\"e\x01\"\td\r\n"), {}, 0},
      {"too long", "http://s1.cn\t" + std::string(300, 'e') + "\td\r\n", {}, 0},
      {"garbage then a good line",
       "\xff\xfe\t\t\t\r\n\r\nhttp://s1.cn\t\"g\"\t\r\n",
       {"If-None-Match: \"g\""},
       1},
      {"a later line wins",
       "http://s1.cn\t\"1\"\t\nhttp://s1.cn\t\"2\"\t\n",
       {"If-None-Match: \"2\""},
       1},
      {"empty", "", {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteFileAtomic(File(), c.content));
    RevisitValidators v;
    v.Remember("http://stale.cn", {"ETag: \"s\""});
    v.Load(File());
    EXPECT_EQ(v.HeadersFor(kSite), c.asked);
    EXPECT_EQ(v.Size(), c.size) << "loading replaces what was in memory";
  }
  DeleteFile(File());
  RevisitValidators none;
  none.Load(File());
  EXPECT_EQ(none.Size(), 0u);
}

TEST_F(RevisitFileTest, SavingKeepsOnlyTheSitesOfTheQueueAndLoadsBack) {
  RevisitValidators v;
  v.Remember("http://s1.cn", {"ETag: \"1\"", "Last-Modified: d1"});
  v.Remember("http://gone.cn", {"ETag: \"2\""});
  v.Remember("http://s3.cn", {"Last-Modified: d3"});
  ASSERT_TRUE(v.Save(File(), {"[:--:]", "http://s3.cn", "http://s1.cn", "http://new.cn"}));
  Bytes text;
  ASSERT_TRUE(ReadFileBytes(File(), text));
  EXPECT_EQ(text, "http://s1.cn\t\"1\"\td1\r\nhttp://s3.cn\t\td3\r\n");
  EXPECT_FALSE(v.Knows("http://gone.cn")) << "pruned in memory too";
  RevisitValidators back;
  back.Load(File());
  EXPECT_EQ(back.HeadersFor("http://s1.cn"), v.HeadersFor("http://s1.cn"));
  EXPECT_EQ(back.HeadersFor("http://s3.cn"), StringList{"If-Modified-Since: d3"});
  EXPECT_EQ(back.Size(), 2u);
}

TEST_F(RevisitFileTest, NothingToKeepWritesNoFileButEmptiesAnOldOne) {
  RevisitValidators v;
  v.Remember("http://gone.cn", {"ETag: \"2\""});
  ASSERT_TRUE(v.Save(File(), {"http://s1.cn"}));
  EXPECT_FALSE(PathTaken(File()));
  ASSERT_TRUE(WriteFileAtomic(File(), "http://gone.cn\t\"2\"\t\r\n"));
  ASSERT_TRUE(v.Save(File(), {"http://s1.cn"}));
  Bytes text = "x";
  ASSERT_TRUE(ReadFileBytes(File(), text));
  EXPECT_EQ(text, "");
}

TEST_F(RevisitFileTest, AKillDuringASaveLeavesTheOldFileOrTheNew) {
  RevisitValidators old;
  old.Remember(kSite, {"ETag: \"old\""});
  ASSERT_TRUE(old.Save(File(), {kSite}));
  for (int step = 1; step <= 4; ++step) {
    SCOPED_TRACE(step);
    RevisitValidators v;
    v.Remember(kSite, {"ETag: \"new\""});
    {
      testing::FileChangeStop stop(step);
      v.Save(File(), {kSite});
    }
    RevisitValidators back;
    back.Load(File());
    const StringList asked = back.HeadersFor(kSite);
    EXPECT_TRUE(asked == StringList{"If-None-Match: \"old\""} ||
                asked == StringList{"If-None-Match: \"new\""});
    ASSERT_TRUE(old.Save(File(), {kSite}));
  }
}

}  // namespace
}  // namespace vexo
