// The command line Windows Terminal gets for a folder. No <windows.h>: the
// quoting rules are tested natively.
#pragma once
#include <string>

// "-d <folder>" and the user's parameters after it. The folder is quoted as
// the C runtime reads arguments; a trailing backslash (a drive root) would
// escape the closing quote, so "\." follows it instead. Terminal splits its
// command line into commands at every ";", even inside quotes, so each one
// of the folder's is escaped as "\;": a folder named "x;calc" must not
// become a second command.
std::wstring TerminalParameters(const std::wstring& folder, const std::wstring& parameters);
