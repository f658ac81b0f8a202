// The pass loop's reach: the slack behind a file's end, files that cannot
// be overwritten in place, a stop between two chunks, and the read-back of
// the last pass. Wine keeps no sparse, compressed or encrypted files and
// no volume that writes elsewhere: those answers are the spy's.
#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include "EraseSpy.h"
#include "TestSupport.h"
#include "erase/Eraser.h"
#include "erase/RandomName.h"
#include "tests/shared/EraseCycles.h"

using namespace engine_test;
using erase_cycles::Repeated;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::TempFolder;

namespace {

// What follows the last pass of a file: truncated and flushed, its times
// set, its renames, and marked for deletion.
const std::string kEndSteps = "TFS" + std::string(kEraseRenames, 'N') + "X";

constexpr size_t kMiB = size_t{1} << 20;
// Gutmann's pass 7 lays down a three-byte cycle: its phase shows in every
// byte, the slack's included.
const std::string kPass7 = "\x92\x49\x24";

std::string Content(size_t size) { return Repeated("old data ", size); }

// Stops before pass `stopBefore`.
struct Passes {
  int32_t stopBefore = 0;
  std::vector<int32_t> seen;
  static int32_t Callback(int32_t pass, int32_t, void* context) {
    Passes& self = *static_cast<Passes*>(context);
    self.seen.push_back(pass);
    return pass == self.stopBefore ? -1 : 0;
  }
};

EraseRequest Request(uint32_t method, Passes* passes = nullptr) {
  EraseRequest request;
  request.method = method;
  request.onPass = passes ? &Passes::Callback : nullptr;
  request.userData = passes;
  return request;
}

// What the open file held, read through the eraser's own handle just
// before the cut back (nothing else can open it).
std::string beforeCut;
void ReadBeforeCut(HANDLE file) {
  LARGE_INTEGER size, zero = {}, at;
  ::GetFileSizeEx(file, &size);
  ::SetFilePointerEx(file, zero, &at, FILE_CURRENT);
  ::SetFilePointerEx(file, zero, nullptr, FILE_BEGIN);
  beforeCut.assign(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  ::ReadFile(file, &beforeCut[0], static_cast<DWORD>(beforeCut.size()), &read, nullptr);
  beforeCut.resize(read);
  ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
}

uint32_t VolumeCluster(const std::string& path) {
  char root[MAX_PATH];
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, free = 0, total = 0;
  if (!::GetVolumePathNameA(path.c_str(), root, MAX_PATH) ||
      !::GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &free, &total))
    return 0;
  return sectorsPerCluster * bytesPerSector;
}

TEST(EraseSlack, LastChunkRunsToTheClusterEndInPhaseAndTheSizeComesBack) {
  TempFolder temp;
  const std::string file = temp.MakeFile("slack.bin", Content(5000));
  EraseSpy spy;
  spy.cluster = 16;  // 8 KiB
  spy.beforeEndOfFile = ReadBeforeCut;
  Passes passes;
  passes.stopBefore = 8;
  EXPECT_EQ(EraseFailed, EraseAndDelete(Wide(file).c_str(), Request(Gutmann35Pass, &passes)));
  EXPECT_EQ(Repeated(kPass7, 8192), beforeCut) << "the slack holds the pattern, byte k = P[k mod 3]";
  EXPECT_EQ(Repeated(kPass7, 5000), ReadFileBytes(file)) << "and the file its own size";
  std::string steps;
  for (int pass = 0; pass < 7; ++pass) steps += "RPLWUFRE";
  EXPECT_EQ(steps, spy.steps);
  EXPECT_EQ(std::vector<size_t>{8192}, spy.allocations) << "the buffer holds the slack too";
  for (const auto& lock : spy.locks) EXPECT_EQ((std::pair<uint64_t, DWORD>{0, 8192}), lock);
}

TEST(EraseSlack, TheVolumesOwnClusterIsTheOneUsed) {
  TempFolder temp;
  const std::string file = temp.MakeFile("real.bin", Content(kMiB + 3));
  const uint32_t cluster = VolumeCluster(file);
  ASSERT_GT(cluster, 1u);
  EraseSpy spy;
  EXPECT_EQ(EraseOverwritten, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr));
  EXPECT_EQ((std::vector<std::pair<uint64_t, DWORD>>{{0, DWORD{kMiB}}, {kMiB, cluster}}), spy.locks);
  EXPECT_EQ("RPLWUFPLWUFRE" + kEndSteps, spy.steps);
  EXPECT_FALSE(Exists(file));
}

TEST(EraseSlack, NoCutBackWithoutSlackAndNoSlackWithoutACluster) {
  {
    TempFolder temp;
    const std::string file = temp.MakeFile("whole.bin", Content(8192));
    EraseSpy spy;
    spy.cluster = 8;
    EXPECT_EQ(EraseOverwritten, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr));
    EXPECT_EQ("RPLWUF" + kEndSteps, spy.steps) << "a file that ends on a cluster's end";
  }
  for (const SpyCall refused : {kVolumePath, kDiskFree}) {
    TempFolder temp;
    const std::string file = temp.MakeFile("unknown.bin", Content(5000));
    EraseSpy spy;
    spy.Fail(refused, ERROR_NOT_READY);
    EXPECT_EQ(EraseOverwritten, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr)) << refused;
    EXPECT_EQ("RPLWUF" + kEndSteps, spy.steps) << "the volume will not tell: the passes end at the file's end";
    EXPECT_EQ((std::vector<std::pair<uint64_t, DWORD>>{{0, 5000}}), spy.locks);
  }
}

TEST(EraseSlack, TheSizeComesBackOnEveryWayOutAndAFailedCutIsAFailure) {
  struct Case {
    SpyCall call;
    DWORD error;
  } cases[] = {{kWrite, ERROR_DISK_FULL}, {kFlush, ERROR_IO_DEVICE}, {kEndOfFile, ERROR_ACCESS_DENIED}};
  for (const Case& c : cases) {
    TempFolder temp;
    const std::string file = temp.MakeFile("cut.bin", Content(5000));
    {
      EraseSpy spy;
      spy.cluster = 8;
      spy.Fail(c.call, c.error);
      ::SetLastError(0);
      EXPECT_EQ(EraseFailed, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr)) << c.call;
      EXPECT_EQ(c.error, ::GetLastError()) << c.call;
      EXPECT_EQ('E', spy.steps.back()) << "cut back after the failed chunk";
      EXPECT_EQ(0, spy.count[kDelete]);
    }
    if (c.call != kEndOfFile) {
      EXPECT_EQ(5000u, ReadFileBytes(file).size()) << c.call;
    }
    EXPECT_TRUE(Exists(file));
  }
}

// A file of 3 MiB + 100 bytes of which the spy says three ranges hold data.
struct SparseFile {
  explicit SparseFile(EraseSpy& spy) : file(temp.MakeFile("sparse.bin", Content(kSize))) {
    spy.cluster = 8;
    spy.fileAttributes = FILE_ATTRIBUTE_SPARSE_FILE;
    spy.ranges = {{4096, 4096}, {kMiB + 100, kMiB + 5000}, {3 * kMiB, 100}};
  }
  static constexpr size_t kSize = 3 * kMiB + 100;
  TempFolder temp;
  std::string file;
};

// The ranges of SparseFile, rounded out to 4 KiB clusters, in chunks.
const std::vector<std::pair<uint64_t, DWORD>> kSparseChunks = {
    {4096, 4096}, {kMiB, DWORD{kMiB}}, {2 * kMiB, 8192}, {3 * kMiB, 4096}};

TEST(EraseOutOfPlace, SparseFileIsWrittenOverItsAllocatedRangesOnly) {
  EraseSpy spy;
  SparseFile sparse(spy);
  spy.rangesPerAnswer = 1;  // every range an answer of its own
  Passes passes;
  passes.stopBefore = 8;
  EXPECT_EQ(EraseFailed, EraseAndDelete(Wide(sparse.file).c_str(), Request(Gutmann35Pass, &passes)));
  EXPECT_EQ(7u * kSparseChunks.size(), spy.locks.size());
  for (size_t i = 0; i < spy.locks.size(); ++i) EXPECT_EQ(kSparseChunks[i % kSparseChunks.size()], spy.locks[i]);
  EXPECT_EQ((std::vector<std::pair<uint64_t, uint64_t>>{
                {0, SparseFile::kSize}, {8192, SparseFile::kSize - 8192}, {2 * kMiB + 5100, kMiB - 5000}}),
            spy.rangeQueries)
      << "asked again from the end of the last range given";
  // Each range holds the pattern in its phase to the file's first byte;
  // the holes hold what they held.
  const std::string on = ReadFileBytes(sparse.file);
  ASSERT_EQ(SparseFile::kSize, on.size());
  const std::string pattern = Repeated(kPass7, SparseFile::kSize);
  const std::string old = Content(SparseFile::kSize);
  std::string expected = old;
  for (const auto& chunk : kSparseChunks) {
    const size_t end = std::min<size_t>(chunk.first + chunk.second, SparseFile::kSize);
    expected.replace(chunk.first, end - chunk.first, pattern, chunk.first, end - chunk.first);
  }
  EXPECT_TRUE(expected == on) << "ranges overwritten in phase, holes untouched";
}

TEST(EraseOutOfPlace, SparseFileIsRemovedAndNotClaimed) {
  EraseSpy spy;
  SparseFile sparse(spy);
  EXPECT_EQ(EraseNotInPlace, EraseAndDelete(Wide(sparse.file).c_str(), ZeroPass, nullptr, nullptr));
  EXPECT_EQ(kSparseChunks, spy.locks);
  EXPECT_EQ(std::vector<size_t>{kMiB}, spy.allocations);
  EXPECT_FALSE(Exists(sparse.file));
}

TEST(EraseOutOfPlace, SparseFileWhoseRangesCannotBeListedIsKeptUnwritten) {
  // Wine's own answer to the query (ERROR_NOT_SUPPORTED), and a failure.
  for (const DWORD error : {DWORD{0}, DWORD{ERROR_INVALID_FUNCTION}}) {
    TempFolder temp;
    const std::string file = temp.MakeFile("s.bin", Content(5000));
    EraseSpy spy;
    spy.fileAttributes = FILE_ATTRIBUTE_SPARSE_FILE;
    if (error) spy.Fail(kIoControl, error);
    ::SetLastError(0);
    EXPECT_EQ(EraseFailed, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr));
    EXPECT_EQ(error ? error : DWORD{ERROR_NOT_SUPPORTED}, ::GetLastError());
    EXPECT_EQ(std::vector<DWORD>{FSCTL_QUERY_ALLOCATED_RANGES}, spy.ioControls);
    EXPECT_EQ(0, spy.count[kWrite]) << "the whole file would fill the disk";
    EXPECT_EQ(Content(5000), ReadFileBytes(file));
  }
}

TEST(EraseOutOfPlace, CompressedFileIsDecompressedBeforeThePasses) {
  TempFolder temp;
  const std::string file = temp.MakeFile("c.bin", Content(5000));
  {
    EraseSpy spy;
    spy.fileAttributes = FILE_ATTRIBUTE_COMPRESSED;
    spy.Fail(kIoControl, ERROR_ACCESS_DENIED);
    ::SetLastError(0);
    EXPECT_EQ(EraseFailed, EraseAndDelete(Wide(file).c_str(), DoD3Pass, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), ::GetLastError());
    EXPECT_EQ(0, spy.count[kWrite]) << "zeros would compress to nothing";
    EXPECT_EQ(Content(5000), ReadFileBytes(file));
  }
  EraseSpy spy;
  spy.fileAttributes = FILE_ATTRIBUTE_COMPRESSED;
  Passes passes;
  EXPECT_EQ(EraseNotInPlace, EraseAndDelete(Wide(file).c_str(), Request(DoD3Pass, &passes)));
  EXPECT_EQ(std::vector<DWORD>{FSCTL_SET_COMPRESSION}, spy.ioControls);
  EXPECT_EQ(0u, spy.fileAttributes) << "decompressed";
  EXPECT_EQ(3, spy.count[kWrite]);
  EXPECT_FALSE(Exists(file));
}

TEST(EraseOutOfPlace, EncryptedFilesAndVolumesThatWriteElsewhereAreWrittenAsTheyAreButNotClaimed) {
  struct Case {
    DWORD attributes;
    DWORD volumeFlags;
    int32_t outcome;
  } cases[] = {
      {FILE_ATTRIBUTE_ENCRYPTED, 0, EraseNotInPlace},
      {0, 0x08000000 /* block refcounting */, EraseNotInPlace},
      {0, FILE_SUPPORTS_INTEGRITY_STREAMS, EraseNotInPlace},
      {0, FILE_SUPPORTS_SPARSE_FILES | FILE_FILE_COMPRESSION | FILE_SUPPORTS_ENCRYPTION, EraseOverwritten},
      {FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN, 0, EraseOverwritten},
  };
  for (const Case& c : cases) {
    TempFolder temp;
    const std::string file = temp.MakeFile("e.bin", Content(5000));
    EraseSpy spy;
    spy.fileAttributes = c.attributes;
    spy.volumeFlags = c.volumeFlags;
    EXPECT_EQ(c.outcome, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr)) << c.attributes << " "
                                                                                         << c.volumeFlags;
    EXPECT_TRUE(spy.ioControls.empty());
    EXPECT_EQ(1, spy.count[kWrite]) << "written in full through the platform";
    EXPECT_FALSE(Exists(file));
  }
}

TEST(EraseOutOfPlace, AVolumeThatWillNotTellIsTakenAtItsOldWord) {
  TempFolder temp;
  const std::string file = temp.MakeFile("v.bin", Content(5000));
  EraseSpy spy;
  spy.Fail(kVolumeFlags, ERROR_INVALID_FUNCTION);
  EXPECT_EQ(EraseOverwritten, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr));
}

// Stops after the chunk numbered `stopAt` (from 1, over all passes) with
// `stopWith`; records each chunk's length.
struct Chunks {
  size_t stopAt = 0;
  int32_t stopWith = -1;
  std::vector<uint64_t> seen;
  static int32_t Callback(uint64_t bytes, void* context) {
    Chunks& self = *static_cast<Chunks*>(context);
    self.seen.push_back(bytes);
    return self.seen.size() == self.stopAt ? self.stopWith : 0;
  }
};

EraseRequest ChunkRequest(uint32_t method, Chunks* chunks) {
  EraseRequest request;
  request.method = method;
  request.onChunk = &Chunks::Callback;
  request.userData = chunks;
  return request;
}

std::vector<std::pair<Result, std::string>> traced;
void Trace(Result code, const char* unit, int) { traced.emplace_back(code, unit); }

TEST(EraseChunkStop, StopTakesEffectAtTheNextChunkAndLeavesTheFilePartlyErased) {
  TempFolder temp;
  const size_t size = 3 * kMiB + 5;
  const std::string file = temp.MakeFile("stop.bin", Content(size));
  EraseSpy spy;
  spy.cluster = 8;
  Chunks chunks;
  chunks.stopAt = 6;  // the second chunk of pass 2
  chunks.stopWith = ERROR_CANCELLED;
  traced.clear();
  const ErrorTraceHook previous = SetErrorTraceHook(Trace);
  ::SetLastError(0);
  EXPECT_EQ(EraseFailed, EraseAndDelete(Wide(file).c_str(), ChunkRequest(DoD3Pass, &chunks)));
  SetErrorTraceHook(previous);
  EXPECT_EQ(static_cast<DWORD>(ERROR_CANCELLED), ::GetLastError());
  EXPECT_TRUE(traced.empty()) << "the caller's own stop is no failure";
  EXPECT_EQ((std::vector<uint64_t>{kMiB, kMiB, kMiB, 4096, kMiB, kMiB}), chunks.seen) << "slack included";
  EXPECT_EQ(6, spy.count[kWrite]) << "nothing written after the stop";
  EXPECT_EQ(std::string(2 * kMiB, '\xFF') + std::string(size - 2 * kMiB, '\0'), ReadFileBytes(file))
      << "kept under its name, partly erased";
}

TEST(EraseChunkStop, StopOnTheSlackChunkStillCutsBackAndThePassCallbackKeepsItsMeaning) {
  TempFolder temp;
  const std::string file = temp.MakeFile("slack.bin", Content(5000));
  EraseSpy spy;
  spy.cluster = 8;
  // Both callbacks share the user data: it is handed to each as it is.
  struct Both {
    Chunks chunks;
    Passes passes;
  } both;
  both.chunks.stopAt = 2;  // the only chunk of pass 2
  EraseRequest request = Request(DoD3Pass);
  request.onPass = [](int32_t pass, int32_t count, void* data) {
    return Passes::Callback(pass, count, &static_cast<Both*>(data)->passes);
  };
  request.onChunk = [](uint64_t bytes, void* data) { return Chunks::Callback(bytes, &static_cast<Both*>(data)->chunks); };
  request.userData = &both;
  ::SetLastError(0);
  EXPECT_EQ(EraseFailed, EraseAndDelete(Wide(file).c_str(), request));
  EXPECT_EQ(0xFFFFFFFFu, ::GetLastError());
  EXPECT_EQ((std::vector<int32_t>{1, 2}), both.passes.seen) << "announced before each pass, as before";
  EXPECT_EQ("RPLWUFRERPLWUFRE", spy.steps);
  EXPECT_EQ(std::string(5000, '\xFF'), ReadFileBytes(file));
}

TEST(EraseVerify, EveryChunkOfTheLastPassIsReadBackThroughAnUnbufferedHandle) {
  TempFolder temp;
  const size_t size = 2 * kMiB + 5;
  const std::string file = temp.MakeFile("v.bin", Content(size));
  EraseSpy spy;
  spy.cluster = 8;
  EraseRequest request = Request(DoD3Pass);
  request.verify = true;
  EXPECT_EQ(EraseOverwritten, EraseAndDelete(Wide(file).c_str(), request));
  EXPECT_TRUE(spy.createFlags & FILE_FLAG_NO_BUFFERING);
  const std::string pass = "RPLWUFPLWUFPLWUFRE";
  EXPECT_EQ(pass + pass + "RPLWUFRVPLWUFRVPLWUFRVRE" + kEndSteps, spy.steps) << "the last pass alone is read back";
  ASSERT_EQ(9u, spy.written.size());
  EXPECT_EQ(std::vector<std::string>(spy.written.begin() + 6, spy.written.end()), spy.readBack);
  EXPECT_EQ((std::vector<size_t>{kMiB, kMiB}), spy.allocations) << "the read-back buffer is the write buffer's twin";
  EXPECT_EQ(2, spy.count[kRelease]);
  EXPECT_FALSE(Exists(file));
}

TEST(EraseVerify, OffByDefaultAndBufferedWhereTheSectorsAreNotKnown) {
  {
    TempFolder temp;
    const std::string file = temp.MakeFile("off.bin", Content(5000));
    EraseSpy spy;
    EXPECT_EQ(EraseOverwritten, EraseAndDelete(Wide(file).c_str(), Request(ZeroPass)));
    EXPECT_EQ(0, spy.count[kRead]);
    EXPECT_FALSE(spy.createFlags & FILE_FLAG_NO_BUFFERING);
  }
  TempFolder temp;
  const std::string file = temp.MakeFile("unknown.bin", Content(5000));
  EraseSpy spy;
  spy.Fail(kDiskFree, ERROR_NOT_READY);
  EraseRequest request = Request(ZeroPass);
  request.verify = true;
  EXPECT_EQ(EraseOverwritten, EraseAndDelete(Wide(file).c_str(), request));
  EXPECT_FALSE(spy.createFlags & FILE_FLAG_NO_BUFFERING) << "unaligned chunks cannot go unbuffered";
  EXPECT_EQ((std::vector<std::string>{std::string(5000, '\0')}), spy.readBack) << "still read back";
}

TEST(EraseVerify, AReadThatDiffersOrFailsStopsTheFileAndKeepsIt) {
  struct Case {
    bool corrupt;
    DWORD error;
  } cases[] = {{true, ERROR_CRC}, {false, ERROR_READ_FAULT}};
  for (const Case& c : cases) {
    TempFolder temp;
    const size_t size = 2 * kMiB + 5;
    const std::string file = temp.MakeFile("bad.bin", Content(size));
    EraseSpy spy;
    spy.cluster = 8;
    if (c.corrupt)
      spy.corruptRead = 2;
    else
      spy.Fail(kRead, ERROR_READ_FAULT, 2);
    EraseRequest request = Request(ZeroPass);
    request.verify = true;
    ::SetLastError(0);
    EXPECT_EQ(EraseFailed, EraseAndDelete(Wide(file).c_str(), request));
    EXPECT_EQ(c.error, ::GetLastError());
    EXPECT_EQ(2, spy.count[kWrite]) << "the file stops at the chunk that read back wrong";
    EXPECT_EQ(0, spy.count[kDelete]);
    EXPECT_EQ(std::string(2 * kMiB, '\0') + Content(size).substr(2 * kMiB), ReadFileBytes(file));
  }
}

}  // namespace
