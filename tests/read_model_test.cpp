// Block readers: how odd but good lines fill the store (lines running on,
// overwriting, caps, later records replacing earlier ones whole), read mode
// 0, and records dropped silently when their block ends. The models are
// tests/unit_cases/read_*.txt, each checked here by its name. The malformed
// twins (the failing line in the message window) are model cases in
// tests/model_cases/reader_*.txt; the plain fields reach the QSX text of the
// golden cases. Fields no output uses are not checked.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "tests/case_files.h"
#include "tests/testutil.h"

using namespace hvx;
using namespace hvxtest;

namespace {

using Check = std::function<void(const CDataPool&)>;

// Reads every case of file in the read mode given: the read log must be the
// case's "--- log" part (none: empty); then the check of its name runs, or
// its "--- count MAP N" part gives the records the map keeps.
void RunFile(const std::string& file, int mode, const std::map<std::string, Check>& checks) {
  std::set<std::string> checked;
  for (const ModelCase& c : ModelCases(file)) {
    SCOPED_TRACE(c.where);
    for (const auto& part : c.parts) EXPECT_TRUE(part.first == "log" || part.first == "count") << part.first;
    CDataPool* pool = nullptr;
    EXPECT_EQ(c.parts.count("log") ? c.parts.at("log").second : "", ReadModel(c.model, pool, mode));
    ASSERT_NE(nullptr, pool);
    if (c.parts.count("count")) {
      const std::map<std::string, size_t> counts = {
          {"properties", pool->properties.Count()}, {"materials", pool->materials.Count()},
          {"functions", pool->functions.Count()},   {"curves", pool->curves.Count()},
          {"loads", pool->loads.Count()},           {"groups", pool->groups.Count()},
          {"hinges", pool->hinges.Count()},         {"caseOptions", pool->caseOptions.Count()}};
      std::istringstream in(c.parts.at("count").first);
      std::string map;
      size_t n = 0;
      ASSERT_TRUE(in >> map >> n && counts.count(map)) << "count part: " << c.parts.at("count").first;
      EXPECT_EQ(n, counts.at(map));
    } else {
      ASSERT_EQ(1u, checks.count(c.name)) << "no check of this name";
      checks.at(c.name)(*pool);
      checked.insert(c.name);
    }
  }
  EXPECT_EQ(checks.size(), checked.size()) << "checks without a case";
}

TEST(ReadBlocks, OddButGoodLinesFillTheStore) {
  RunFile("read_good.txt", 1, {
      {"elements", [](const CDataPool& p) {
         // The second vector only from exactly six values; a later element replaces one of its number;
         // element 6, cut off after line G, is dropped.
         EXPECT_EQ((Dbls{4, 6, 3, 0, 0}), (Dbls{Get(p.elements, 5).orient2[0], Get(p.elements, 5).orient2[2],
                                                Get(p.elements, 1).orient[2], Get(p.elements, 1).orient2[0],
                                                Get(p.elements, 2).orient2[0]}));
         EXPECT_EQ((Ints{3, 2, 4}), (Ints{Get(p.elements, 9).type, Get(p.elements, 9).prop, int(p.elements.Count())}));
       }},
      {"properties", [](const CDataPool& p) {
         const T_PROP_D r = Get(p.properties, 7);
         EXPECT_EQ("Column C30", r.title);
         EXPECT_EQ((Dbls{10, 40.5}), (Dbls{r.value[0], r.value[3]}));
         EXPECT_EQ((Dbls{11, 6, 0}), (Dbls{double(Get(p.properties, 1).type), Get(p.properties, 1).value[0],
                                           Get(p.properties, 1).value[1]}));  // the later one wins, nothing merged
       }},
      {"a point table of 150 keeps 100 points", [](const CDataPool& p) {
         const T_PROP_D r = Get(p.properties, 2);
         EXPECT_EQ((Dbls{100, 100}), (Dbls{double(r.outline1.size()), r.outline1.back().x}));
       }},
      {"materials", [](const CDataPool& p) {
         const T_MATL601_D m = Get(p.materials, 3);
         EXPECT_EQ("Steel  S 355", m.title);
         EXPECT_EQ((Dbls{210000, 21, 30, -31, -33, 0}),
                   (Dbls{m.value[0], m.value[20], m.value[29], m.value[30], m.value[32], m.value[33]}));
         EXPECT_TRUE(p.materials.Contains(-4));
       }},
      {"functions", [](const CDataPool& p) {
         const T_FUNC_D f = Get(p.functions, 12);
         EXPECT_EQ("El Centro NS", f.title);
         EXPECT_EQ((Dbls{0, 0.02, 0.04}), f.arg);
         EXPECT_EQ((Dbls{0, 0.5, -1.25}), f.value);
         EXPECT_EQ((Dbls{5, 1}), (Dbls{double(Get(p.functions, 13).type), double(Get(p.functions, 13).arg.size())}));
       }},
      {"hinge curves", [](const CDataPool& p) {
         const T_SKCV_D c = Get(p.curves, 7);
         EXPECT_EQ((Ints{3, 10}), (Ints{c.type, c.ints[9]}));
         EXPECT_EQ((Dbls{10, 21, 22, 23, 0, 121, 130}),
                   (Dbls{c.value[9], c.value[10], c.value[11], c.value[12], c.value[13], c.value[120], c.value[129]}));
         ASSERT_EQ(2u, c.sets.size());
         EXPECT_EQ((Dbls{25, 0.5, 27, 1, 25, 2, 3, 0, 7.5, 0}),
                   (Dbls{double(c.sets[0].n), c.sets[0].value, double(c.sets[0].arr[0].size()), c.sets[0].arr[0][0],
                         double(c.sets[0].arr[1].size()), c.sets[0].arr[1][0], c.sets[0].arr[5][24],
                         double(c.sets[1].n), c.sets[1].value, double(c.sets[1].arr[5].size())}));
       }},
      {"history output", [](const CDataPool& p) {
         ASSERT_EQ(2u, p.histories.size());  // names kept as they stand, commas and all
         EXPECT_EQ((std::vector<std::string>{"   Roof disp  ", "A=1, B"}),
                   (std::vector<std::string>{p.histories[0].name, p.histories[1].name}));
         EXPECT_EQ((Ints{1, 100, -3}), (Ints{p.histories[1].cls, p.histories[1].type, p.histories[1].loadSet}));
       }},
      {"hinge properties", [](const CDataPool& p) {
         const T_IHPR_D h = Get(p.hinges, 7), g = Get(p.hinges, 9), k = Get(p.hinges, 12);
         // The later 7 replaces the first whole; six component values give no interaction curves.
         EXPECT_EQ((std::vector<std::string>{"second", "", "title"}),
                   (std::vector<std::string>{h.title, g.title, k.title}));
         EXPECT_EQ((Ints{0, 2, 0, 6, 0, 0}), (Ints{h.v[0], h.v[6], h.comp[0], h.comp[5], h.inter[0], h.inter[1]}));
         EXPECT_EQ((Ints{21, 31, 32, 7, 8}), (Ints{g.comp[4], g.inter[0], g.inter[1], k.inter[0], k.inter[1]}));
       }},
      {"initial forces", [](const CDataPool& p) {
         EXPECT_EQ((Dbls{-1.5, 12.25, 1}), (Dbls{Get(p.initForces, 12).ends[0], Get(p.initForces, 12).ends[11],
                                                 double(p.initForces.Count())}));
       }},
      {"loads", [](const CDataPool& p) {
         const T_LOAD_D l = Get(p.loads, 9);
         ASSERT_EQ(1u, l.mbld.size());
         const T_MBLD_D& m = l.mbld[0];  // a tail line starting with -1 is still a tail line
         EXPECT_EQ((Dbls{4, -1, 8, 2.5, 12.5, 9, 1}),
                   (Dbls{double(m.target), double(m.dir[0]), double(m.dir[2]), m.extFactor, m.val[0], m.val[4],
                         m.vec[2]}));
         ASSERT_EQ(2u, l.etld.size());  // seven values suffice for layout 1
         EXPECT_EQ((Ints{7, 2, 1}), (Ints{l.etld[0].elem, l.etld[0].layout, l.etld[1].layout}));
         EXPECT_EQ((Dbls{0.6, 0}), (Dbls{l.etld[0].t[5], l.etld[1].t[0]}));
         EXPECT_EQ("B", Get(p.loads, 4).title);  // the later set of a number wins
       }},
      {"groups", [](const CDataPool& p) {
         const T_GRUP_D g = Get(p.groups, 7), f = Get(p.groups, 8);
         EXPECT_EQ("Second", g.title);  // the later 7 replaces the first, nothing merged
         EXPECT_TRUE(g.rules.empty());
         ASSERT_EQ(3u, f.rules.size());  // a rule head of 0 starts a rule
         EXPECT_EQ((Ints{2, 0, 21, 1}), (Ints{int(f.rules[0].comps.size()), int(f.rules[1].comps.size()),
                                              f.rules[2].type, int(f.rules[2].comps.size())}));
       }},
      {"constraints", [](const CDataPool& p) {
         EXPECT_EQ(3, p.modelConstraintSet.value_or(0));  // the first set of the last block, though cut short
         EXPECT_EQ((Ints{1, 1}), (Ints{p.constraints.Contains(6), !p.constraints.Contains(3)}));
         const T_CNST_D c = Get(p.constraints, 4);
         ASSERT_EQ(2u, c.nodes.size());
         const auto& n = c.nodes[0];
         EXPECT_EQ((Ints{12, 1, 1, 1, 0, 0, 0, 1}),
                   (Ints{n.ent, n.dof[0], n.dof[1], n.dof[2], n.dof[3], n.dof[4], n.dof[5], c.nodes[1].dof[5]}));
         ASSERT_EQ(2u, c.eqs.size());  // an equation of no terms is kept
         EXPECT_EQ((Ints{2, 0}), (Ints{int(c.eqs[0].terms.size()), int(c.eqs[1].terms.size())}));
       }},
  });
}

// Read mode 0 (the driver always reads with 1; a caller of the reader may not).
TEST(ReadBlocks, ReadMode0) {
  RunFile("read_mode0.txt", 0, {
      {"elements store after line G", [](const CDataPool& p) {
         EXPECT_EQ((Dbls{0, 0, 3}), (Dbls{Get(p.elements, 5).orient2[0], double(Get(p.elements, 5).mat),
                                          double(Get(p.elements, 6).type)}));
       }},
      {"loads keep the short groups", [](const CDataPool& p) {
         const T_LOAD_D l = Get(p.loads, 3);
         EXPECT_EQ((Dbls{6, 0, 0}), (Dbls{l.L[5], l.L[6], double(l.lcop)}));
         ASSERT_EQ(1u, l.mbld.size());
         EXPECT_EQ((Dbls{5, 1}), (Dbls{l.mbld[0].val[0], l.mbld[0].extFactor}));
       }},
      {"constraints in the plain layout", [](const CDataPool& p) {
         const T_CNST_D c = Get(p.constraints, 3);
         ASSERT_EQ(1u, c.nodes.size());
         EXPECT_EQ((Ints{7, 1, 0, 1}), (Ints{c.nodes[0].ent, c.nodes[0].dof[0], c.nodes[0].dof[1], c.nodes[0].dof[2]}));
         EXPECT_EQ((Ints{1, 1, 1, 0}),
                   (Ints{int(c.points.size()), int(c.curves.size()), int(c.surfaces.size()), int(c.eqs.size())}));
       }},
      {"constraints: eight values are short, in the surface list too",
       [](const CDataPool& p) { EXPECT_FALSE(p.constraints.Contains(2)); }},
      {"groups take three values on line 3, no coefficients", [](const CDataPool& p) {
         EXPECT_EQ((Dbls{0, 3, 3}),
                   (Dbls{Get(p.groups, 4).damp, double(Get(p.groups, 4).l3[2]), double(Get(p.groups, 5).l3[2])}));
       }},
      {"header ignores line 3", [](const CDataPool& p) {
         EXPECT_EQ((Ints{1, 0}), (Ints{p.Header().present, p.Header().lengthUnit}));
       }},
  });
}

// Records cut off by the end of their block are dropped without a log entry.
TEST(ReadBlocks, CutOffRecordsAreDroppedSilently) { RunFile("read_cut_off.txt", 1, {}); }

}  // namespace
