// The drive question: which device is asked for a folder, how its two
// answers decide, and that each volume is asked once. Wine answers no
// storage property, so the answers come through the seam.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/DriveMedia.h"
#include "base/ErrorReturn.h"
#include "tests/shared/SeamOverride.h"

namespace {

// What the fake drive answers; a negative value: the property fails.
struct FakeDrive {
  int seekPenalty = -1;
  int trimEnabled = -1;
  DWORD answerSize = 0;  // 0: the descriptor's full size
  bool opens = true;
  std::wstring volumePath;  // "" : the real GetVolumePathNameW
  std::wstring volumeName = L"\\\\?\\Volume{01234567-89ab-cdef-0123-456789abcdef}\\";
  std::vector<std::wstring> opened;
  std::vector<DWORD> openAccess;
  std::vector<STORAGE_PROPERTY_ID> asked;
  int mountPointQueries = 0;
} drive;

BOOL WINAPI FakeVolumePath(LPCWSTR path, LPWSTR volume, DWORD size) {
  if (drive.volumePath.empty()) return RealDriveMediaCalls().getVolumePathName(path, volume, size);
  if (drive.volumePath == L"-") {
    ::SetLastError(ERROR_INVALID_NAME);
    return FALSE;
  }
  if (drive.volumePath.size() + 1 > size) {
    ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return FALSE;
  }
  lstrcpyW(volume, drive.volumePath.c_str());
  return TRUE;
}

BOOL WINAPI FakeVolumeName(LPCWSTR, LPWSTR name, DWORD size) {
  ++drive.mountPointQueries;
  if (drive.volumeName.size() + 1 > size) {
    ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return FALSE;
  }
  lstrcpyW(name, drive.volumeName.c_str());
  return TRUE;
}

HANDLE WINAPI FakeOpen(LPCWSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
  drive.opened.push_back(name);
  drive.openAccess.push_back(access);
  if (!drive.opens) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  return ::CreateEventW(nullptr, TRUE, FALSE, nullptr);  // any handle the owner can close
}

template <typename Descriptor>
BOOL Answer(int value, BOOLEAN Descriptor::*field, LPVOID out, DWORD outSize, LPDWORD returned) {
  if (value < 0 || outSize < sizeof(Descriptor)) {
    ::SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
  }
  Descriptor answer = {};
  answer.Version = sizeof(Descriptor);
  answer.Size = drive.answerSize ? drive.answerSize : sizeof(Descriptor);
  answer.*field = static_cast<BOOLEAN>(value);
  memcpy(out, &answer, sizeof(answer));
  *returned = drive.answerSize ? drive.answerSize : sizeof(Descriptor);
  return TRUE;
}

BOOL WINAPI FakeIoControl(HANDLE, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD returned,
                          LPOVERLAPPED) {
  EXPECT_EQ(static_cast<DWORD>(IOCTL_STORAGE_QUERY_PROPERTY), code);
  EXPECT_EQ(sizeof(STORAGE_PROPERTY_QUERY), inSize);
  const auto* query = static_cast<const STORAGE_PROPERTY_QUERY*>(in);
  EXPECT_EQ(PropertyStandardQuery, query->QueryType);
  drive.asked.push_back(query->PropertyId);
  if (query->PropertyId == StorageDeviceSeekPenaltyProperty)
    return Answer(drive.seekPenalty, &DEVICE_SEEK_PENALTY_DESCRIPTOR::IncursSeekPenalty, out, outSize, returned);
  if (query->PropertyId == StorageDeviceTrimProperty)
    return Answer(drive.trimEnabled, &DEVICE_TRIM_DESCRIPTOR::TrimEnabled, out, outSize, returned);
  ::SetLastError(ERROR_INVALID_FUNCTION);
  return FALSE;
}

class DriveMediaTest : public testing::Test {
 protected:
  void SetUp() override { drive = FakeDrive(); }
  SeamOverride<DriveMediaPlatform> calls{DriveMediaCalls(), {FakeVolumePath, FakeVolumeName, FakeOpen, FakeIoControl}};
};

DriveMedia Ask(int seekPenalty, int trimEnabled) {
  drive.seekPenalty = seekPenalty;
  drive.trimEnabled = trimEnabled;
  return AskDriveMedia(L"\\\\.\\C:");
}

}  // namespace

TEST_F(DriveMediaTest, ADriveLetterIsAskedAsItsVolumeDeviceAMountedFolderByItsGuidNameAShareNot) {
  wchar_t windows[MAX_PATH] = {};
  ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 2u);
  EXPECT_EQ(std::wstring(L"\\\\.\\") + windows[0] + L":", VolumeDeviceFor(windows));
  EXPECT_EQ(0, drive.mountPointQueries);

  drive.volumePath = L"C:\\mounted\\data\\";
  EXPECT_EQ(L"\\\\?\\Volume{01234567-89ab-cdef-0123-456789abcdef}", VolumeDeviceFor(L"C:\\mounted\\data\\x"));
  EXPECT_EQ(1, drive.mountPointQueries);

  drive.volumePath = L"\\\\server\\share\\";
  EXPECT_EQ(L"", VolumeDeviceFor(L"\\\\server\\share\\folder"));
  EXPECT_EQ(1, drive.mountPointQueries) << "a share has no volume name to ask";

  drive.volumePath = L"-";
  EXPECT_EQ(L"", VolumeDeviceFor(L"C:\\x"));
}

TEST_F(DriveMediaTest, EitherAnswerThatTheDriveMapsItsBlocksMakesItSolidStateAShortOneIsNone) {
  EXPECT_EQ(DriveMedia::SolidState, Ask(0, 0)) << "no seek penalty";
  EXPECT_EQ(DriveMedia::SolidState, Ask(0, -1));
  EXPECT_EQ(DriveMedia::SolidState, Ask(1, 1)) << "TRIM on a disk with seek penalty";
  EXPECT_EQ(DriveMedia::SolidState, Ask(-1, 1));
  EXPECT_EQ(DriveMedia::Rotating, Ask(1, 0));
  EXPECT_EQ(DriveMedia::Rotating, Ask(1, -1));
  EXPECT_EQ(DriveMedia::Rotating, Ask(-1, 0));
  EXPECT_EQ(DriveMedia::Unknown, Ask(-1, -1));
  for (DWORD access : drive.openAccess) EXPECT_EQ(0u, access) << "asked without access rights";
  drive.answerSize = offsetof(DEVICE_SEEK_PENALTY_DESCRIPTOR, IncursSeekPenalty);
  EXPECT_EQ(DriveMedia::Unknown, Ask(0, 1));
  drive.answerSize = 0;
  drive.opens = false;
  const size_t asked = drive.asked.size();
  EXPECT_EQ(DriveMedia::Unknown, Ask(0, 1));
  EXPECT_EQ(asked, drive.asked.size()) << "nothing asked of a device that did not open";
  EXPECT_EQ(DriveMedia::Unknown, AskDriveMedia(L""));
}

TEST_F(DriveMediaTest, EachVolumeIsAskedOnceAndAShareOrAFailureCountsAsNotSolidState) {
  drive.seekPenalty = 1;
  drive.trimEnabled = 0;
  drive.volumePath = L"C:\\";
  EXPECT_FALSE(AnyOnSolidStateDrive({L"C:\\a", L"c:\\b", L"C:\\c\\d"}));
  EXPECT_EQ(1u, drive.opened.size());
  EXPECT_EQ(2u, drive.asked.size());

  drive.volumePath = L"\\\\server\\share\\";
  EXPECT_FALSE(AnyOnSolidStateDrive({L"\\\\server\\share\\a"}));
  EXPECT_EQ(1u, drive.opened.size()) << "a share is not opened";

  drive.volumePath = L"C:\\";
  drive.seekPenalty = -1;
  drive.trimEnabled = -1;
  EXPECT_FALSE(AnyOnSolidStateDrive({L"C:\\a"}));
  drive.seekPenalty = 0;
  EXPECT_TRUE(AnyOnSolidStateDrive({L"C:\\a"}));
}

namespace {
std::vector<Result> traced;
void RecordTrace(Result code, const char*, int) { traced.push_back(code); }
}  // namespace

TEST(DriveMediaOnWine, TheRealDriveOfTheWindowsFolderAnswersOrIsUnknownAndEveryRefusalIsTraced) {
  wchar_t windows[MAX_PATH] = {};
  ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 2u);
  const std::wstring device = VolumeDeviceFor(windows);
  ASSERT_EQ(std::wstring(L"\\\\.\\") + windows[0] + L":", device);
  traced.clear();
  const ErrorTraceHook previous = SetErrorTraceHook(&RecordTrace);
  const DriveMedia media = AskDriveMedia(device);
  SetErrorTraceHook(previous);
  std::printf("drive %ls answers %d (0 unknown, 1 rotating, 2 solid-state); refusals:", device.c_str(),
              static_cast<int>(media));
  for (Result code : traced) std::printf(" 0x%08lx", static_cast<unsigned long>(code));
  std::printf("\n");
  if (media == DriveMedia::Unknown) {
    EXPECT_FALSE(traced.empty()) << "a drive that did not answer says why";
  }
  EXPECT_EQ(media == DriveMedia::SolidState, AnyOnSolidStateDrive({windows}));
}
