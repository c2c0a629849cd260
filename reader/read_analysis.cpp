// Block 900: analysis settings, in pairs of lines; every complete pair
// replaces the whole record, so the last one wins.
//
//   line | values | content
//   -----+--------+-------------------------------------------------------
//   1    | >= 5   | structure code, mass code, gravity, settings 4 and 5
//   2    | >= 17  | settings 6 to 22 (the print options)
#include "reader/import.h"

namespace hvx {

int CImportNEUtral::ReadAnalysis() {
  T_ANAL_D work;
  bool second = false;
  while (NextLine()) {
    if (!second) {
      Need(5);
      work = T_ANAL_D{};
      work.structCode = Int(0);
      work.massCode = Int(1);
      work.grav = Dbl(2);
      work.set4 = Int(3);
      work.set5 = Int(4);
    } else {
      Need(17);
      for (int i = 0; i < 17; ++i) work.set[i] = Int(i);
      Pool().StoreAnalysis(work);
    }
    second = !second;
  }
  return 1;
}

}  // namespace hvx
