// Stands in for the system's powershell.exe in the installer's tests (Wine
// has none): appends its command line, one per line, to calls.txt beside
// itself, and fails (exit 1) while a file named `fail` lies there, as
// PowerShell does when a script throws.
#include <windows.h>

#include <string>

namespace {

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return L"";
  std::wstring folder(path, length);
  return folder.substr(0, folder.rfind(L'\\') + 1);
}

bool AppendLine(const std::wstring& file, const std::wstring& text) {
  const HANDLE out = ::CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string line(size_t(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), &line[0], size, nullptr, nullptr);
  line += "\r\n";
  DWORD written = 0;
  const bool ok = ::WriteFile(out, line.data(), DWORD(line.size()), &written, nullptr) && written == line.size();
  ::CloseHandle(out);
  return ok;
}

}  // namespace

int main() {
  const std::wstring folder = OwnFolder();
  if (folder.empty() || !AppendLine(folder + L"calls.txt", ::GetCommandLineW())) return 2;
  return ::GetFileAttributesW((folder + L"fail").c_str()) == INVALID_FILE_ATTRIBUTES ? 0 : 1;
}
