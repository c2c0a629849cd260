// The language rules of the message catalogue: which of its languages a
// POSIX locale name or a Windows language identifier asks for. Kept apart
// from the texts, so that the host picks the language of its own texts by
// the same rules without carrying the catalogue.
#include <string>
#include <string_view>

#include "resources/catalogue.h"

namespace hvx {
namespace {

// Locale names: language[_territory][.codeset][@modifier]; a script may stand
// in the territory's place ("zh_Hans"), and "-" is taken like "_".
struct LocaleParts {
  std::string_view language, territory, codeset;
};

LocaleParts SplitLocale(std::string_view name) {
  LocaleParts p;
  name = name.substr(0, name.find('@'));
  const size_t dot = name.find('.');
  if (dot != std::string_view::npos) {
    p.codeset = name.substr(dot + 1);
    name = name.substr(0, dot);
  }
  const size_t sep = name.find_first_of("_-");
  p.language = name.substr(0, sep);
  if (sep != std::string_view::npos) {
    const std::string_view rest = name.substr(sep + 1);
    p.territory = rest.substr(0, rest.find_first_of("_-"));
  }
  return p;
}

// "UTF-8", "utf8" and the like.
bool IsUtf8(std::string_view codeset) {
  std::string norm;
  for (char c : codeset)
    if (c != '-' && c != '_') norm += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return norm == "utf8";
}

}  // namespace

Language LanguageOfLocale(const char* name) {
  if (!name) return kEnglish;
  const LocaleParts p = SplitLocale(name);
  if (!p.codeset.empty() && !IsUtf8(p.codeset)) return kEnglish;
  if (p.language == "ja") return kJapanese;
  if (p.language == "ko") return kKorean;
  if (p.language == "zh") {
    const std::string_view t = p.territory;
    if (t == "TW" || t == "HK" || t == "MO" || t == "Hant") return kEnglish;
    return kChinese;
  }
  return kEnglish;
}

Language LanguageOfEnvironment(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* v : {lcAll, lcMessages, lang})
    if (v && *v) return LanguageOfLocale(v);
  return kEnglish;
}

Language LanguageOfLangId(unsigned langId) {
  const unsigned primary = langId & 0x3ffu;
  const unsigned sub = langId >> 10;
  switch (primary) {
    case 0x11:
      return kJapanese;  // LANG_JAPANESE
    case 0x12:
      return kKorean;  // LANG_KOREAN
    case 0x04:         // LANG_CHINESE: zh-Hans (neutral), PRC, Singapore
      return (sub == 0x00 || sub == 0x02 || sub == 0x04) ? kChinese : kEnglish;
    default:
      return kEnglish;
  }
}

}  // namespace hvx
