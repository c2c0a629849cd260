// Rigid links and the empty case of the boundary sections, from pools built
// directly (the golden cases cover supports, releases and offsets); only the
// four boundary sections of the written text are compared.
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

T_CNEQ_D Equation(std::initializer_list<T_EQNCN_D> terms) {
  T_CNEQ_D e;
  e.terms = terms;
  return e;
}

const char* kRigidHead = "*RIGIDLINK    ; Rigid Link\n; M-NODE, DOF, S-NODE LIST, GROUP\n";

}  // namespace

TEST(Boundaries, NothingWithoutSupportsOrFrames) {
  CDataPool pool;
  pool.readMode = 1;
  pool.nodes.Store(1, T_NODS_D{});
  EXPECT_EQ("", WriteBoundaries(pool).sections);
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

