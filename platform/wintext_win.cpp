#include "platform/win32.h"
// (windows.h first, through platform/win32.h.)

#include "platform/wintext.h"

namespace hvx {
namespace {

std::wstring ToWide(UINT codePage, const std::string& s) {
  if (s.empty()) return std::wstring();
  const int n = ::MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string FromWide(UINT codePage, const std::wstring& w) {
  if (w.empty()) return std::string();
  const int n =
      ::WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

}  // namespace

std::wstring AnsiToWide(const std::string& s) { return ToWide(CP_ACP, s); }
std::string WideToAnsi(const std::wstring& w) { return FromWide(CP_ACP, w); }
std::wstring Utf8ToWide(const std::string& s) { return ToWide(CP_UTF8, s); }
std::string WideToUtf8(const std::wstring& w) { return FromWide(CP_UTF8, w); }

}  // namespace hvx
