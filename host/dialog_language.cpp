#include "host/dialog_language.h"

#include <algorithm>

namespace hvx {
namespace {
constexpr uint16_t Primary(uint16_t language) { return language & 0x3ff; }
constexpr uint16_t WithDefaultSublanguage(uint16_t language) { return static_cast<uint16_t>(0x0400 | Primary(language)); }
}  // namespace

uint16_t ChooseDialogLanguage(const std::vector<uint16_t>& available, uint16_t userLanguage) {
  auto has = [&](uint16_t l) { return std::find(available.begin(), available.end(), l) != available.end(); };
  if (has(userLanguage)) return userLanguage;
  if (has(WithDefaultSublanguage(userLanguage))) return WithDefaultSublanguage(userLanguage);
  for (uint16_t l : available)
    if (Primary(l) == Primary(userLanguage)) return l;
  if (has(kLanguageEnglishUs) || available.empty()) return kLanguageEnglishUs;
  return available.front();
}

}  // namespace hvx
