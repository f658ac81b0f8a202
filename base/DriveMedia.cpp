#include "base/DriveMedia.h"

#include <winioctl.h>

#include <algorithm>
#include <cstddef>
#include <set>

#include "base/ErrorReturn.h"
#include "base/Handles.h"
#include "base/LastError.h"

namespace {

const DriveMediaPlatform kRealCalls = {::GetVolumePathNameW, ::GetVolumeNameForVolumeMountPointW, ::CreateFileW,
                                       ::DeviceIoControl};
DriveMediaPlatform calls = kRealCalls;

bool IsDriveLetterRoot(const std::wstring& path) {
  return path.size() == 3 && ((path[0] | 0x20) >= L'a' && (path[0] | 0x20) <= L'z') && path[1] == L':' &&
         path[2] == L'\\';
}

bool IsNetworkPath(const std::wstring& path) {
  return path.compare(0, 2, L"\\\\") == 0 && path.compare(0, 4, L"\\\\?\\") != 0 &&
         path.compare(0, 4, L"\\\\.\\") != 0;
}

std::wstring VolumePathOf(const std::wstring& folder) {
  // The volume's path is the folder's own path or a part of it, with a
  // separator added at most; a substituted drive may name a longer one.
  std::wstring volume(std::max<size_t>(folder.size() + 2, MAX_PATH + 1), L'\0');
  if (!calls.getVolumePathName(folder.c_str(), &volume[0], static_cast<DWORD>(volume.size()))) {
    TRACE_LAST_FAILURE();
    return std::wstring();
  }
  volume.resize(wcsnlen(volume.c_str(), volume.size()));
  return volume;
}

// One storage property of the device; false when the device did not answer
// it in full.
template <typename Descriptor>
bool QueryProperty(HANDLE device, STORAGE_PROPERTY_ID property, size_t fieldEnd, Descriptor* answer) {
  STORAGE_PROPERTY_QUERY query = {};
  query.PropertyId = property;
  query.QueryType = PropertyStandardQuery;
  *answer = Descriptor();
  DWORD returned = 0;
  if (!calls.deviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), answer, sizeof(*answer),
                             &returned, nullptr)) {
    TRACE_LAST_FAILURE();
    return false;
  }
  if (returned < fieldEnd || answer->Size < fieldEnd) {
    TRACE_FAILURE(kResultFail);
    return false;
  }
  return true;
}

std::wstring FoldedAscii(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return text;
}

}  // namespace

DriveMediaPlatform& DriveMediaCalls() { return calls; }
const DriveMediaPlatform& RealDriveMediaCalls() { return kRealCalls; }

std::wstring VolumeDeviceFor(const std::wstring& folder) {
  const std::wstring volume = VolumePathOf(folder);
  if (volume.empty() || IsNetworkPath(volume)) return std::wstring();
  if (IsDriveLetterRoot(volume)) return L"\\\\.\\" + volume.substr(0, 2);
  // A volume mounted in a folder answers by its GUID path ("\\?\Volume{...}\",
  // 49 characters and the terminator).
  wchar_t name[64] = {};
  if (!calls.getVolumeNameForVolumeMountPoint(volume.c_str(), name, ARRAYSIZE(name))) {
    TRACE_LAST_FAILURE();
    return std::wstring();
  }
  std::wstring device(name, wcsnlen(name, ARRAYSIZE(name)));
  // With its backslash the name opens the volume's root folder, which
  // answers no storage question.
  if (!device.empty() && device.back() == L'\\') device.pop_back();
  return device;
}

DriveMedia AskDriveMedia(const std::wstring& device) {
  if (device.empty()) return DriveMedia::Unknown;
  // No access rights: the properties need none, so no administrator either.
  UniqueFile handle(calls.createFile(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
  if (!handle) {
    TRACE_LAST_FAILURE();
    return DriveMedia::Unknown;
  }
  DEVICE_SEEK_PENALTY_DESCRIPTOR seek;
  const bool seekAnswered = QueryProperty(handle.get(), StorageDeviceSeekPenaltyProperty,
                                          offsetof(DEVICE_SEEK_PENALTY_DESCRIPTOR, IncursSeekPenalty) + 1, &seek);
  DEVICE_TRIM_DESCRIPTOR trim;
  const bool trimAnswered = QueryProperty(handle.get(), StorageDeviceTrimProperty,
                                          offsetof(DEVICE_TRIM_DESCRIPTOR, TrimEnabled) + 1, &trim);
  if ((seekAnswered && !seek.IncursSeekPenalty) || (trimAnswered && trim.TrimEnabled)) return DriveMedia::SolidState;
  return seekAnswered || trimAnswered ? DriveMedia::Rotating : DriveMedia::Unknown;
}

bool AnyOnSolidStateDrive(const std::vector<std::wstring>& folders) {
  std::set<std::wstring> asked;
  for (const std::wstring& folder : folders) {
    const std::wstring device = VolumeDeviceFor(folder);
    if (device.empty() || !asked.insert(FoldedAscii(device)).second) continue;
    if (AskDriveMedia(device) == DriveMedia::SolidState) return true;
  }
  return false;
}
