// Paths at the Windows edges: the wide form the file functions are called
// with, the 8-bit text of a path for the host, and the plug-in's own module
// and folder. Windows only (platform/winpath_win.cpp).
#pragma once

#include "platform/win32.h"
// (windows.h first, through platform/win32.h.)

#include <optional>
#include <string>

namespace hvx {

// A UTF-8 path as the wide file functions take it: made absolute and given
// the extended-length form when it is long (platform/path_forms.h).
std::wstring SystemPath(const std::string& utf8);

// The text in the ANSI code page, or nothing when a character has no exact
// counterpart there (no look-alikes, no default characters).
std::optional<std::string> WideToAnsiExact(const std::wstring& w);

// The 8-bit text of a UTF-8 path for the host: itself in the ANSI code page,
// else its short form (platform/path_forms.h, EightBitPath).
std::optional<std::string> HostPathOf(const std::string& utf8);

// The module (library or program) that holds this code, and its folder with
// a closing backslash.
HMODULE OwnModule();
std::wstring OwnFolder();

}  // namespace hvx
