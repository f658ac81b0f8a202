// A run's record of its volumes: each volume is asked its questions by its
// first file only, each keeps its own answers, and an answer the volume did
// not give is asked for again. The spy plays the volumes: its serial number,
// cluster and flags stand for the volume the next file lies on.
#include <gtest/gtest.h>

#include <windows.h>

#include "EraseSpy.h"
#include "TestSupport.h"
#include "erase/Eraser.h"

using namespace engine_test;
using testing_support::Exists;
using testing_support::TempFolder;

namespace {

constexpr DWORD kBlockRefcounting = 0x08000000;
constexpr uint32_t kVolumeA = 0x0A0A0A0A;
constexpr uint32_t kVolumeB = 0x0B0B0B0B;

// A folder held as the walk holds it, and its files erased as the worker
// erases them: with their listing and the run's record.
class ListedRun {
 public:
  ListedRun()
      : folder_(::CreateFileA(temp_.path().c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
  ~ListedRun() { ::CloseHandle(folder_); }
  ListedRun(const ListedRun&) = delete;
  ListedRun& operator=(const ListedRun&) = delete;

  // Makes `name` of `size` bytes and erases it as listed on volume `serial`
  // (which the spy must report), with the file id `idOffset` off its own.
  int32_t Erase(const std::string& name, size_t size, uint32_t serial, uint64_t idOffset = 0) {
    last = temp_.MakeFile(name, std::string(size, 'v'));
    const std::wstring wide = Wide(name);
    const FileIdentity listed{serial, FileIdOf(last) + idOffset};
    const ErasedPlace place{folder_, wide.c_str(), static_cast<uint32_t>(wide.size()), listed.fileId};
    EraseRequest request;
    request.volumes = &volumes;
    return EraseListedFile(Wide(last).c_str(), listed, place, request);
  }

  EraseVolumes volumes;
  std::string last;

 private:
  static uint64_t FileIdOf(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION information = {};
    ::GetFileInformationByHandle(file, &information);
    ::CloseHandle(file);
    return (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  }

  TempFolder temp_;
  HANDLE folder_;
};

using Locks = std::vector<std::pair<uint64_t, DWORD>>;

// The volume questions of the files so far.
int Questions(const EraseSpy& spy) { return spy.count[kVolumePath] + spy.count[kDiskFree] + spy.count[kVolumeFlags]; }

TEST(EraseVolumes, EachVolumeIsAskedByItsFirstFileAndKeepsItsOwnAnswers) {
  ListedRun run;
  EraseSpy spy;
  spy.volumeSerial = kVolumeA;
  spy.cluster = 8;  // 4 KiB, writing in place
  EXPECT_EQ(EraseOverwritten, run.Erase("a1.bin", 1000, kVolumeA));
  EXPECT_EQ(3, Questions(spy)) << "its root, its units, its flags";
  EXPECT_EQ(EraseOverwritten, run.Erase("a2.bin", 1000, kVolumeA));
  EXPECT_EQ(3, Questions(spy)) << "the second file of the volume asks nothing";

  spy.volumeSerial = kVolumeB;
  spy.cluster = 16;  // 8 KiB, writing elsewhere
  spy.volumeFlags = kBlockRefcounting;
  EXPECT_EQ(EraseNotInPlace, run.Erase("b1.bin", 1000, kVolumeB));
  EXPECT_EQ(6, Questions(spy)) << "another volume is asked for itself";

  // Were volume A asked again, it would now answer as B does.
  spy.volumeSerial = kVolumeA;
  EXPECT_EQ(EraseOverwritten, run.Erase("a3.bin", 1000, kVolumeA));
  spy.volumeSerial = kVolumeB;
  EXPECT_EQ(EraseNotInPlace, run.Erase("b2.bin", 1000, kVolumeB));
  EXPECT_EQ(6, Questions(spy));
  EXPECT_EQ((Locks{{0, 4096}, {0, 4096}, {0, 8192}, {0, 4096}, {0, 8192}}), spy.locks)
      << "each file's slack runs to its own volume's cluster";
  EXPECT_EQ(2u, run.volumes.size());
  EXPECT_FALSE(Exists(run.last));
}

TEST(EraseVolumes, AnAnswerTheVolumeDidNotGiveIsAskedForAgain) {
  {
    ListedRun run;
    EraseSpy spy;
    spy.volumeSerial = kVolumeA;
    spy.cluster = 8;
    spy.Fail(kDiskFree, ERROR_NOT_READY, 1);
    EXPECT_EQ(EraseOverwritten, run.Erase("u1.bin", 1000, kVolumeA));
    EXPECT_EQ(EraseOverwritten, run.Erase("u2.bin", 1000, kVolumeA));
    EXPECT_EQ(EraseOverwritten, run.Erase("u3.bin", 1000, kVolumeA));
    EXPECT_EQ(2, spy.count[kDiskFree]) << "asked again after the failure, then kept";
    EXPECT_EQ((Locks{{0, 1000}, {0, 4096}, {0, 4096}}), spy.locks) << "only the first file goes without its slack";
    EXPECT_EQ(1, spy.count[kVolumeFlags]) << "the flags it did give were kept";
  }
  {
    ListedRun run;
    EraseSpy spy;
    spy.volumeSerial = kVolumeA;
    spy.volumeFlags = kBlockRefcounting;
    spy.Fail(kVolumeFlags, ERROR_INVALID_FUNCTION, 1);
    EXPECT_EQ(EraseOverwritten, run.Erase("f1.bin", 1000, kVolumeA)) << "taken at its word of old, this once";
    EXPECT_EQ(EraseNotInPlace, run.Erase("f2.bin", 1000, kVolumeA));
    EXPECT_EQ(EraseNotInPlace, run.Erase("f3.bin", 1000, kVolumeA));
    EXPECT_EQ(2, spy.count[kVolumeFlags]);
    EXPECT_EQ(1, spy.count[kDiskFree]);
  }
}

TEST(EraseVolumes, OnlyAHandleThatIsTheListedFileTeachesTheRecord) {
  ListedRun run;
  EraseSpy spy;
  spy.volumeSerial = kVolumeA;
  spy.cluster = 16;
  EXPECT_EQ(EraseFailed, run.Erase("swapped.bin", 1000, kVolumeA, 1)) << "another file under the listed name";
  EXPECT_EQ(0u, run.volumes.size()) << "its volume's answers may be another volume's";
  spy.volumeSerial = kVolumeB;
  EXPECT_EQ(EraseFailed, run.Erase("moved.bin", 1000, kVolumeA)) << "the listed file, but on another volume";
  EXPECT_EQ(0u, run.volumes.size());
  spy.volumeSerial = kVolumeA;
  EXPECT_EQ(EraseOverwritten, run.Erase("kept.bin", 1000, kVolumeA));
  EXPECT_EQ(3, spy.count[kDiskFree]) << "asked anew until a file proved to lie on the volume";
  EXPECT_EQ(1u, run.volumes.size());
}

TEST(EraseVolumes, AnErasureWithoutItsListingAsksForEveryFile) {
  TempFolder temp;
  EraseVolumes volumes;
  EraseSpy spy;
  spy.cluster = 8;
  EraseRequest request;
  request.volumes = &volumes;
  for (const char* name : {"p1.bin", "p2.bin"}) {
    const std::string file = temp.MakeFile(name, std::string(1000, 'p'));
    EXPECT_EQ(EraseOverwritten, EraseAndDelete(Wide(file).c_str(), request));
  }
  EXPECT_EQ(2, spy.count[kDiskFree]) << "no serial number to know the volume by before the open";
  EXPECT_EQ(2, spy.count[kVolumeFlags]);
  EXPECT_EQ(0u, volumes.size());
}

}  // namespace
