// Rigid links from constraint equations, from pools built directly (the golden
// cases cover supports, releases and offsets); only the four boundary sections
// of the written text are compared, without header comment lines.
#include <gtest/gtest.h>

#include "tests/testutil.h"
#include "writer/writer.h"

using namespace hvxtest;

namespace {

// The boundary sections (*CONSTRAINT to *OFFSET) and the write log.
Written WriteBoundaries(CDataPool& pool) {
  pool.readMode = 1;
  pool.modelConstraintSet = 1;
  const Written w = WritePool(pool);
  return {WithoutComments(KeepSections(w.qsx, {"*CONSTRAINT", "*RIGIDLINK", "*FRAME-RLS", "*OFFSET"})), w.log};
}

T_CNEQ_D Equation(std::initializer_list<T_EQNCN_D> terms) {
  T_CNEQ_D e;
  e.terms = terms;
  return e;
}

const std::string kMultiPoint = "A multi-point constraint equation cannot be converted; skipped.\n";

TEST(Boundaries, RigidLinksFromTwoTermEquations) {
  CDataPool pool;
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
  const Written w = WriteBoundaries(pool);
  EXPECT_EQ("*RIGIDLINK    ; Rigid Link\n 9, 001000, 5,\n 10, 000001, 8,\n 12, , 11,\n\n", w.qsx);
  EXPECT_EQ(kMultiPoint + kMultiPoint, w.log);
}

TEST(Boundaries, OnlyMultiPointEquationsWriteNoRigidLinkSection) {
  CDataPool pool;
  T_CNST_D set;
  set.eqs = {Equation({{1, 1, -1.0}, {2, 1, 0.5}, {3, 1, 0.5}})};
  pool.constraints.Store(1, set);
  const Written w = WriteBoundaries(pool);
  EXPECT_EQ("", w.qsx);
  EXPECT_EQ(kMultiPoint, w.log);
}

}  // namespace
