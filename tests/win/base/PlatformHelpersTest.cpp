// The small platform helpers every layer shares: failed calls as traced
// codes, entries looked up by name, links told from listings, wide text.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/LastError.h"
#include "base/LinkEntry.h"
#include "base/ProcEntry.h"
#include "base/WideText.h"

namespace {

std::vector<std::pair<Result, std::string>> traced;
void Trace(Result code, const char* source, int) { traced.emplace_back(code, source); }

struct TraceScope {
  TraceScope() : previous(SetErrorTraceHook(&Trace)) { traced.clear(); }
  ~TraceScope() { SetErrorTraceHook(previous); }
  ErrorTraceHook previous;
};

Result FailWithLastError(DWORD error, bool failed) {
  ::SetLastError(error);
  RETURN_LAST_ERROR_IF(failed);
  return kResultOk;
}

TEST(LastFailure, AFailedCallThatLeftNoErrorStillFails) {
  TraceScope scope;
  EXPECT_EQ(static_cast<Result>(0x80070005), FailWithLastError(ERROR_ACCESS_DENIED, true));
  EXPECT_EQ(kResultFail, FailWithLastError(ERROR_SUCCESS, true)) << "a last error of 0 is no success";
  EXPECT_EQ(kResultOk, FailWithLastError(ERROR_ACCESS_DENIED, false));
  ASSERT_EQ(2u, traced.size());
  EXPECT_EQ(kResultFail, traced[1].first);
  EXPECT_EQ("PlatformHelpersTest.cpp", traced[0].second);
  ::SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(kResultFail, TRACE_LAST_FAILURE());
  EXPECT_EQ(3u, traced.size());
}

using TickCountCall = DWORD(WINAPI*)();

TEST(ProcEntry, FindsPresentEntriesAndAnswersNullForTheRest) {
  const TickCountCall tick = Kernel32Entry<TickCountCall>("GetTickCount");
  ASSERT_NE(nullptr, tick);
  EXPECT_EQ(reinterpret_cast<void*>(&::GetTickCount), reinterpret_cast<void*>(tick));
  EXPECT_EQ(nullptr, Kernel32Entry<TickCountCall>("NoSuchEntryAnywhere"));
  EXPECT_EQ(nullptr, ProcEntry<TickCountCall>(nullptr, "GetTickCount"));
}

// A seam table that lists one made-up entry, or fails to.
struct FakeCalls {
  static bool lists;
  static DWORD listedAttributes;
  static DWORD listedTag;
  static DWORD plainAttributes;
  static int closes;
  static HANDLE WINAPI List(LPCWSTR, LPWIN32_FIND_DATAW data) {
    if (!lists) return INVALID_HANDLE_VALUE;
    data->dwFileAttributes = listedAttributes;
    if (listedTag) data->dwReserved0 = listedTag;
    return reinterpret_cast<HANDLE>(0x1234);
  }
  static BOOL WINAPI Close(HANDLE) { return ++closes, TRUE; }
  static DWORD WINAPI Attributes(LPCWSTR) { return plainAttributes; }
  HANDLE(WINAPI* findFirstFile)(LPCWSTR, LPWIN32_FIND_DATAW) = &List;
  BOOL(WINAPI* findClose)(HANDLE) = &Close;
  DWORD(WINAPI* getFileAttributes)(LPCWSTR) = &Attributes;
};
bool FakeCalls::lists = true;
DWORD FakeCalls::listedAttributes = 0;
DWORD FakeCalls::listedTag = 0;
DWORD FakeCalls::plainAttributes = INVALID_FILE_ATTRIBUTES;
int FakeCalls::closes = 0;

EntryLook Look(bool lists, DWORD listedAttributes, DWORD listedTag, DWORD plainAttributes) {
  FakeCalls::lists = lists;
  FakeCalls::listedAttributes = listedAttributes;
  FakeCalls::listedTag = listedTag;
  FakeCalls::plainAttributes = plainAttributes;
  FakeCalls::closes = 0;
  const EntryLook look = LookAtEntry(FakeCalls(), L"C:\\x");
  EXPECT_EQ(lists ? 1 : 0, FakeCalls::closes) << "every listing opened is closed";
  return look;
}

constexpr DWORD kFolderLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

TEST(LookAtEntry, TheListingsTagDecidesAndAnUnfilledTagCountsAsALink) {
  EXPECT_TRUE(Look(true, kFolderLink, IO_REPARSE_TAG_MOUNT_POINT, 0).IsLink());
  EXPECT_TRUE(Look(true, kFolderLink, IO_REPARSE_TAG_SYMLINK, 0).IsLink());
  EXPECT_FALSE(Look(true, kFolderLink, IO_REPARSE_TAG_DEDUP, 0).IsLink()) << "a reparse point that is no link";
  EXPECT_TRUE(Look(true, kFolderLink, 0, 0).IsLink()) << "Wine leaves the tag unfilled";
  EXPECT_FALSE(Look(true, FILE_ATTRIBUTE_DIRECTORY, 0, kFolderLink).IsLink()) << "the listing wins";
  const EntryLook look = Look(true, FILE_ATTRIBUTE_ARCHIVE, IO_REPARSE_TAG_SYMLINK, 0);
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), look.attributes);
  EXPECT_FALSE(look.IsLink());
}

TEST(LookAtEntry, AnEntryThatCannotBeListedIsKnownByItsAttributes) {
  EXPECT_TRUE(Look(false, 0, 0, kFolderLink).IsLink());
  EXPECT_FALSE(Look(false, 0, 0, FILE_ATTRIBUTE_DIRECTORY).IsLink());
  const EntryLook gone = Look(false, 0, 0, INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, gone.attributes);
  EXPECT_FALSE(gone.IsLink());
}

TEST(WideText, CodePageAndUtf8RoundTrip) {
  EXPECT_EQ(L"", WideFromCodePage(""));
  EXPECT_EQ(L"*.tmp;*.bak", WideFromCodePage("*.tmp;*.bak"));
  EXPECT_EQ("*.tmp", CodePageFromWide(L"*.tmp"));
  EXPECT_EQ(std::wstring(L"\u00e9\u30bd"), WideFromUtf8("\xc3\xa9\xe3\x82\xbd"));
  EXPECT_EQ("\xc3\xa9\xe3\x82\xbd", Utf8FromWide(L"\u00e9\u30bd"));
}

}  // namespace
