// The message catalogue's texts in English, Japanese, Korean and Simplified
// Chinese (UTF-8), and the rules that pick one of the languages from a locale
// name (POSIX) or a Windows language identifier. The texts (catalogue.cpp)
// are compiled into the catalogue library and into the tests, the rules
// (language.cpp) also into the host, whose own texts follow them; the
// library exports only LoadStr.
#pragma once

#include <cstddef>
#include <span>

namespace hvx {

enum Language : int { kEnglish = 0, kJapanese, kKorean, kChinese, kLanguageCount };

// One identifier with its text in every language, in the order of Language.
struct Message {
  const char* id;
  const char* text[kLanguageCount];
};

std::span<const Message> Messages();

// Index of id in Messages(), or -1 when the catalogue does not know it.
int FindMessage(const char* id);

// The language of a POSIX locale name such as "ja_JP.UTF-8". Japanese, Korean
// or Simplified Chinese by the language part ("zh" counts as Simplified unless
// the territory or script says Traditional: TW, HK, MO, Hant); English for
// everything else, for "C" and "POSIX", and for a locale whose codeset is not
// UTF-8 (the texts are UTF-8 only).
Language LanguageOfLocale(const char* name);

// The language decided by LC_ALL, then LC_MESSAGES, then LANG: the first that
// is set and not empty counts, as with gettext. Arguments may be null.
Language LanguageOfEnvironment(const char* lcAll, const char* lcMessages, const char* lang);

// The language of a Windows language identifier (as GetUserDefaultUILanguage
// returns it): primary language in the low 10 bits, sublanguage above.
Language LanguageOfLangId(unsigned langId);

}  // namespace hvx
