#include "platform/win32.h"
// (windows.h first, through platform/win32.h.)

// The language of the tool's texts on Windows: the user's interface
// language, as the message catalogue takes it; a text the ANSI code page
// cannot hold is given in English, as the catalogue's are.
#include "platform/language.h"
#include "platform/wintext.h"
#include "resources/catalogue.h"

namespace hvx {

int ToolLanguage() { return LanguageOfLangId(::GetUserDefaultUILanguage()); }

bool FitsAnsi(const std::string& utf8) {
  if (::GetACP() == CP_UTF8) return true;
  const std::wstring w = Utf8ToWide(utf8);
  if (w.empty()) return true;
  BOOL usedDefault = FALSE;
  const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, &usedDefault);
  return n > 0 && !usedDefault;
}

}  // namespace hvx
