// Text at the edges of the Windows layer: UTF-16 for the wide Windows
// functions, the ANSI code page for the 8-bit interface of the plug-in (its
// paths, log lines and catalogue texts), UTF-8 for the conversion API. Used
// by the platform layer and by the Windows test host.
#pragma once

#include <string>

namespace hvx {

std::wstring AnsiToWide(const std::string& s);
std::string WideToAnsi(const std::wstring& w);
std::wstring Utf8ToWide(const std::string& s);
std::string WideToUtf8(const std::wstring& w);
inline std::string AnsiToUtf8(const std::string& s) { return WideToUtf8(AnsiToWide(s)); }
inline std::string Utf8ToAnsi(const std::string& s) { return WideToAnsi(Utf8ToWide(s)); }

}  // namespace hvx
