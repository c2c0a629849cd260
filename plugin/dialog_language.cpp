#include "plugin/dialog_language.h"

#include <algorithm>

namespace hvx {
namespace {
constexpr uint16_t Primary(uint16_t language) { return language & 0x3ff; }
constexpr uint16_t WithDefaultSublanguage(uint16_t language) { return static_cast<uint16_t>(0x0400 | Primary(language)); }

// Chinese is written in two scripts: Simplified (zh-Hans, PRC, Singapore) and
// Traditional (zh-Hant, Taiwan, Hong Kong, Macao); one does not serve the other.
bool SameScript(uint16_t a, uint16_t b) {
  if (Primary(a) != Primary(b)) return false;
  if (Primary(a) != 0x04) return true;
  const auto simplified = [](uint16_t l) {
    const int sub = l >> 10;
    return sub == 0x00 || sub == 0x02 || sub == 0x04;
  };
  return simplified(a) == simplified(b);
}
}  // namespace

uint16_t ChooseDialogLanguage(const std::vector<uint16_t>& available, uint16_t userLanguage) {
  auto has = [&](uint16_t l) { return std::find(available.begin(), available.end(), l) != available.end(); };
  if (has(userLanguage)) return userLanguage;
  const uint16_t primaryDefault = WithDefaultSublanguage(userLanguage);
  if (has(primaryDefault) && SameScript(primaryDefault, userLanguage)) return primaryDefault;
  for (uint16_t l : available)
    if (SameScript(l, userLanguage)) return l;
  if (has(kLanguageEnglishUs) || available.empty()) return kLanguageEnglishUs;
  return available.front();
}

}  // namespace hvx
