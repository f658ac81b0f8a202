// Named data streams: each one gets every pass of the method, from its own
// first byte, before the file goes. Wine keeps no streams, so the listing
// is the spy's and each stream a file of its own beside the erased one.
#include <gtest/gtest.h>

#include <windows.h>

#include "EraseSpy.h"
#include "TestSupport.h"
#include "erase/Eraser.h"
#include "tests/shared/EraseCycles.h"

using namespace engine_test;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::TempFolder;

namespace {

constexpr size_t kMiB = size_t{1} << 20;

std::string Content(size_t size, char salt) {
  std::string bytes(size, '\0');
  for (size_t k = 0; k < size; ++k) bytes[k] = static_cast<char>("hidden "[k % 7] ^ salt);
  return bytes;
}

int32_t StopBefore8(int32_t pass, int32_t, void* seen) {
  ++*static_cast<int*>(seen);
  return pass == 8 ? -1 : 0;
}

// A file with two named streams, ":a" small and ":b" longer than a chunk.
struct StreamedFile {
  explicit StreamedFile(EraseSpy& spy)
      : file(temp.MakeFile("f.bin", Content(5000, 0))),
        a(temp.MakeFile("f.bin.a", Content(3000, 1))),
        b(temp.MakeFile("f.bin.b", Content(kMiB + 7, 2))) {
    spy.streams = {L"::$DATA", L":a:$DATA", L":b:$DATA"};
    spy.redirects = {{Wide(file) + L":a:$DATA", Wide(a)}, {Wide(file) + L":b:$DATA", Wide(b)}};
  }
  TempFolder temp;
  std::string file, a, b;
};

TEST(EraseStreams, EveryStreamTakesEachPassFromItsOwnFirstByte) {
  EraseSpy spy;
  StreamedFile streamed(spy);
  int announced = 0;
  // Stopped before pass 8 of Gutmann's: pass 7 (92 49 24) lies on each.
  EXPECT_EQ(EraseFailed, EraseAndDelete(Wide(streamed.file).c_str(), Gutmann35Pass, &StopBefore8, &announced));
  EXPECT_EQ(8, announced) << "passes are announced once for the file and its streams";
  EXPECT_EQ(erase_cycles::Repeated("\x92\x49\x24", 5000), ReadFileBytes(streamed.file));
  EXPECT_EQ(erase_cycles::Repeated("\x92\x49\x24", 3000), ReadFileBytes(streamed.a));
  EXPECT_EQ(erase_cycles::Repeated("\x92\x49\x24", kMiB + 7), ReadFileBytes(streamed.b));
  const std::wstring file = Wide(streamed.file);
  EXPECT_EQ((std::vector<std::wstring>{file, file + L":a:$DATA", file + L":b:$DATA"}), spy.opened)
      << "the file's own data is opened once, by its name";
  EXPECT_EQ(std::vector<size_t>{kMiB}, spy.allocations) << "one buffer, sized by the longest stream";
  EXPECT_EQ(1, spy.count[kRelease]);
  EXPECT_EQ(3, spy.count[kClose]);
  EXPECT_EQ(1, spy.count[kCloseListing]);
  EXPECT_EQ(4, spy.providersTaken) << "one source per Random pass, shared by the streams";
  EXPECT_EQ(0, spy.openProviders);
}

TEST(EraseStreams, CompleteErasureOverwritesTheStreamsAndDeletesTheFile) {
  EraseSpy spy;
  StreamedFile streamed(spy);
  EXPECT_EQ(EraseOverwritten, EraseAndDelete(Wide(streamed.file).c_str(), DoD3Pass, nullptr, nullptr));
  EXPECT_FALSE(Exists(streamed.file));
  // Zeros, ones, then random bytes over each stream; then each stream
  // truncated, before the file itself.
  ASSERT_EQ(3u, spy.atEnd.size());
  const std::string a = spy.atEnd[0], b = spy.atEnd[1];
  EXPECT_EQ("", ReadFileBytes(streamed.a));
  EXPECT_EQ("", ReadFileBytes(streamed.b));
  ASSERT_EQ(3000u, a.size());
  ASSERT_EQ(kMiB + 7, b.size());
  EXPECT_EQ(std::string::npos, a.find(std::string(8, '\0')));
  EXPECT_EQ(std::string::npos, b.find(std::string(8, '\xFF')));
  EXPECT_NE(Content(3000, 1), a);
  // The file, then ":a", then both chunks of ":b", in each of 3 passes.
  ASSERT_EQ(12u, spy.written.size());
  EXPECT_EQ(std::string(3000, '\0'), spy.written[1]);
  EXPECT_EQ(std::string(kMiB, '\xFF'), spy.written[6]);
  EXPECT_EQ(a, spy.written[9]);
}

TEST(EraseStreams, ListingAnswersThatMeanNoStreamsEraseTheFileAlone) {
  for (const DWORD none : {DWORD{ERROR_HANDLE_EOF}, DWORD{ERROR_INVALID_FUNCTION}, DWORD{ERROR_INVALID_PARAMETER},
                           DWORD{ERROR_NOT_SUPPORTED}, DWORD{ERROR_CALL_NOT_IMPLEMENTED}}) {
    TempFolder temp;
    const std::string file = temp.MakeFile("plain.bin", Content(100, 0));
    EraseSpy spy;
    spy.Fail(kListStreams, none);
    EXPECT_EQ(EraseOverwritten, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr)) << none;
    EXPECT_EQ(1u, spy.opened.size());
    EXPECT_FALSE(Exists(file));
  }
  // The system's own listing (none under Wine, the file's data on Windows).
  TempFolder temp;
  const std::wstring file = Wide(temp.MakeFile("real.bin", "x"));
  WIN32_FIND_STREAM_DATA stream;
  const HANDLE listing = RealEraseCalls().findFirstStream(file.c_str(), FindStreamInfoStandard, &stream, 0);
  if (listing == INVALID_HANDLE_VALUE) {
    EXPECT_EQ(static_cast<DWORD>(ERROR_HANDLE_EOF), ::GetLastError());
  } else {
    EXPECT_STREQ(L"::$DATA", stream.cStreamName);
    RealEraseCalls().findClose(listing);
  }
}

TEST(EraseStreams, HardLinkedFileOpensNoStream) {
  EraseSpy spy;
  StreamedFile streamed(spy);
  spy.linkCount = 2;
  EXPECT_EQ(EraseNameOnly, EraseAndDelete(Wide(streamed.file).c_str(), ZeroPass, nullptr, nullptr));
  EXPECT_EQ(1u, spy.opened.size());
  EXPECT_EQ(0, spy.count[kWrite]);
  EXPECT_EQ(Content(kMiB + 7, 2), ReadFileBytes(streamed.b));
  EXPECT_FALSE(Exists(streamed.file));
}

}  // namespace
