#include "SolidStateDrive.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>

#include "base/DriveMedia.h"

namespace testing_support {
namespace {

int openCount = 0;
bool answersQuestion = true;

HANDLE WINAPI Open(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
  ++openCount;
  return ::CreateEventW(nullptr, TRUE, FALSE, nullptr);  // any handle the owner can close
}

BOOL WINAPI NoSeekPenalty(HANDLE, DWORD, LPVOID in, DWORD, LPVOID out, DWORD outSize, LPDWORD returned,
                          LPOVERLAPPED) {
  const auto* query = static_cast<const STORAGE_PROPERTY_QUERY*>(in);
  if (!answersQuestion || query->PropertyId != StorageDeviceSeekPenaltyProperty ||
      outSize < sizeof(DEVICE_SEEK_PENALTY_DESCRIPTOR)) {
    ::SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  const DEVICE_SEEK_PENALTY_DESCRIPTOR answer = {sizeof(answer), sizeof(answer), FALSE};
  std::memcpy(out, &answer, sizeof(answer));
  *returned = sizeof(answer);
  return TRUE;
}

}  // namespace

SolidStateDrive::SolidStateDrive(bool answers) {
  openCount = 0;
  answersQuestion = answers;
  calls_->createFile = &Open;
  calls_->deviceIoControl = &NoSeekPenalty;
}

int SolidStateDrive::opens() { return openCount; }

}  // namespace testing_support
