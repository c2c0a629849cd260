// Block 901: load-case options, three lines each.
//
//   line | values | content
//   -----+--------+-----------------------------------------------------------
//   1    | >= 1   | option number
//   2    | >= 10  | case type, modal method, response method, damping method,
//        |        | excitation type, dynamic type, external load type,
//        |        | integration method, combination method, initial-load set
//   3    | >= 6   | eigenvalues, print count, file count, iteration limit
//        |        | (int), frequency shift, tolerance (double)
//
// A group still incomplete when the block ends is dropped.
#include "reader/import.h"

namespace hvx {

int CImportNEUtral::ReadCaseOptions() {
  T_LCOP_D rec;
  int32_t id = 0;
  int line = 1;
  while (NextLine()) {
    if (line == 1) {
      Need(1);
      id = Int(0);
      rec = T_LCOP_D{};
    } else if (line == 2) {
      Need(10);
      int32_t* const f[] = {&rec.caseType,  &rec.modalMethod, &rec.resMethod,  &rec.dampMethod, &rec.excitType,
                            &rec.dynaType,  &rec.extlType,    &rec.intgMethod, &rec.combMethod, &rec.initLoad};
      for (size_t i = 0; i < 10; ++i) *f[i] = Int(i);
    } else {
      Need(6);
      rec.nEigen = Int(0);
      rec.printCount = Int(1);
      rec.fileCount = Int(2);
      rec.iterLimit = Int(3);
      rec.freqShift = Dbl(4);
      rec.tol = Dbl(5);
      Pool().caseOptions.Store(id, rec);
    }
    line = line == 3 ? 1 : line + 1;
  }
  return 1;
}

}  // namespace hvx
