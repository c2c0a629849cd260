// The data pool's maps: storing, replacing, and the exact enumeration order.
#include <gtest/gtest.h>

#include "store/datapool.h"

namespace {

template <class Map>
std::vector<int32_t> Order(const Map& m) {
  std::vector<int32_t> keys;
  m.Enumerate([&](int32_t k, const auto&) { keys.push_back(k); });
  EXPECT_EQ(keys, m.Keys());
  return keys;
}

TEST(HashNumber, MinimalStandardStep) {
  EXPECT_EQ(16807u, hvx::HashNumber(1));
  EXPECT_EQ(16807u * 127772u, hvx::HashNumber(127772));
  EXPECT_EQ(2147480811u, hvx::HashNumber(127773));  // 16807*0 - 2836*1 + (2^31 - 1)
  // Negative numbers and the extremes stay in range.
  for (int32_t k : {-1, -127773, INT32_MIN, INT32_MAX, 0}) EXPECT_LT(hvx::HashNumber(k), 2147483648u) << k;
}

TEST(Enumeration, BucketOrderAndChains) {
  CDataPool pool;
  for (int32_t k : {1, 2, 3}) pool.materials.Store(k, T_MATL601_D{});
  EXPECT_EQ((std::vector<int32_t>{3, 1, 2}), Order(pool.materials));

  CDataPool p2;
  for (int32_t k = 1; k <= 10; ++k) p2.loads.Store(k, T_LOAD_D{});
  EXPECT_EQ((std::vector<int32_t>{5, 10, 3, 8, 1, 6, 4, 9, 2, 7}), Order(p2.loads));
  for (int32_t k = 1; k <= 10; ++k) p2.groups.Store(k, T_GRUP_D{});
  EXPECT_EQ((std::vector<int32_t>{9, 4, 8, 3, 7, 2, 6, 1, 10, 5}), Order(p2.groups));

  for (int32_t k : {1, 2, 3, 60}) p2.nodes.Store(k, T_NODS_D{});
  EXPECT_EQ((std::vector<int32_t>{60, 1, 2, 3}), Order(p2.nodes));

  // 5 and 106 share bucket 3: the later number heads the chain.
  p2.caseOptions.Store(5, T_LCOP_D{});
  p2.caseOptions.Store(106, T_LCOP_D{});
  EXPECT_EQ((std::vector<int32_t>{106, 5}), Order(p2.caseOptions));
  // Only the selected, in the same order.
  std::vector<int32_t> picked;
  p2.loads.EnumerateSelected([](int32_t k, const T_LOAD_D&) { return k % 2 == 0; },
                             [&](int32_t k, const T_LOAD_D&) { picked.push_back(k); });
  EXPECT_EQ((std::vector<int32_t>{10, 8, 6, 4, 2}), picked);
  // Replacing keeps the place and replaces the whole record.
  T_LCOP_D o;
  o.caseType = 3;
  p2.caseOptions.Store(5, o);
  EXPECT_EQ((std::vector<int32_t>{106, 5}), Order(p2.caseOptions));
  T_LCOP_D got;
  ASSERT_TRUE(p2.caseOptions.Lookup(5, got));
  EXPECT_EQ(3, got.caseType);
  EXPECT_EQ(2u, p2.caseOptions.Count());
}

TEST(Enumeration, SortedKeysAreSignedAscending) {
  CDataPool pool;
  for (int32_t k : {30, -5, 10, INT32_MIN, 20, INT32_MAX, -2}) pool.nodes.Store(k, T_NODS_D{});
  EXPECT_EQ((std::vector<int32_t>{INT32_MIN, -5, -2, 10, 20, 30, INT32_MAX}), pool.nodes.SortedKeys());
}

TEST(Maps, LookupAndFindOrCreate) {
  CDataPool pool;
  T_ELEM_D e;
  e.type = 7;
  EXPECT_FALSE(pool.elements.Lookup(1, e));
  EXPECT_EQ(7, e.type);  // a failed look-up leaves the record untouched
  T_MATL601_D& m = pool.materials.FindOrCreate(4);
  EXPECT_EQ(0, m.head[2]);
  m.value[36] = 1.2e-5;
  T_MATL601_D copy;
  ASSERT_TRUE(pool.materials.Lookup(4, copy));
  EXPECT_EQ(1.2e-5, copy.value[36]);
  EXPECT_EQ(1u, pool.materials.Count());
}

TEST(Maps, RecordsAreCopiedDeeply) {
  CDataPool pool;
  T_LOAD_D l;
  l.title = "DEAD";
  l.mbld.resize(2);
  pool.loads.Store(1, l);
  l.mbld.clear();
  l.title = "changed";
  T_LOAD_D got;
  ASSERT_TRUE(pool.loads.Lookup(1, got));
  EXPECT_EQ("DEAD", got.title);
  EXPECT_EQ(2u, got.mbld.size());
}

}  // namespace
