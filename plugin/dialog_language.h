// Which language's dialog templates to show: the plug-in carries its dialogs
// in several languages and shows the one nearest to the user's interface
// language. Language identifiers are Windows LANGIDs (primary language in the
// low 10 bits, sublanguage above); kept free of windows.h so it is tested on
// every platform.
#pragma once

#include <cstdint>
#include <vector>

namespace hvx {

inline constexpr uint16_t kLanguageEnglishUs = 0x0409;

// Of the languages a template comes in: the user's exact language, else its
// primary language with the default sublanguage, else any sublanguage of it,
// else US English, else the first one there is. Chinese counts as two
// languages by script, so a Traditional Chinese user gets English templates
// (as from the message catalogue, which has Simplified texts only).
uint16_t ChooseDialogLanguage(const std::vector<uint16_t>& available, uint16_t userLanguage);

}  // namespace hvx
