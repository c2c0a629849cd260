// The boundary groups *GROUP collects, from groups stored directly in a pool:
// the element lists and names the spring, link and damping sections look up,
// and the bound on a damaged range. The section texts are model cases
// (tests/model_cases/writer_groups.txt).
#include <gtest/gtest.h>

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
  ASSERT_EQ(5u, b.size());
  // A rule without boundary elements repeats the list before it.
  const std::vector<std::vector<int32_t>> lists = {{5}, {8}, {8, 7}, {8, 7}, {5, 8}};
  for (size_t i = 0; i < lists.size(); ++i) EXPECT_EQ(lists[i], b[i].elems) << i;
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
// is reached and 10000001 is not.
TEST(GroupOutput, NumberWalkIsBounded) {
  CDataPool pool;
  for (int32_t id : {5, 10000000, 10000001}) pool.elements.Store(id, Elem(7, 9, 0, {1}));
  pool.groups.Store(1, Group("Damaged", {{21, {{1, 2147483647, 1, 0}}}}));
  CWriteQsxFromNeutral w(hvx::DefaultEnv());
  const Written out = WritePool(pool, &w);
  ASSERT_EQ(1u, w.BoundaryGroups().size());
  EXPECT_EQ((std::vector<int32_t>{5, 10000000}), w.BoundaryGroups()[0].elems);
  EXPECT_NE(std::string::npos, out.qsx.find(" Damaged, , \n"));
}

}  // namespace
