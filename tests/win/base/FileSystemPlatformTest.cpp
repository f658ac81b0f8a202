// What the file-system seam opens is closed through the table in use, once,
// and never where nothing was opened.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "base/FileSystemPlatform.h"
#include "tests/shared/SeamOverride.h"

namespace {

std::vector<HANDLE> closed, findsClosed;
BOOL WINAPI RecordClose(HANDLE handle) {
  closed.push_back(handle);
  return TRUE;
}
BOOL WINAPI RecordFindClose(HANDLE listing) {
  findsClosed.push_back(listing);
  return TRUE;
}

HANDLE Fake(uintptr_t value) { return reinterpret_cast<HANDLE>(value); }

class SeamOwners : public testing::Test {
 protected:
  void SetUp() override {
    closed.clear();
    findsClosed.clear();
    calls->closeHandle = &RecordClose;
    calls->findClose = &RecordFindClose;
  }
  SeamOverride<FileSystemPlatform> calls{FileSystemCalls()};
};

}  // namespace

TEST_F(SeamOwners, AFileIsClosedOnceThroughTheTableAndNothingWhereNothingWasOpened) {
  {
    SeamFile none;
    SeamFile null;
    *null.put() = nullptr;  // what a failed openAt leaves
    SeamFile file(Fake(0x40));
    SeamFile moved(std::move(file));
    EXPECT_EQ(Fake(0x40), moved.get());
  }
  EXPECT_EQ(std::vector<HANDLE>{Fake(0x40)}, closed);
  EXPECT_TRUE(findsClosed.empty());

  SeamFile reused(Fake(0x44));
  reused.reset(Fake(0x48));
  EXPECT_EQ((std::vector<HANDLE>{Fake(0x40), Fake(0x44)}), closed);
  reused.reset();
  EXPECT_EQ((std::vector<HANDLE>{Fake(0x40), Fake(0x44), Fake(0x48)}), closed);
}

TEST_F(SeamOwners, AListingIsClosedWithFindCloseAndAFailedOneNotAtAll) {
  {
    SeamFind failed(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(failed);
    SeamFind listing(Fake(0x80));
    EXPECT_TRUE(listing);
  }
  EXPECT_EQ(std::vector<HANDLE>{Fake(0x80)}, findsClosed);
  EXPECT_TRUE(closed.empty());
}

TEST(FileSystemSeam, TheTableInUseStartsAsTheSystemsOwn) {
  const FileSystemPlatform& real = RealFileSystemCalls();
  FileSystemPlatform& live = FileSystemCalls();
  EXPECT_EQ(real.closeHandle, live.closeHandle);
  EXPECT_EQ(real.openAt, live.openAt);
  EXPECT_EQ(real.findFirstFile, live.findFirstFile);
  EXPECT_NE(nullptr, real.setFileInformationByHandle);
}
