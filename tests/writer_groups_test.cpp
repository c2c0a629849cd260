// The boundary groups *GROUP collects, from groups stored directly in a pool:
// the element lists and names the spring, link and damping sections look up,
// and the bound on a damaged range. The section texts are model cases
// (tests/model_cases/writer_groups.txt).
#include <gtest/gtest.h>

#include <tuple>

#include "tests/testutil.h"
#include "writer/boundary_index.h"
#include "writer/writer.h"

using namespace hvx;

using namespace hvxtest;

namespace {

T_GRUP_D Group(const char* title, std::vector<T_RDAT_D> rules) {
  T_GRUP_D g;
  g.title = title;
  g.rules = std::move(rules);
  return g;
}

TEST(GroupOutput, BoundaryGroups) {
  CDataPool pool;
  pool.elements.Store(5, Elem(7, 9, 1, {1, 0}));   // point spring
  pool.elements.Store(6, Elem(1, 0, 1, {1, 2}));   // truss
  pool.elements.Store(7, Elem(6, 0, 1, {1, 2}));
  pool.elements.Store(8, Elem(82, 0, 1, {1, 2}));  // general link
  pool.elements.Store(9, Elem(81, 0, 1, {1, 2}));  // general spring: not a boundary type
  // Group 4 (no title): write flag 0 still collects the spring.
  pool.groups.Store(4, Group("", {{21, {{5, 6, 1, 0}}}}));
  // Group 3: each element rule gives a boundary group of one name; node rules
  // never collect; missing elements are written but not collected.
  pool.groups.Store(3, Group("Links", {{17, {{5, 8, 1, 1}}}, {21, {{8, 0, 1, 1}, {99, 0, 1, 1}}},
                                       {21, {{6, 7, 1, 1}}}, {21, {{9, 0, 1, 1}}}}));
  pool.groups.Store(2, Group("Plain", {{21, {{6, 0, 1, 1}, {9, 0, 1, 1}}}}));
  pool.groups.Store(1, Group("Late", {{21, {{5, 8, 3, 1}}}}));  // element 8 too, written after group 3
  CWriteQsxFromNeutral w(hvx::DefaultEnv());
  const std::string qsx = WritePool(pool, &w).qsx;
  const auto& b = w.BoundaryGroups();
  // One entry per group that reaches a boundary element, listed once per
  // element rule from the first that reached one on (a rule without boundary
  // elements repeats the name); each element is held by the first group that
  // reaches it only, as that group names it.
  using Listed = std::vector<std::tuple<std::string, std::vector<int32_t>, int64_t>>;
  Listed listed;
  for (const T_BNDRGRP_D& g : b) listed.emplace_back(g.name, g.elems, g.lines);
  EXPECT_EQ((Listed{{"Bndr Group 4", {5}, 1}, {"Links", {8, 7}, 3}, {"Late", {}, 1}}), listed);
  const hvx::CBoundaryIndex index(b);
  const std::pair<int32_t, const char*> names[] = {{8, "Links"}, {5, "Bndr Group 4"}, {6, ""}, {99, ""}, {1, ""},
                                                  {7, "Links"}, {9, ""}};
  for (const auto& [e, name] : names) {
    EXPECT_EQ(name, w.BoundaryGroupName(e)) << e;
    EXPECT_EQ(name, index.Name(e)) << e;
  }
  EXPECT_NE(std::string::npos, qsx.find(" Late, , 5 8 \n\n*BNDR-GROUP"));
}

// A damaged range stands for at most ten million numbers: element 10000000
// is reached and 10000001 is not. Ranges with steps reach the elements on
// their steps only, whichever way they are looked for.
TEST(GroupOutput, NumberWalkIsBounded) {
  CDataPool pool;
  for (int32_t id : {5, 10000000, 10000001}) pool.elements.Store(id, Elem(7, 9, 0, {1}));
  for (int32_t id : {21, 24, 27, 30, 33}) pool.elements.Store(id, Elem(82, 0, 0, {1, 2}));
  pool.groups.Store(1, Group("Damaged", {{21, {{1, 2147483647, 1, 0}}}}));
  // Steps of 3 from 24: a short run (two numbers, five elements in its span)
  // and a long one (elements looked for in the span).
  pool.groups.Store(2, Group("Short", {{21, {{24, 27, 3, 0}}}}));
  pool.groups.Store(3, Group("Long", {{21, {{0, 100, 3, 0}, {22, 1000, 2, 0}}}}));
  CWriteQsxFromNeutral w(hvx::DefaultEnv());
  const Written out = WritePool(pool, &w);
  std::vector<std::pair<std::string, std::vector<int32_t>>> listed;
  for (const T_BNDRGRP_D& g : w.BoundaryGroups()) listed.emplace_back(g.name, g.elems);
  EXPECT_EQ((decltype(listed){{"Long", {21, 24, 27, 30, 33}}, {"Short", {}}, {"Damaged", {5, 10000000}}}), listed);
  EXPECT_NE(std::string::npos, out.qsx.find(" Damaged, , \n"));
}

// A range that is not written costs nothing to pass over: thousands of
// groups over the whole number range, each standing for ten million numbers,
// convert at once (walked one by one, they would run for minutes).
TEST(GroupOutput, UnwrittenRangesAreNotWalked) {
  CDataPool pool;
  pool.elements.Store(3, Elem(7, 9, 0, {1}));
  for (int32_t id = 1; id <= 5000; ++id) pool.groups.Store(id, Group("", {{21, {{1, 2147483647, 1, 0}}}}));
  CWriteQsxFromNeutral w(hvx::DefaultEnv());
  const Written out = WritePool(pool, &w);
  ASSERT_EQ(5000u, w.BoundaryGroups().size());
  EXPECT_EQ((std::vector<int32_t>{3}), w.BoundaryGroups()[0].elems);
  EXPECT_TRUE(w.BoundaryGroups()[1].elems.empty());
  EXPECT_NE(std::string::npos, out.qsx.find(" Strt Group 5000, , \n"));
}

}  // namespace
