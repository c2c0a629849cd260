// The user's language for the tool's own texts, the platform's way
// (platform/language_posix.cpp, platform/language_win.cpp).
#pragma once

#include <string>

namespace hvx {

// The language of the tool's texts (0 English, 1 Japanese, 2 Korean,
// 3 Simplified Chinese), by the message catalogue's rule.
int ToolLanguage();
// True when the ANSI code page holds every character of the UTF-8 text
// (always on POSIX systems).
bool FitsAnsi(const std::string& utf8);

}  // namespace hvx
