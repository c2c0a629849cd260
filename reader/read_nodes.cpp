// Block 403: one node per line.
//
//   value | field
//   ------+-----------------------------------------------
//   1     | node number (key)
//   2-5   | four node attributes
//   6-11  | constraint flags Dx, Dy, Dz, Rx, Ry, Rz
//   12-14 | X, Y, Z (also kept as the second position copy)
//   15    | node kind
//
// Fewer than 15 values fail the block; later values are ignored.
#include "reader/import.h"

namespace hvx {

int CImportNEUtral::ReadNodes() {
  T_NODS_D rec;
  while (NextLine()) {
    Need(15);
    for (int i = 0; i < 4; ++i) rec.attr[i] = Int(1 + i);
    for (int i = 0; i < 6; ++i) rec.cnst[i] = Int(5 + i);
    for (int i = 0; i < 3; ++i) rec.pos[i] = rec.pos2[i] = Dbl(11 + i);
    rec.kind = Int(14);
    Pool().nodes.Store(Int(0), rec);
  }
  return 1;
}

}  // namespace hvx
