// The window program's own options: help, version, and nothing else.
#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <sstream>

#include "platform/message_box.h"
#include "platform/single_instance.h"
#include "texts/texts.h"

#include "vexo_version.h"

namespace vexo {
namespace {

struct Outcome {
  std::optional<int> code;
  std::string out;
  std::string err;
};

Outcome RunProgram(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  Outcome o;
  o.code = HandleProgramCommandLine(args, out, err);
  o.out = out.str();
  o.err = err.str();
  return o;
}

TEST(ProgramCommandLine, NoArgumentsOpensTheWindow) {
  const Outcome o = RunProgram({});
  EXPECT_FALSE(o.code.has_value());
  EXPECT_EQ(o.out + o.err, "");
}

TEST(ProgramCommandLine, VersionIsTheProjectVersion) {
  for (const char* option : {"--version", "-v"}) {
    const Outcome o = RunProgram({option});
    EXPECT_EQ(o.code, kProgramOk);
    EXPECT_EQ(o.out, std::string("vexo ") + kVersion + "\n");
    EXPECT_EQ(o.err, "");
  }
  EXPECT_NE(std::string(kVersion), "");
}

TEST(ProgramCommandLine, HelpShowsTheUsageAndTheOptions) {
  for (const char* option : {"--help", "-h"}) {
    const Outcome o = RunProgram({option});
    EXPECT_EQ(o.code, kProgramOk);
    EXPECT_EQ(o.out.rfind("usage: vexo ", 0), 0u);
    EXPECT_NE(o.out.find("--version"), std::string::npos);
    EXPECT_EQ(o.err, "");
  }
}

TEST(ProgramCommandLine, AnythingElseIsAnErrorWithTheUsage) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--frobnicate"}, {"-x"}, {"file.txt"}, {"--version", "extra"}, {"--help=1"}}) {
    const Outcome o = RunProgram(args);
    EXPECT_EQ(o.code, kProgramBadUsage) << testing::PrintToString(args);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err.rfind("vexo: ", 0), 0u) << o.err;
    EXPECT_NE(o.err.find("usage: vexo "), std::string::npos) << o.err;
  }
}

TEST(ProgramCommandLine, AFolderThatCannotBeLockedIsExplainedInABoxAsWellAsOnErr) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString() + "/";
  std::filesystem::create_directories(folder + "vexo.lock/kept");
  FolderLock lock(folder);
  ASSERT_EQ(lock.TryLock(), FolderLock::Outcome::kFailed);
  ScriptedMessageBoxes boxes;
  std::ostringstream err;
  EXPECT_EQ(RefuseFolder(lock, false, folder, err, boxes), kProgramFailed);
  EXPECT_NE(err.str().find(folder + "vexo.lock"), std::string::npos) << err.str();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, Texts().msg_caption);
  EXPECT_NE(boxes.shown[0].text.find(folder + "vexo.lock"), std::string::npos);
}

}  // namespace
}  // namespace vexo
