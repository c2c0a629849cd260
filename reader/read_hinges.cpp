// Block 902: inelastic hinge properties; block 903: initial element forces.
// Both blocks hold groups of three lines; a record is stored after its third
// line (a later record under the same number replaces it), and a group cut off
// by the end of the block is dropped.
//
// Block 902, one hinge property:
//
//   line | values       | content
//   -----+--------------+--------------------------------------------------
//   1    | >= 11        | property number, ten property values (v[6] is the
//        |              | interaction type code)
//   2    | any          | title, trimmed at both ends
//   3    | 6, or >= 8   | curve numbers for Fx, Fy, Fz, Mx, My, Mz, then the
//        |              | two interaction curve numbers (exactly 7 fails)
//
// Block 903, one initial element force:
//
//   line | values | content
//   -----+--------+--------------------------------------------------------
//   1    | >= 2   | element number, element kind code
//   2    | >= 12  | first row (not used by the output)
//   3    | >= 12  | end forces: six of end i, then six of end j
#include "reader/import.h"

namespace hvx {

int CImportNEUtral::ReadHingeProperties() {
  T_IHPR_D rec;
  int32_t key = 0;
  int line = 1;
  while (line == 2 ? NextRawLine() : NextLine()) {
    switch (line) {
      case 1:
        Need(11);
        key = Int(0);
        rec = T_IHPR_D{};
        for (int i = 0; i < 10; ++i) rec.v[i] = Int(1 + i);
        break;
      case 2:
        rec.title = TrimmedLine();
        break;
      default:
        Need(6);
        if (m_nums.size() == 7) Fail("interaction curves need two values");
        for (int i = 0; i < 6; ++i) rec.comp[i] = Int(i);
        if (m_nums.size() > 6) {
          rec.inter[0] = Int(6);
          rec.inter[1] = Int(7);
        }
        Pool().hinges.Store(key, rec);
        break;
    }
    line = line == 3 ? 1 : line + 1;
  }
  return 1;
}

int CImportNEUtral::ReadInitialForces() {
  T_INFC_D rec;
  int32_t key = 0;
  int line = 1;
  while (NextLine()) {
    switch (line) {
      case 1:
        Need(2);
        key = Int(0);
        rec = T_INFC_D{};
        rec.kind = Int(1);
        break;
      case 2:
        Need(12);
        for (int i = 0; i < 12; ++i) rec.row1[i] = Dbl(i);
        break;
      default:
        Need(12);
        for (int i = 0; i < 12; ++i) rec.ends[i] = Dbl(i);
        Pool().initForces.Store(key, rec);
        break;
    }
    line = line == 3 ? 1 : line + 1;
  }
  return 1;
}

}  // namespace hvx
