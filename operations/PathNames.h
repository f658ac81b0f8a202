// Path names exactly as the shell gave them. The "\\?\" form is built by
// joining names, never by the system's normalisation, which strips trailing
// dots and spaces from names and so would name a sibling ("proj." becomes
// "proj"), and which turns a drive root into the volume device.
#pragma once
#include <string>

// True when `path` needs a base folder to be absolute: neither "X:\..."
// nor "\\...". A drive-relative "X:name" is relative to that drive's folder.
bool NeedsBaseFolder(const std::wstring& path);

// The "\\?\" ("\\?\UNC\") form of `path`: "/" read as "\", empty and "."
// names dropped, ".." taking back the name before it, every other name kept
// byte for byte. A relative path is joined to `base` (a full path); a
// rooted "\name" takes base's drive or share. No trailing separator, except
// on a root ("\\?\X:\", "\\?\UNC\server\share\"), where it names the root
// folder. A path already in the "\\?\" form is taken as it is.
std::wstring JoinedExtendedPath(const std::wstring& path, const std::wstring& base);

// A path as the user knows it: the "\\?\" or "\\?\UNC\" prefix taken off.
std::wstring ShownPath(const std::wstring& path);

// folder + "\" + name, without doubling the separator of a root; in place
// or as a new path.
void AppendName(std::wstring* folder, const wchar_t* name);
std::wstring JoinName(const std::wstring& folder, const wchar_t* name);

// True when the "\\?\" path names the root of a drive, a volume or a share.
bool IsRootPath(const std::wstring& extended);

// True when the shell's file operation can be given the shown path as it
// is: shorter than MAX_PATH, no name it would change or read otherwise (a
// trailing dot or space, a device name such as "con" or "aux.txt", a wild
// card) and a drive or share to start from.
bool IsShellExactPath(const std::wstring& shown);
