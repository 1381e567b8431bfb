// The INI profile: byte-exact values, hostile files read as defaults, writes
// that keep every other line and never leave a broken file.
#include "platform/ini_profile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <QTemporaryDir>

#include <csignal>
#include <string>

#include "platform/codepage.h"
#include "platform/files.h"

namespace vexo {
namespace {

class IniProfileTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.path().toStdString() + "/vexo.ini"; }
  void Put(std::string_view content) { ASSERT_TRUE(WriteFileAtomic(Path(), content)); }
  Bytes OnDisk() const {
    Bytes b;
    ReadFileBytes(Path(), b, 64u << 20);
    return b;
  }
  QTemporaryDir dir_;
};

TEST_F(IniProfileTest, Gb2312ValuesSurviveAWriteAndReadByteForByte) {
  const Bytes value = Gb("(手机/电话)+价格") + "\x81\x40=\xFE\xFE;#[x]";
  ASSERT_TRUE(WriteProfileString(Path(), "vexo", "gjc", value));
  EXPECT_EQ(ReadProfileString(Path(), "vexo", "gjc", "?"), value);
  EXPECT_EQ(OnDisk(), "[vexo]\r\ngjc=" + value + "\r\n");
}

struct HostileFile {
  const char* name;
  std::string content;
};

class HostileIniTest : public IniProfileTest, public ::testing::WithParamInterface<HostileFile> {};

TEST_P(HostileIniTest, ReadsDefaultsAndAWriteKeepsTheOldBytes) {
  const std::string& content = GetParam().content;
  if (!content.empty() || std::string(GetParam().name) == "empty") Put(content);
  EXPECT_EQ(ReadProfileString(Path(), "vexo", "gjc", "dflt"), "dflt");
  EXPECT_EQ(ReadProfileInt(Path(), "vexo", "ts", 1), 1);
  ASSERT_TRUE(WriteProfileInt(Path(), "vexo", "ru", 0));
  EXPECT_EQ(ReadProfileInt(Path(), "vexo", "ru", 1), 0);
  const Bytes after = OnDisk();
  EXPECT_EQ(after.substr(0, content.size()), content);
}

std::string TenMegabytesOfJunk() {
  std::string s(10u << 20, '\0');
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char>((i * 7919) % 251);
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileIniTest,
    ::testing::Values(HostileFile{"missing", ""}, HostileFile{"empty", ""},
                      HostileFile{"garbage", std::string("\x00\xff[\x01=\x02\n", 7)},
                      HostileFile{"truncated_header", "[vex"},
                      HostileFile{"other_section", "[other]\r\ngjc=x\r\nts=0\r\n"},
                      HostileFile{"ten_megabytes", TenMegabytesOfJunk()}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(IniProfileTest, TruncatedLastLineIsReadAndExtendedCleanly) {
  Put("[vexo]\r\ngjc=ab");
  EXPECT_EQ(ReadProfileString(Path(), "vexo", "gjc", ""), "ab");
  ASSERT_TRUE(WriteProfileInt(Path(), "vexo", "ts", 0));
  EXPECT_EQ(OnDisk(), "[vexo]\r\ngjc=ab\r\nts=0\r\n");
}

TEST_F(IniProfileTest, WriteReplacesOnlyItsOwnKeyAndKeepsEveryOtherByte) {
  Put("; a comment\n[Other]\r\ngjc=keep\r\n[VEXO]\r\n  GJC = old "
      "\r\nconnect_to=*=1.2.3.4:80\r\n\r\n"
      "[tail]\r\nx=1\r\n");
  ASSERT_TRUE(WriteProfileString(Path(), "vexo", "gjc", "new"));
  ASSERT_TRUE(WriteProfileInt(Path(), "vexo", "ts", 1));
  EXPECT_EQ(OnDisk(),
            "; a comment\n[Other]\r\ngjc=keep\r\n[VEXO]\r\ngjc=new\r\nconnect_to=*=1.2.3.4:80\r\n"
            "ts=1\r\n\r\n[tail]\r\nx=1\r\n");
  EXPECT_EQ(ReadProfileString(Path(), "other", "gjc", ""), "keep");
  EXPECT_EQ(ReadProfileString(Path(), "vexo", "connect_to", ""), "*=1.2.3.4:80");
}

TEST_F(IniProfileTest, FirstOfTwoEqualSectionsAndFirstOfTwoEqualKeysWin) {
  Put("[vexo]\ngjc=one\ngjc=two\n[vexo]\ngjc=three\n");
  EXPECT_EQ(ReadProfileString(Path(), "vexo", "gjc", ""), "one");
}

TEST_F(IniProfileTest, LineBreaksInAValueCannotAddKeys) {
  ASSERT_TRUE(WriteProfileString(Path(), "vexo", "gjc", "a\r\nts=0\nru=0"));
  EXPECT_EQ(ReadProfileInt(Path(), "vexo", "ts", 1), 1);
  EXPECT_EQ(ReadProfileInt(Path(), "vexo", "ru", 1), 1);
  EXPECT_EQ(ReadProfileString(Path(), "vexo", "gjc", ""), "a  ts=0 ru=0");
  ASSERT_TRUE(WriteProfileString(Path(), "vexo", "gjc3", std::string("x\0y", 3)));
  EXPECT_EQ(ReadProfileString(Path(), "vexo", "gjc3", ""), "x");
}

TEST_F(IniProfileTest, IntegersAreTheLeadingNumberOfTheValueAndEmptyIsTheDefault) {
  struct Case {
    const char* value;
    long long expected;
  };
  const Case cases[] = {{"1", 1}, {" 0 ", 0}, {"abc", 0},  {"12abc", 12}, {"-3", -3},     {"+7", 7},
                        {"-", 0}, {"", 42},   {"   ", 42}, {"\t", 42},    {"\xA1\xCC", 0}};
  IniProfile ini(Path());
  for (const auto& c : cases) {
    ini.WriteString("vexo", "n", c.value);
    EXPECT_EQ(ini.ReadInt("vexo", "n", 42), c.expected) << c.value;
  }
  EXPECT_EQ(ini.ReadInt("vexo", "missing", 42), 42);
  // Absurdly many digits stop growing instead of overflowing.
  ini.WriteString("vexo", "n", std::string(400, '9'));
  EXPECT_GT(ini.ReadInt("vexo", "n", 42), 0);
  // "ts=" on disk, as a hand-edited file has it.
  Put("[vexo]\r\nts=\r\nru= \r\n");
  EXPECT_EQ(ReadProfileInt(Path(), "vexo", "ts", 1), 1);
  EXPECT_EQ(ReadProfileInt(Path(), "vexo", "ru", 1), 1);
}

TEST_F(IniProfileTest, FileTooLargeToReadIsNeverOverwritten) {
  const std::string big(IniProfile::kMaxFileSize + 1, 'x');
  Put(big);
  EXPECT_EQ(ReadProfileInt(Path(), "vexo", "ts", 1), 1);
  EXPECT_FALSE(WriteProfileInt(Path(), "vexo", "ts", 0));
  EXPECT_EQ(OnDisk().size(), big.size());
}

TEST_F(IniProfileTest, PathThatIsAFolderReadsDefaultsAndRefusesWrites) {
  ASSERT_TRUE(CreateDir(Path()));
  EXPECT_EQ(ReadProfileString(Path(), "vexo", "gjc", "d"), "d");
  EXPECT_FALSE(WriteProfileString(Path(), "vexo", "gjc", "x"));
  EXPECT_TRUE(DirExists(Path()));
}

TEST_F(IniProfileTest, WriteThatFailsHalfWayLeavesTheOldFileIntact) {
  const Bytes old = "[vexo]\r\ngjc=old\r\n";
  Put(old);
  IniProfile ini(Path());
  ASSERT_TRUE(ini.Load());
  ini.WriteString("vexo", "gjc", std::string(64 * 1024, 'k'));
  // The disk "fills up" after 4 KB of the new file.
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ::setrlimit(RLIMIT_FSIZE, &small);
  const bool saved_ok = ini.Save();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(saved_ok);
  EXPECT_EQ(OnDisk(), old);
}

}  // namespace
}  // namespace vexo

namespace vexo {
namespace {

TEST_F(IniProfileTest, ALargestFileOfBlankLinesIsReadOnceForManyKeys) {
  // Before the index, every key read split the whole file into lines again:
  // the 48 reads of opening the news window froze the program for half a
  // minute on such a file.
  std::string content(IniProfile::kMaxFileSize - 64, '\n');
  content += "[vexo]\r\nts=0\r\nk7=seven\r\n";
  Put(content);
  IniProfile ini(Path());
  ASSERT_TRUE(ini.Load());
  for (int i = 0; i < 48; ++i)
    EXPECT_EQ(ini.ReadString("vexo", "k" + std::to_string(i % 8), "-"), i % 8 == 7 ? "seven" : "-");
  EXPECT_EQ(ini.ReadInt("vexo", "ts", 1), 0);
  ini.WriteInt("vexo", "ts", 1);
  EXPECT_EQ(ini.ReadInt("vexo", "ts", 0), 1);
  ASSERT_TRUE(ini.Save());
  content.replace(content.find("ts=0"), 4, "ts=1");
  EXPECT_EQ(OnDisk(), content) << "the blank lines kept as they were";
}

}  // namespace
}  // namespace vexo
