#include "base/Text.h"

#include <atomic>
#include <cstdio>

namespace {

// Windows fills through the system's own printf (msvcrt's): the C99 one of
// the toolchain would add a second printf, floating point and all, to the
// module. The formats used are %s, %u and %.1f, which both print alike.
#if defined(_WIN32)
int MeasureFormat(const char* format, va_list args) { return _vscprintf(format, args); }
void FillFormat(char* text, size_t size, const char* format, va_list args) { _vsnprintf(text, size, format, args); }
#else
int MeasureFormat(const char* format, va_list args) { return std::vsnprintf(nullptr, 0, format, args); }
void FillFormat(char* text, size_t size, const char* format, va_list args) {
  std::vsnprintf(text, size, format, args);
}
#endif

}  // namespace

std::string FormatTextV(const char* format, va_list args) {
  va_list measure;
  va_copy(measure, args);
  const int length = MeasureFormat(format, measure);
  va_end(measure);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  FillFormat(&text[0], text.size(), format, args);
  text.resize(static_cast<size_t>(length));
  return text;
}

std::string FillText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatTextV(format, args);
  va_end(args);
  return text;
}

namespace {
bool NoLeadBytes(unsigned char) { return false; }
std::atomic<LeadBytePredicate> leadBytePredicate{&NoLeadBytes};
}  // namespace

LeadBytePredicate SetLeadBytePredicate(LeadBytePredicate predicate) {
  return leadBytePredicate.exchange(predicate ? predicate : &NoLeadBytes);
}

bool IsLeadByte(unsigned char byte) { return leadBytePredicate.load()(byte); }

size_t NextCharIndex(const std::string& text, size_t i) {
  if (i >= text.size()) return text.size();
  if (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) return i + 2;
  return i + 1;
}
