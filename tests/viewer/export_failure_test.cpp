// Exports that cannot be written leave no files behind and say why.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>

#include "export_fixture.h"

namespace vexo::export_test {
namespace {

TEST_F(ExportTest, MissingFolderWritesNothing) {
  LayOutRun(45);
  ExportRequest r = Request(ExportKind::Html, "back.htm");
  r.folder = out_ + "/no/such/folder";
  const ExportResult result = WriteExport(r);
  EXPECT_EQ(result.status, ExportStatus::kNoFolder);
  EXPECT_TRUE(result.files.empty());
  EXPECT_FALSE(DirExists(r.folder));
}

TEST_F(ExportTest, AFileInPlaceOfTheFolderIsNoFolder) {
  LayOutRun(5);
  ASSERT_TRUE(WriteFileAtomic(out_ + "/plain", "x"));
  ExportRequest r = Request(ExportKind::Text, "back.txt");
  r.folder = out_ + "/plain";
  EXPECT_EQ(WriteExport(r).status, ExportStatus::kNoFolder);
}

TEST_F(ExportTest, ReadOnlyFolderWritesNothing) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  LayOutRun(45);
  std::filesystem::permissions(
      out_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const ExportResult result = Export(ExportKind::Html);
  std::filesystem::permissions(out_, std::filesystem::perms::owner_all);
  EXPECT_EQ(result.status, ExportStatus::kWriteFailed);
  EXPECT_TRUE(OutNames().empty());
}

TEST_F(ExportTest, FailureHalfWayLeavesNeitherPagesNorTemporaryFiles) {
  // Each page is a few kilobytes; the early pages fit, page 7 does not.
  titles_[150] = Bytes(20000, 'x');
  LayOutRun(200);
  ExportResult result;
  {
    FileSizeLimit limit(12000);
    result = Export(ExportKind::Html);
  }
  EXPECT_EQ(result.status, ExportStatus::kWriteFailed);
  EXPECT_TRUE(result.files.empty());
  EXPECT_TRUE(OutNames().empty());
}

TEST_F(ExportTest, EarlierFilesOfTheSameNameSurviveAFailedExport) {
  ASSERT_TRUE(WriteFileAtomic(Out("back.txt"), "earlier"));
  titles_[900] = Bytes(300000, 'x');
  LayOutRun(1000);
  ExportResult result;
  {
    FileSizeLimit limit(200000);
    result = Export(ExportKind::Text);
  }
  EXPECT_EQ(result.status, ExportStatus::kWriteFailed);
  EXPECT_EQ(Read("back.txt"), "earlier");
  EXPECT_EQ(OutNames(), std::vector<std::string>{"back.txt"});
}

TEST_F(ExportTest, FolderInTheWayOfALaterPageStopsTheExportBeforeAnyRename) {
  ASSERT_TRUE(WriteFileAtomic(Out("back.htm"), "earlier"));
  std::filesystem::create_directories(Out("back2.htm/inside"));
  LayOutRun(45);
  EXPECT_EQ(Export(ExportKind::Html).status, ExportStatus::kWriteFailed);
  EXPECT_EQ(Read("back.htm"), "earlier");
  EXPECT_EQ(OutNames(), (std::vector<std::string>{"back.htm", "back2.htm"}));
}

TEST_F(ExportTest, UnreadableBlockFileStopsTheExportBeforeAnyFile) {
  LayOutRun(410);
  // A folder in place of block file 2 is no block file: skipped like a
  // missing one.
  DeleteFile(BlockPath(2));
  std::filesystem::create_directories(BlockPath(2));
  EXPECT_EQ(Export(ExportKind::Text).status, ExportStatus::kDone);
  std::filesystem::remove(BlockPath(2));
  std::filesystem::remove(Out("back.txt"));

  // A block file too large to be a block (sparse, so nothing is written).
  LayOutRun(410);
  std::filesystem::resize_file(BlockPath(2), 65u << 20);
  const ExportResult result = Export(ExportKind::Text);
  EXPECT_EQ(result.status, ExportStatus::kReadFailed);
  EXPECT_TRUE(OutNames().empty());
}

TEST_F(ExportTest, SuccessfulExportListsItsFilesAndLeavesNoTemporaryFiles) {
  LayOutRun(45);
  const ExportResult result = Export(ExportKind::Html);
  ASSERT_EQ(result.status, ExportStatus::kDone);
  EXPECT_EQ(result.files,
            (std::vector<std::string>{Out("back.htm"), Out("back1.htm"), Out("back2.htm")}));
  EXPECT_EQ(OutNames().size(), 3u);
}

TEST_F(ExportTest, DamagedBlockNumbersEndQuietly) {
  LayOutRun(5);
  ExportRequest r = Request(ExportKind::Text, "back.txt");
  r.last_block = 9'000'000'000'000'000'000LL;
  r.first_block = -9'000'000'000'000'000'000LL;
  EXPECT_EQ(WriteExport(r).status, ExportStatus::kDone);
  r.last_block = 5'000'000;
  r.first_block = -5;
  EXPECT_EQ(WriteExport(r).status, ExportStatus::kDone);  // bounded walk over missing files
  EXPECT_EQ(TextRows(Read("back.txt")).size(), 5u);

  for (const long long count : {LLONG_MIN, -1LL, LLONG_MAX}) {
    r = Request(ExportKind::Html, "back.htm");
    r.sum1 = count;
    EXPECT_EQ(WriteExport(r).status, ExportStatus::kDone) << count;
    EXPECT_EQ(RowNumbers(Read("back.htm")).size(), 5u);
  }
}

}  // namespace
}  // namespace vexo::export_test
