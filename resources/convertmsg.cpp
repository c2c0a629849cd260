// The message catalogue library: maps a message identifier to its text in the
// user's language (English, Japanese, Korean or Simplified Chinese).
// Identifiers it does not know give "Unknown message: <identifier>".
//
// POSIX: the language follows LC_ALL, LC_MESSAGES, LANG; texts are UTF-8.
// Windows: the user's UI language decides; texts are in the process's ANSI
// code page, and a text that code page cannot hold is given in English.
#include <string>
#include <vector>

#include "resources/catalogue.h"

#ifdef _WIN32
#include <windows.h>
#define HVX_EXPORT extern "C" __declspec(dllexport)
#else
#include <cstdlib>
#define HVX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace hvx {
namespace {

#ifdef _WIN32

std::wstring Widen(const char* utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, w.data(), n);
  w.resize(static_cast<size_t>(n - 1));
  return w;
}

// The text in the ANSI code page; false when a character has no exact
// counterpart there (no best-fit look-alikes, no default characters).
bool ToAnsi(const char* utf8, std::string& out) {
  const UINT acp = GetACP();
  if (acp == CP_UTF8) {
    out = utf8;
    return true;
  }
  const std::wstring w = Widen(utf8);
  if (w.empty()) return *utf8 == '\0';
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return false;
  out.assign(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                      &usedDefault);
  return !usedDefault;
}

// Every text of the user's language, converted once; English where the code
// page falls short. The strings live as long as the library.
const std::vector<std::string>& Texts() {
  static const std::vector<std::string> texts = [] {
    const Language lang = hvx::LanguageOfLangId(GetUserDefaultUILanguage());
    std::vector<std::string> v;
    for (const hvx::Message& m : hvx::Messages()) {
      std::string s;
      if (!ToAnsi(m.text[lang], s) && !ToAnsi(m.text[hvx::kEnglish], s)) s = m.text[hvx::kEnglish];
      v.push_back(std::move(s));
    }
    return v;
  }();
  return texts;
}

const char* Text(int index) { return Texts()[static_cast<size_t>(index)].c_str(); }

#else

const char* Text(int index) {
  static const Language lang =
      hvx::LanguageOfEnvironment(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
  return hvx::Messages()[static_cast<size_t>(index)].text[lang];
}

#endif

}  // namespace
}  // namespace hvx

HVX_EXPORT const char* LoadStr(const char* id) {
  const int index = hvx::FindMessage(id);
  if (index >= 0) return hvx::Text(index);
  // The text is used at once by the caller, so one buffer per thread will do.
  static thread_local std::string unknown;
  unknown = "Unknown message: ";
  unknown += id ? id : "";
  unknown += "\n";
  return unknown.c_str();
}
