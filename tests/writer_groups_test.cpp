// *GROUP with the boundary groups it collects, the spring, mass and link
// sections, and *LOCALAXIS, written from records stored directly in a pool.
// Sections are compared without header comment lines (the golden cases pin them).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/testutil.h"
#include "writer/boundary_index.h"
#include "writer/writer.h"

using namespace hvxtest;

namespace {

// The section of the written text, without comment lines.
std::string Section(const std::string& qsx, const std::string& cmd) { return WithoutComments(SectionOf(qsx, cmd)); }

T_RDATCOMP_D Comp(int32_t first, int32_t last, int32_t step, int32_t write) { return {first, last, step, write}; }

T_RDAT_D Rule(int32_t type, std::vector<T_RDATCOMP_D> comps) { return T_RDAT_D{type, std::move(comps)}; }

T_GRUP_D Group(const char* title, std::vector<T_RDAT_D> rules) {
  T_GRUP_D g;
  g.title = title;
  g.rules = std::move(rules);
  return g;
}

// A property whose value-list entry n (from 1) is base + n.
T_PROP_D Prop(int32_t type, int32_t flag1, const char* title, double base) {
  T_PROP_D p;
  p.type = type;
  p.flag[0] = flag1;
  p.title = title;
  for (int i = 0; i < T_PROP_D::kListMax; ++i) p.value[i] = base + i + 1;
  return p;
}

const std::string kGroupHead = "*GROUP    ; Group\n";
const std::string kBndrHead = "*BNDR-GROUP    ; Boundary Group\n";

TEST(GroupOutput, NumberWalks) {
  const struct {
    const char* name;
    T_RDATCOMP_D comp;
    const char* numbers;
  } cases[] = {
      {"last 0 means the first", Comp(4, 0, 1, 1), " 4"},
      {"step 2 reaching the last", Comp(5, 9, 2, 1), " 5 7 9"},
      {"step 3 stopping below the last", Comp(5, 10, 3, 1), " 5 8"},
      {"last below first", Comp(7, 3, 1, 1), ""},
      {"step 0: the first number only", Comp(3, 7, 0, 1), " 3"},
      {"negative step: the first number only", Comp(3, 7, -2, 1), " 3"},
      {"negative step, last below first", Comp(7, 3, -1, 1), ""},
      {"step 0 and last 0", Comp(6, 0, 0, 1), " 6"},
      {"negative numbers", Comp(-3, -1, 1, 1), " -3 -2 -1"},
      {"up to the largest number", Comp(2147483646, 2147483647, 1, 1), " 2147483646 2147483647"},
      {"write flag 0", Comp(1, 3, 1, 0), ""},
      {"write flag 2", Comp(1, 3, 1, 2), ""},
  };
  for (const auto& c : cases) {
    CDataPool pool;
    pool.groups.Store(8, Group("G", {Rule(17, {c.comp}), Rule(21, {c.comp})}));
    EXPECT_EQ(kGroupHead + " G," + c.numbers + " ," + c.numbers + " \n\n",
              Section(WritePool(pool).qsx, "*GROUP"))
        << c.name;
  }
}

TEST(GroupOutput, RulesInOrderAndOtherRuleTypesIgnored) {
  CDataPool pool;
  pool.groups.Store(2, Group("Mixed", {Rule(21, {Comp(30, 0, 1, 1)}), Rule(17, {Comp(3, 0, 1, 1), Comp(1, 2, 1, 1)}),
                                       Rule(0, {Comp(50, 0, 1, 1)}), Rule(19, {Comp(60, 0, 1, 1)}),
                                       Rule(17, {Comp(9, 0, 1, 1)}), Rule(21, {Comp(20, 21, 1, 1)})}));
  EXPECT_EQ(kGroupHead + " Mixed, 3 1 2 9 , 30 20 21 \n\n", Section(WritePool(pool).qsx, "*GROUP"));
}

TEST(GroupOutput, EnumerationOrderAndNames) {
  CDataPool pool;
  // A 1001-bucket map holding 1, 2 and 3 enumerates 3, 2, 1.
  pool.groups.Store(1, Group("One", {}));
  pool.groups.Store(2, Group("", {}));
  pool.groups.Store(3, Group("Three", {}));
  EXPECT_EQ(kGroupHead + " Three, , \n Strt Group 2, , \n One, , \n\n",
            Section(WritePool(pool).qsx, "*GROUP"));
  CDataPool empty;
  EXPECT_EQ(std::string::npos, WritePool(empty).qsx.find("*GROUP"));
}

TEST(GroupOutput, BoundaryGroups) {
  CDataPool pool;
  pool.elements.Store(5, Elem(7, 9, 1, {1, 0}));   // point spring
  pool.elements.Store(6, Elem(1, 0, 1, {1, 2}));   // truss
  pool.elements.Store(7, Elem(6, 0, 1, {1, 2}));
  pool.elements.Store(8, Elem(82, 0, 1, {1, 2}));  // general link
  pool.elements.Store(9, Elem(81, 0, 1, {1, 2}));  // general spring: not a boundary type
  // Group 4 (no title): write flag 0 still collects the spring.
  pool.groups.Store(4, Group("", {Rule(21, {Comp(5, 6, 1, 0)})}));
  // Group 3: two element rules give two boundary groups of one name; node
  // rules never collect; missing elements are written but not collected.
  pool.groups.Store(3, Group("Links", {Rule(17, {Comp(5, 8, 1, 1)}), Rule(21, {Comp(8, 0, 1, 1), Comp(99, 0, 1, 1)}),
                                       Rule(21, {Comp(6, 7, 1, 1)}), Rule(21, {Comp(9, 0, 1, 1)})}));
  // Group 2: no boundary element at all.
  pool.groups.Store(2, Group("Plain", {Rule(21, {Comp(6, 0, 1, 1), Comp(9, 0, 1, 1)})}));
  // Group 1: holds element 8 too, but is written after group 3.
  pool.groups.Store(1, Group("Late", {Rule(21, {Comp(5, 8, 3, 1)})}));

  CWriteQsxFromNeutral w(hvx::DefaultEnv());
  const std::string qsx = WritePool(pool, &w).qsx;
  // Enumeration order of 1 to 4 in 1001 buckets: 4, 3, 2, 1.
  EXPECT_EQ(kGroupHead +
                " Strt Group 4, , \n"
                " Links, 5 6 7 8 , 8 99 6 7 9 \n"
                " Plain, , 6 9 \n"
                " Late, , 5 8 \n\n",
            Section(qsx, "*GROUP"));
  EXPECT_EQ(kBndrHead + " Bndr Group 4\n Links\n Links\n Links\n Late\n\n", Section(qsx, "*BNDR-GROUP"));
  const auto& b = w.BoundaryGroups();
  ASSERT_EQ(5u, b.size());
  EXPECT_EQ((std::vector<int32_t>{5}), b[0].elems);
  EXPECT_EQ((std::vector<int32_t>{8}), b[1].elems);
  EXPECT_EQ((std::vector<int32_t>{8, 7}), b[2].elems);
  EXPECT_EQ((std::vector<int32_t>{8, 7}), b[3].elems);  // a rule without boundary elements repeats the list
  EXPECT_EQ((std::vector<int32_t>{5, 8}), b[4].elems);
  EXPECT_EQ("Links", w.BoundaryGroupName(8));  // the group created first
  EXPECT_EQ("Bndr Group 4", w.BoundaryGroupName(5));
  EXPECT_EQ("", w.BoundaryGroupName(6));
  EXPECT_EQ("", w.BoundaryGroupName(99));
  // The index the spring and link sections use gives the same names.
  const hvx::CBoundaryIndex index(b);
  for (int32_t e : {1, 5, 6, 7, 8, 9, 99}) EXPECT_EQ(w.BoundaryGroupName(e), index.Name(e)) << e;
  // The boundary-group section follows the group section directly.
  EXPECT_NE(std::string::npos, qsx.find(" Late, , 5 8 \n\n*BNDR-GROUP"));
}

TEST(SpringOutput, GeneralSpringTypesSpringsAndLocalAxes) {
  CDataPool pool;
  AddNode(pool, 1, 0, 0, 0);
  AddNode(pool, 2, 1, 0, 0);
  AddNode(pool, 3, 2, 5, 1);
  AddNode(pool, 4, 4, 6, 3);
  pool.properties.Store(5, Prop(81, 1, "", 0));            // GSPR5, values 1..21
  pool.properties.Store(6, Prop(81, 1, "Soft Soil", 100));
  pool.properties.Store(7, Prop(81, 0, "Off", 0));         // first flag 0: no type, no springs
  pool.properties.Store(8, Prop(82, 1, "Link", 0));        // not a spring type
  pool.elements.Store(20, Elem(81, 0, 5, {1, 2}));                // two-node
  pool.elements.Store(10, Elem(81, 9, 6, {1, 0}, {1, 0, 0}));       // one-node
  pool.elements.Store(11, Elem(81, 9, 6, {3, 4}));                // two-node, off-axis
  pool.elements.Store(12, Elem(81, 9, 5, {3, 0}, {2, -3, 0.5}));    // one-node, same node as 11
  pool.elements.Store(13, Elem(81, 9, 7, {4, 0}));                // flag 0
  pool.elements.Store(14, Elem(81, 9, 77, {4, 0}));               // missing property
  pool.elements.Store(15, Elem(81, 9, 8, {1, 0}, {0, 0, 1}));       // property of another type, first flag 1
  pool.elements.Store(16, Elem(7, 9, 5, {4, 0}));                 // not a general spring
  pool.elements.Store(17, Elem(81, 9, 5, {2, 99}));               // node 2 missing: taken at the origin

  const std::string qsx = WritePool(pool).qsx;
  EXPECT_EQ(
      "*GSPRTYPE    ; Define General Spring Supports\n"
      " GSPR5, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21\n"
      " Soft Soil, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119, "
      "120, 121\n\n",
      Section(qsx, "*GSPRTYPE"));
  EXPECT_EQ(
      "*GSPRING    ; General Spring Supports\n"
      " 1, Soft Soil,  \n"
      " 3, Soft Soil,  \n"
      " 3, GSPR5,  \n"
      " 1, Link,  \n"
      " 2, GSPR5,  \n"
      " 1, GSPR5,  \n\n",
      Section(qsx, "*GSPRING"));
  // Element 11: P2 = (4, 6, 3) + (-(6 - 5), 4 - 2, 0) = (3, 8, 3).
  // Element 12: V2 = (2 + 3, -3 + 2, 0.5). Element 17: P1 at the origin,
  // P2 = (0, 0, 0) + (-(0 - 0), 0 - 1, 0).
  EXPECT_EQ(
      "*LOCALAXIS    ; Node Local Axis\n"
      " 1, 3, 1, 0, 0, 1, 1, 0\n"
      " 3, 2, 2, 5, 1, 4, 6, 3, 3, 8, 3\n"
      " 3, 3, 2, -3, 0.5, 5, -1, 0.5\n"
      " 1, 3, 0, 0, 1, 0, 0, 1\n"
      " 2, 2, 1, 0, 0, 0, 0, 0, 0, -1, 0\n"
      " 1, 2, 0, 0, 0, 1, 0, 0, 1, 1, 0\n\n",
      Section(qsx, "*LOCALAXIS"));
}

TEST(SpringOutput, NoGeneralSpringsNoLocalAxes) {
  CDataPool pool;
  pool.properties.Store(7, Prop(81, 0, "Off", 0));
  pool.elements.Store(1, Elem(81, 9, 7, {1, 0}));
  const std::string qsx = WritePool(pool).qsx;
  EXPECT_EQ(std::string::npos, qsx.find("*GSPRTYPE"));
  EXPECT_EQ(std::string::npos, qsx.find("*GSPRING"));
  EXPECT_EQ(std::string::npos, qsx.find("*LOCALAXIS"));
}

TEST(SpringOutput, NodalMassPointSpringAndElasticLink) {
  CDataPool pool;
  AddNode(pool, 1, 0, 0, 0);
  AddNode(pool, 2, 1, 0, 0);
  AddNode(pool, 3, 0, 0, 1);
  pool.properties.Store(3, Prop(27, 0, "", 0));    // mass: entry n = n
  pool.properties.Store(4, Prop(7, 0, "", 0.5));   // spring: entry n = n + 0.5
  pool.elements.Store(30, Elem(27, 9, 3, {2, 0}));
  pool.elements.Store(31, Elem(27, 9, 55, {3, 0}));  // missing property: zeros
  pool.elements.Store(32, Elem(27, 0, 3, {1, 0}));   // topology 0: no mass
  pool.elements.Store(40, Elem(7, 9, 4, {1, 0}));    // point spring in a boundary group
  pool.elements.Store(41, Elem(7, 9, 4, {2, 0}));    // point spring in none
  pool.elements.Store(42, Elem(7, 9, 56, {3, 0}));   // missing property
  pool.elements.Store(50, Elem(7, 0, 4, {1, 2}, {0, 0, 1}));  // level link: angle 90
  pool.elements.Store(51, Elem(7, 0, 4, {1, 3}, {0, 1, 0}));  // vertical link: angle 180
  pool.elements.Store(52, Elem(7, 0, 4, {2, 2}, {0, 0, 1}));  // equal nodes: neither link nor spring
  pool.elements.Store(53, Elem(7, 0, 57, {1, 2}));          // missing property, zero vector
  pool.elements.Store(54, Elem(7, 1, 4, {1, 2}));           // topology 1: neither
  pool.groups.Store(1, Group("Bearings", {Rule(21, {Comp(40, 0, 1, 0), Comp(50, 0, 1, 0)})}));

  const std::string qsx = WritePool(pool).qsx;
  EXPECT_EQ(
      "*NODALMASS    ; Nodal Masses\n"
      " 2, 8, 12, 13, 2, 4, 7\n"
      " 3, 0, 0, 0, 0, 0, 0\n\n",
      Section(qsx, "*NODALMASS"));
  EXPECT_EQ(
      "*SPRING    ; Point Spring Supports\n"
      " 1, 6.5, 7.5, 8.5, 9.5, 10.5, 11.5, Bearings\n"
      " 2, 6.5, 7.5, 8.5, 9.5, 10.5, 11.5, \n"
      " 3, 0, 0, 0, 0, 0, 0, \n\n",
      Section(qsx, "*SPRING"));
  EXPECT_EQ(
      "*ELASTICLINK\n"
      " 50, 1, 2, GEN, 90, 6.5, 7.5, 8.5, 9.5, 10.5, 11.5, NO, 0.5, 0.5, Bearings\n"
      " 51, 1, 3, GEN, 180, 6.5, 7.5, 8.5, 9.5, 10.5, 11.5, NO, 0.5, 0.5, \n"
      " 53, 1, 2, GEN, 0, 0, 0, 0, 0, 0, 0, NO, 0.5, 0.5, \n\n",
      Section(qsx, "*ELASTICLINK"));
  // Section order: masses, point springs, elastic links.
  EXPECT_LT(qsx.find("*NODALMASS"), qsx.find("*SPRING"));
  EXPECT_LT(qsx.find("*SPRING"), qsx.find("*ELASTICLINK"));
}

// General springs whose direction has no plan component: the local axis is
// written as computed, with P2 on P1 (node 2 straight above or below node 1)
// or V2 equal to V1 (a vertical orientation vector).
TEST(SpringOutput, VerticalSpringsWriteAxesAsComputed) {
  CDataPool pool;
  AddNode(pool, 1, 1, 2, 0);
  AddNode(pool, 2, 1, 2, 3);
  AddNode(pool, 3, 1, 2, -4);
  pool.properties.Store(1, Prop(81, 1, "Pile", 0));
  pool.elements.Store(3, Elem(81, 9, 1, {1, 2}));               // node 2 above node 1: plan direction (0, 0)
  pool.elements.Store(4, Elem(81, 9, 1, {1, 3}));               // node 2 below node 1
  pool.elements.Store(5, Elem(81, 9, 1, {2, 0}, {0, 0, -2}));  // vertical orientation vector
  const std::string qsx = WritePool(pool).qsx;
  // P2 = P1 + (-(2 - 2), 1 - 1, 0) = P1; V2 = (0 - 0, 0 + 0, -2) = V1.
  EXPECT_EQ(
      "*LOCALAXIS    ; Node Local Axis\n"
      " 1, 2, 1, 2, 0, 1, 2, 3, 1, 2, 3\n"
      " 1, 2, 1, 2, 0, 1, 2, -4, 1, 2, -4\n"
      " 2, 3, 0, 0, -2, 0, 0, -2\n\n",
      Section(qsx, "*LOCALAXIS"));
  EXPECT_EQ("*GSPRING    ; General Spring Supports\n 1, Pile,  \n 1, Pile,  \n 2, Pile,  \n\n", Section(qsx, "*GSPRING"));
}

// A damaged range does not run for minutes: a group stands for at most ten
// million numbers, so element 10000000 is reached and 10000001 is not.
TEST(GroupOutput, NumberWalkIsBounded) {
  CDataPool pool;
  pool.elements.Store(5, Elem(7, 9, 0, {1}, {0, 0, 0}));
  pool.elements.Store(10000000, Elem(7, 9, 0, {1}, {0, 0, 0}));
  pool.elements.Store(10000001, Elem(7, 9, 0, {1}, {0, 0, 0}));
  T_GRUP_D g;
  g.title = "Damaged";
  g.rules.push_back(T_RDAT_D{21, {T_RDATCOMP_D{1, 2147483647, 1, 0}}});
  pool.groups.Store(1, g);
  CWriteQsxFromNeutral w(hvx::DefaultEnv());
  const Written out = WritePool(pool, &w);
  ASSERT_EQ(1u, w.BoundaryGroups().size());
  EXPECT_EQ((std::vector<int32_t>{5, 10000000}), w.BoundaryGroups()[0].elems);
  EXPECT_NE(std::string::npos, out.qsx.find(" Damaged, , \n"));
}

}  // namespace
