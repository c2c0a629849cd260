#include <vector>

#include "platform/path_forms.h"
#include "platform/winpath.h"
#include "platform/wintext.h"

namespace hvx {
namespace {

HMODULE ModuleOfThisCode() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModuleOfThisCode), &module);
  return module;
}

// Recorded when the module is loaded.
const HMODULE g_ownModule = ModuleOfThisCode();

// Calls fill(buffer, size) with a growing buffer until the text fits; fill
// returns the length written, or the size needed when it did not fit, or 0.
template <class Fill>
std::wstring Grown(Fill fill) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::wstring();
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    buffer.resize(std::max<size_t>(n + 1, buffer.size() * 2));
  }
}

std::optional<std::wstring> ShortFormOf(const std::wstring& path) {
  const std::wstring system = ExtendedLengthPath(path);
  const std::wstring shortPath =
      Grown([&](wchar_t* b, DWORD size) { return ::GetShortPathNameW(system.c_str(), b, size); });
  if (shortPath.empty()) return std::nullopt;
  return WithoutExtendedPrefix(shortPath);
}

}  // namespace

std::wstring SystemPath(const std::string& utf8) {
  const std::wstring wide = Utf8ToWide(utf8);
  if (wide.size() < kExtendedLengthFrom) return wide;
  // A long relative path is made absolute first (the extended form has no
  // current folder).
  const std::wstring full =
      Grown([&](wchar_t* b, DWORD size) { return ::GetFullPathNameW(wide.c_str(), size, b, nullptr); });
  return ExtendedLengthPath(full.empty() ? wide : full);
}

std::optional<std::string> WideToAnsiExact(const std::wstring& w) {
  if (w.empty()) return std::string();
  const int size = static_cast<int>(w.size());
  // A UTF-8 code page holds every character (and takes no default character).
  if (::GetACP() == CP_UTF8) return WideToAnsi(w);
  BOOL usedDefault = FALSE;
  const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), size, nullptr, 0, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return std::nullopt;
  std::string s(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), size, s.data(), n, nullptr, &usedDefault);
  if (usedDefault) return std::nullopt;
  return s;
}

std::optional<std::string> HostPathOf(const std::string& utf8) {
  return EightBitPath(Utf8ToWide(utf8), WideToAnsiExact, ShortFormOf);
}

HMODULE OwnModule() { return g_ownModule; }

std::wstring OwnFolder() {
  const std::wstring file = Grown([](wchar_t* b, DWORD size) {
    const DWORD n = ::GetModuleFileNameW(g_ownModule, b, size);
    return n == size ? size : n;  // cut short: ask for more
  });
  const size_t slash = file.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : file.substr(0, slash + 1);
}

}  // namespace hvx
