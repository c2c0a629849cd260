// The conversion report's reasons: one entry per distinct text, in the order
// first met, counting every entity and keeping the first numbers, however
// many distinct reasons a model gives (each entry is found by its text).
#include <gtest/gtest.h>

#include <string>

#include "base/format.h"
#include "base/report.h"

using namespace hvx;

TEST(Report, ReasonsStayInTheOrderFirstMet) {
  CConversionReport r;
  r.KeepAllNumbers(EKind::kStaticLoads);
  constexpr int kReasons = 3000;
  // Each reason twice over (ids i and i + kReasons), the second pass backwards.
  for (int i = 0; i < kReasons; ++i) r.NotConverted(EKind::kStaticLoads, Format("load kind %d", 1000 + i), i);
  for (int i = kReasons - 1; i >= 0; --i)
    r.NotConverted(EKind::kStaticLoads, Format("load kind %d", 1000 + i), kReasons + i);
  r.PartlyConverted(EKind::kStaticLoads, "load kind 1000", 7);
  const CConversionReport::CKind& k = r.Kind(EKind::kStaticLoads);
  ASSERT_EQ(static_cast<size_t>(kReasons), k.notConverted.size());
  for (int i = 0; i < kReasons; ++i) {
    const CConversionReport::CReason& reason = k.notConverted[static_cast<size_t>(i)];
    EXPECT_EQ(Format("load kind %d", 1000 + i), reason.text);
    EXPECT_EQ(2, reason.count);
    EXPECT_EQ((std::vector<int32_t>{i, kReasons + i}), reason.numbers);
  }
  // Every entity, with the index of its reason.
  const auto& all = r.AllNumbers(EKind::kStaticLoads);
  ASSERT_EQ(static_cast<size_t>(2 * kReasons), all.size());
  EXPECT_EQ(0u, all[0].reason);
  EXPECT_EQ(static_cast<uint32_t>(kReasons - 1), all[static_cast<size_t>(kReasons)].reason);
  // Partly converted is a list of its own.
  ASSERT_EQ(1u, k.partlyConverted.size());
  EXPECT_EQ(1, k.partlyConverted[0].count);
  // The first kMaxNumbers numbers of a reason are kept, every one counted.
  for (int i = 0; i < 50; ++i) r.NotConverted(EKind::kElements, "same", i);
  const CConversionReport::CReason& same = r.Kind(EKind::kElements).notConverted.at(0);
  EXPECT_EQ(50, same.count);
  EXPECT_EQ(CConversionReport::kMaxNumbers, same.numbers.size());
}
