// Byte sizes and the closing report of a run.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "operations/OperationTexts.h"
#include "tests/native/TableStrings.h"

namespace {

std::string Size(uint64_t bytes) { return FormatByteSize(bytes, TableString); }

}  // namespace

TEST(ReportText, ByteSizesStepBy1024AndRoundLikePrintf) {
  EXPECT_EQ("0 bytes", Size(0));
  EXPECT_EQ("1 byte", Size(1));
  EXPECT_EQ("1023 bytes", Size(1023));
  EXPECT_EQ("1.0 Kb", Size(1024));
  EXPECT_EQ("1.5 Kb", Size(1536));
  EXPECT_EQ("1024.0 Kb", Size(1048575));  // below 1024 Kb before rounding
  EXPECT_EQ("1.0 Mb", Size(1048576));
  EXPECT_EQ("1024.0 Mb", Size(1073741823));
  EXPECT_EQ("1.0 Gb", Size(1073741824));
  EXPECT_EQ("5.0 Gb", Size(5368709120ull));
  EXPECT_EQ("1048576.0 Gb", Size(1ull << 50));
  EXPECT_EQ("17179869184.0 Gb", Size(0xFFFFFFFFFFFFFFFFull));
}

TEST(ReportText, DeleteReportListsFilesAndFoldersWithTheirErrors) {
  OperationCounts counts;
  counts.filesDeleted = 12;
  counts.foldersRemoved = 3;
  counts.bytesFreed = 1572864;
  EXPECT_EQ(
      "Report:\n\n1.5 Mb diskspace has been freed\n12 files have been deleted (0 errors).\n"
      "3 folders have been removed (0 errors).",
      ComposeReport(ModeDelete, counts, TableString));
  counts = OperationCounts();
  counts.filesDeleted = 1;
  counts.foldersRemoved = 1;
  counts.fileErrors = 1;
  counts.folderErrors = 2;
  counts.bytesFreed = 1;
  EXPECT_EQ(
      "Report:\n\n1 byte diskspace has been freed\n1 file has been deleted (1 error).\n"
      "1 folder has been removed (2 errors).",
      ComposeReport(ModeErase, counts, TableString));
}

TEST(ReportText, FilesNotOverwrittenInPlaceGetALineOfTheirOwn) {
  OperationCounts counts;
  counts.filesDeleted = 4;
  counts.notInPlace = 2;
  EXPECT_EQ(
      "Report:\n\n0 bytes diskspace has been freed\n4 files have been deleted (0 errors).\n"
      "0 folders have been removed (0 errors).\n"
      "2 files could not be overwritten in place (compressed, encrypted or sparse).",
      ComposeReport(ModeErase, counts, TableString));
}

TEST(ReportText, CleanReportHasNoFolderLine) {
  OperationCounts counts;
  counts.filesDeleted = 1;
  counts.fileErrors = 1;
  counts.foldersRemoved = 7;  // never shown for Clean
  counts.bytesFreed = 2048;
  EXPECT_EQ("Report:\n\n2.0 Kb diskspace has been freed\n1 file has been deleted (1 error).",
            ComposeReport(ModeClean, counts, TableString));
}

TEST(ReportText, RunCancelledBeforeAnyWorkReportsZeros) {
  EXPECT_EQ(
      "Report:\n\n0 bytes diskspace has been freed\n0 files have been deleted (0 errors).\n"
      "0 folders have been removed (0 errors).",
      ComposeReport(ModeRecycle, OperationCounts(), TableString));
}

TEST(ReportText, MissingStringsLeaveEmptyPieces) {
  auto without = [](unsigned skip) {
    return [skip](unsigned id) { return id == skip ? std::string() : TableString(id); };
  };
  OperationCounts counts;
  counts.filesDeleted = 2;
  EXPECT_EQ("Report:\n\n\n2 files have been deleted (0 errors).", ComposeReport(ModeClean, counts, without(431)));
  EXPECT_EQ("Report:\n\n diskspace has been freed\n2 files have been deleted (0 errors).",
            ComposeReport(ModeClean, counts, without(427)));
  EXPECT_EQ("", ComposeReport(ModeClean, counts, without(424)));
}
