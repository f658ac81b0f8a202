#include "base/WideText.h"

#include <windows.h>

#include "base/ErrorReturn.h"
#include "base/LastError.h"
#include "base/Module.h"

namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length <= 0 || ::MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], length) != length) {
    TRACE_LAST_FAILURE();
    return std::wstring();
  }
  return wide;
}

std::string FromWide(UINT codePage, const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int length = ::WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(length > 0 ? length : 0), '\0');
  if (length <= 0 ||
      ::WideCharToMultiByte(codePage, 0, text.data(), size, &narrow[0], length, nullptr, nullptr) != length) {
    TRACE_LAST_FAILURE();
    return std::string();
  }
  return narrow;
}

}  // namespace

std::wstring WideFromUtf8(const std::string& text) { return ToWide(CP_UTF8, text); }
std::string Utf8FromWide(const std::wstring& text) { return FromWide(CP_UTF8, text); }
std::wstring WideFromCodePage(const std::string& text) { return ToWide(ConversionCodePage(), text); }
std::string CodePageFromWide(const std::wstring& text) { return FromWide(ConversionCodePage(), text); }

std::string ModuleStringUtf8(unsigned id) {
  // With no buffer the call hands out the resource's own read-only text.
  const wchar_t* text = nullptr;
  const int length = ::LoadStringW(ModuleInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text) return std::string();
  return Utf8FromWide(std::wstring(text, static_cast<size_t>(length)));
}
