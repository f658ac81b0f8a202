#include "menu/TerminalArguments.h"

std::wstring TerminalParameters(const std::wstring& folder, const std::wstring& parameters) {
  std::wstring line = L"-d \"";
  for (wchar_t c : folder) {
    if (c == L';') line += L'\\';
    line += c;
  }
  if (!folder.empty() && folder.back() == L'\\') line += L'.';
  line += L'"';
  if (!parameters.empty()) line += L" " + parameters;
  return line;
}
