// The language of the tool's texts on POSIX systems: the message catalogue's
// rule (LC_ALL, then LC_MESSAGES, then LANG). Texts are UTF-8 throughout.
#include <cstdlib>

#include "platform/language.h"
#include "resources/catalogue.h"

namespace hvx {

int ToolLanguage() {
  return LanguageOfEnvironment(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

bool FitsAnsi(const std::string&) { return true; }

}  // namespace hvx
