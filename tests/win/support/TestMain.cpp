// Entry point of every Windows test program: COM on an apartment thread,
// like the shell's, and the GoogleTest runner.
#include <windows.h>
#include <objbase.h>

#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Test programs run in parallel and share one Wine prefix. Each process gets
// a private HKEY_CURRENT_USER (a key of its own under the real one), so that
// tests of the per-user settings never see each other. Set
// VARNOKE_SHARED_HKCU=1 for tests that must meet other processes there.
char privateUserKey[64];

void UsePrivateUserKey() {
  char shared[8] = {};
  if (::GetEnvironmentVariableA("VARNOKE_SHARED_HKCU", shared, sizeof(shared)) > 0) return;
  std::snprintf(privateUserKey, sizeof(privateUserKey), "Software\\VarnokeTests\\%lu", ::GetCurrentProcessId());
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, privateUserKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
    return;
  ::RegOverridePredefKey(HKEY_CURRENT_USER, key);
  ::RegCloseKey(key);
}

void DropPrivateUserKey() {
  if (!privateUserKey[0]) return;
  ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  ::SHDeleteKeyA(HKEY_CURRENT_USER, privateUserKey);
}

}  // namespace

int main(int argc, char** argv) {
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  UsePrivateUserKey();
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  DropPrivateUserKey();
  ::CoUninitialize();
  return result;
}
