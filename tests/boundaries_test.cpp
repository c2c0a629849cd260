// Supports, rigid links, end releases and end offsets, from pools built
// directly; only these four sections of the written text are compared.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/testutil.h"
#include "writer/writer.h"

using namespace hvxtest;

namespace {

struct Written {
  std::string sections;  // *CONSTRAINT to *OFFSET
  std::string log;
};

Written WriteBoundaries(CDataPool& pool) {
  TempDir dir;
  const std::string model = dir.File("model.hvt");
  CWriteQsxFromNeutral writer;
  writer.Write(model, &pool);
  std::istringstream in(ReadFile(dir.File("model.qsx")));
  std::string line, out;
  bool keep = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '*') {
      const std::string word = line.substr(0, line.find_first_of(" ,;"));
      keep = word == "*CONSTRAINT" || word == "*RIGIDLINK" || word == "*FRAME-RLS" || word == "*OFFSET";
    }
    if (keep) out += line + "\n";
  }
  return {out, ReadFile(dir.File("halvexcvt.msg"))};
}

T_CNND_D Support(int32_t node, std::initializer_list<int32_t> dof) {
  T_CNND_D c;
  c.ent = node;
  int i = 0;
  for (int32_t d : dof) c.dof[i++] = d;
  return c;
}

T_CNEQ_D Equation(std::initializer_list<T_EQNCN_D> terms) {
  T_CNEQ_D e;
  e.terms = terms;
  return e;
}

const char* kConstraintHead = "*CONSTRAINT    ; Supports\n; NODE_LIST, CONST(Dx,Dy,Dz,Rx,Ry,Rz), GROUP\n";
const char* kRigidHead = "*RIGIDLINK    ; Rigid Link\n; M-NODE, DOF, S-NODE LIST, GROUP\n";
const char* kReleaseHead =
    "*FRAME-RLS    ; Beam End Release\n"
    "; ELEM_LIST, bVALUE, FLAG-i, Fxi, Fyi, Fzi, Mxi, Myi, Mzi        ; 1st line\n"
    ";                    FLAG-j, Fxj, Fyj, Fzj, Mxj, Myj, Mzj, GROUP ; 2nd line\n";
const char* kOffsetHead =
    "*OFFSET    ; Beam End Offsets\n"
    "; ELEM_LIST, TYPE, RGDXi, RGDYi, RGDZi, RGDXj, RGDYj, RGDZj, GROUP  ; TYPE=GLOBAL\n"
    "; ELEM_LIST, TYPE, RGDi, RGDj, GROUP                                ; TYPE=ELEMENT\n";

}  // namespace

TEST(Boundaries, NothingWithoutSupportsOrFrames) {
  CDataPool pool;
  pool.readMode = 1;
  pool.nodes.Store(1, T_NODS_D{});
  EXPECT_EQ("", WriteBoundaries(pool).sections);
}

TEST(Boundaries, SupportsFromTheModelSetThenPermanentNodeFlags) {
  CDataPool pool;
  pool.readMode = 1;
  T_CNST_D used, other;
  used.nodes = {Support(12, {1, 1, 1, 0, 0, 0}), Support(3, {}), Support(60, {0, 0, 0, 0, 0, 2})};
  other.nodes = {Support(99, {1, 1, 1, 1, 1, 1})};
  pool.constraints.Store(4, used);
  pool.constraints.Store(2, other);
  pool.modelConstraintSet = 4;
  // Nodes 1, 2, 3 and 60: enumeration visits 60 first (bucket 8419).
  T_NODS_D n;
  for (int32_t id : {1, 2, 3, 60}) {
    n.cnst[0] = id == 2 ? 0 : 1;
    n.cnst[5] = id == 3 ? 1 : 0;
    pool.nodes.Store(id, n);
  }
  EXPECT_EQ(std::string(kConstraintHead) +
                "   12, 111000\n"
                "    3, 000000\n"
                "   60, 000002\n"
                "   60, 100000\n"
                "    1, 100000\n"
                "    3, 100001\n"
                "\n",
            WriteBoundaries(pool).sections);
}

TEST(Boundaries, RigidLinksFromTwoTermEquations) {
  CDataPool pool;
  pool.readMode = 1;
  T_CNST_D set;
  set.eqs = {
      Equation({{5, 3, -1.0}, {9, 3, 1.0}}),
      Equation({{1, 1, -1.0}, {2, 1, 1.0}, {3, 1, 1.0}}),  // multi-point: message
      Equation({{6, 2, 1.0}, {7, 2, -1.0}}),               // other coefficients: silent
      Equation({{8, 6, -1.0}, {10, 6, 1.0}}),
      Equation({{11, 7, -1.0}, {12, 7, 1.0}}),             // code 7: empty DOF
      Equation({}),                                        // no terms: message
  };
  pool.constraints.Store(1, set);
  pool.modelConstraintSet = 1;
  const Written w = WriteBoundaries(pool);
  EXPECT_EQ(std::string(kRigidHead) + " 9, 001000, 5,\n 10, 000001, 8,\n 12, , 11,\n\n", w.sections);
  EXPECT_EQ("A multi-point constraint equation cannot be converted; skipped.\n"
            "A multi-point constraint equation cannot be converted; skipped.\n",
            w.log);
}

TEST(Boundaries, OnlyMultiPointEquationsWriteNoRigidLinkSection) {
  CDataPool pool;
  pool.readMode = 1;
  T_CNST_D set;
  set.eqs = {Equation({{1, 1, -1.0}, {2, 1, 0.5}, {3, 1, 0.5}})};
  pool.constraints.Store(1, set);
  pool.modelConstraintSet = 1;
  const Written w = WriteBoundaries(pool);
  EXPECT_EQ("", w.sections);
  EXPECT_EQ("A multi-point constraint equation cannot be converted; skipped.\n", w.log);
}

TEST(Boundaries, EndReleasesOfLineElementsOnly) {
  CDataPool pool;
  pool.readMode = 1;
  T_ELEM_D e;
  e.type = 2;
  e.release[11] = 1;  // end j Rz
  pool.elements.Store(7, e);
  T_ELEM_D both;
  both.type = 1;
  both.release[4] = both.release[5] = both.release[10] = 1;
  pool.elements.Store(-2, both);
  T_ELEM_D none;
  none.type = 2;
  pool.elements.Store(1, none);
  T_ELEM_D plate;
  plate.type = 15;
  plate.topo = 4;
  plate.release[0] = 1;
  pool.elements.Store(3, plate);
  EXPECT_EQ(std::string(kReleaseHead) +
                "  -2, NO, 000011, 0, 0, 0, 0, 0, 0\n"
                "          000010, 0, 0, 0, 0, 0, 0,\n"
                "  7, NO, 000000, 0, 0, 0, 0, 0, 0\n"
                "          000001, 0, 0, 0, 0, 0, 0,\n"
                "\n",
            WriteBoundaries(pool).sections);
}

TEST(Boundaries, OffsetsAreWrittenWhenTheirSumIsPositive) {
  CDataPool pool;
  pool.readMode = 1;
  auto beam = [&](int32_t id, int32_t topo, std::initializer_list<double> offs) {
    T_ELEM_D e;
    e.type = 2;
    e.topo = topo;
    const double* v = offs.begin();
    for (int k = 0; k < 3; ++k) e.offI[k] = v[k], e.offJ[k] = v[3 + k];
    pool.elements.Store(id, e);
  };
  beam(4, 0, {0, 0, -0.5, 0, 0, -0.5});  // negative sum
  beam(5, 0, {0, 0, 0.5, 0, 0, -0.2});
  beam(6, 0, {1, 0, 0, -1, 0, 0});       // sum 0
  beam(2, 4, {1, 1, 1, 1, 1, 1});        // not a line element
  beam(8, 0, {0.1, 0, 0, 0, 0, 0});
  EXPECT_EQ(std::string(kOffsetHead) +
                "  5, GLOBAL, 0, 0, 0.5, 0, 0, -0.2,\n"
                "  8, GLOBAL, 0.1, 0, 0, 0, 0, 0,\n"
                "\n",
            WriteBoundaries(pool).sections);
}
