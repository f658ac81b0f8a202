// What kind of storage holds a folder, as the drive itself says: whether
// overwriting a file in place can be trusted to reach its old content.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

enum class DriveMedia {
  Unknown,     // the drive could not be asked (network share, no answer)
  Rotating,    // seeks cost time and TRIM is not taken: overwrites land in place
  SolidState,  // the drive maps blocks itself (flash, thin provisioning)
};

// The device that answers storage questions for the volume holding `folder`:
// "\\.\C:" for a drive letter, else the volume's GUID path without its
// trailing backslash; "" where the folder has no local volume.
std::wstring VolumeDeviceFor(const std::wstring& folder);

// Asks the volume device whether it has a seek penalty and whether it takes
// TRIM. Either answer that says the drive maps its blocks itself makes it
// solid-state: a drive without seek penalty is flash, and one that takes
// TRIM (an SMR disk, a thin virtual disk) also writes a block wherever it
// likes, so an overwrite need not reach the old copy there either.
DriveMedia AskDriveMedia(const std::wstring& device);

// True when any folder lies on a solid-state drive; each distinct volume is
// asked once. A folder whose drive cannot be asked counts as not solid-state.
bool AnyOnSolidStateDrive(const std::vector<std::wstring>& folders);

// The platform calls of the question, which Wine never answers: tests make
// them answer either way, and fail.
struct DriveMediaPlatform {
  BOOL(WINAPI* getVolumePathName)(LPCWSTR path, LPWSTR volume, DWORD length);
  BOOL(WINAPI* getVolumeNameForVolumeMountPoint)(LPCWSTR mountPoint, LPWSTR name, DWORD length);
  HANDLE(WINAPI* createFile)(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE templateFile);
  BOOL(WINAPI* deviceIoControl)(HANDLE device, DWORD code, LPVOID in, DWORD inLength, LPVOID out, DWORD outLength,
                                LPDWORD returned, LPOVERLAPPED overlapped);
};
// The table in use; tests change entries and put the real ones back.
DriveMediaPlatform& DriveMediaCalls();
// The system's own functions.
const DriveMediaPlatform& RealDriveMediaCalls();
