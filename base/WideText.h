// Conversions between the wide text of names and window texts, the UTF-8 in
// which the pure text builders compose them, and the user's code page in
// which the settings are stored.
#pragma once
#include <string>

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);
// Text of the settings (the code page of the module's conversions) as wide text.
std::wstring WideFromCodePage(const std::string& text);
// Wide text in the user's code page, for interfaces that take nothing else;
// characters the code page lacks become its default character.
std::string CodePageFromWide(const std::wstring& text);
// A string of the module's table as UTF-8; "" when it is missing.
std::string ModuleStringUtf8(unsigned id);
