// Text helpers without <windows.h>: printf-style filling into strings sized
// from what they hold, and multibyte-aware scanning.
#pragma once
#include <cstdarg>
#include <string>

// printf-style filling; the result is sized from the formatted text.
std::string FormatTextV(const char* format, va_list args);

// Fills a format that comes from the string table: the arguments are given
// in a fixed order and the format is not checked at compile time.
std::string FillText(const char* format, ...);

// Tells whether a byte starts a double-byte character in the active ANSI
// code page. The Windows build answers with IsDBCSLeadByte; the native
// build has single-byte text unless a test installs its own predicate.
using LeadBytePredicate = bool (*)(unsigned char byte);
LeadBytePredicate SetLeadBytePredicate(LeadBytePredicate predicate);
bool IsLeadByte(unsigned char byte);

// Index of the next character after the one at index i (1 or 2 bytes on,
// never past the terminating NUL of text).
size_t NextCharIndex(const std::string& text, size_t i);
