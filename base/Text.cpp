#include "base/Text.h"

#include <atomic>
#include <cstdio>

std::string FormatTextV(const char* format, va_list args) {
  va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::vsnprintf(&text[0], text.size(), format, args);
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
