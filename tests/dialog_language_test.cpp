// Which language's dialog templates the Windows plug-in shows for a user's
// interface language (Windows LANGIDs).
#include <gtest/gtest.h>

#include "host/dialog_language.h"

namespace {

constexpr uint16_t kEnUs = 0x0409, kEnGb = 0x0809, kJa = 0x0411, kKo = 0x0412, kZhCn = 0x0804, kZhTw = 0x0404,
                   kZhSg = 0x1004, kDe = 0x0407, kFrCa = 0x0C0C, kFrFr = 0x040C;

TEST(DialogLanguage, NearestToTheUsersLanguage) {
  const std::vector<uint16_t> shipped = {kEnUs, kJa, kKo, kZhCn};
  struct Case {
    uint16_t user;
    uint16_t shown;
  } cases[] = {
      {kJa, kJa},      // exact
      {kKo, kKo},      // exact
      {kZhSg, kZhCn},  // Simplified Chinese of another region
      {kZhTw, kEnUs},  // Traditional Chinese: no templates in its script
      {kEnGb, kEnUs},  // English of another region
      {kDe, kEnUs},    // no German: English
  };
  for (const Case& c : cases) EXPECT_EQ(c.shown, hvx::ChooseDialogLanguage(shipped, c.user)) << std::hex << c.user;
}

TEST(DialogLanguage, DefaultSublanguageBeforeOtherRegions) {
  EXPECT_EQ(kFrFr, hvx::ChooseDialogLanguage({kEnUs, kFrCa, kFrFr}, 0x100C /* fr-CH */));
}

TEST(DialogLanguage, WithoutEnglishTheFirstThereIs) {
  EXPECT_EQ(kJa, hvx::ChooseDialogLanguage({kJa, kKo}, kDe));
  EXPECT_EQ(kEnUs, hvx::ChooseDialogLanguage({}, kDe));
}

}  // namespace
