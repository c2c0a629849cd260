// Block 100: model title, format version and (read mode 1) unit codes.
//
//   line | content                                  | read mode 0 | read mode 1
//   -----+------------------------------------------+-------------+------------
//   1    | title (whole line, trimmed)              | yes         | yes
//   2    | value 1: format version                  | yes         | yes
//   3    | value 1: length unit, value 2: force unit| not read    | yes
//
// The header is stored whole once complete, or not at all.
#include "reader/import.h"

namespace hvx {

int CImportNEUtral::ReadHeader() {
  T_HEAD_D rec;
  int expect = 1;
  while (NextLine()) {
    if (expect == 1) {
      rec = T_HEAD_D{};
      rec.present = 1;
      rec.title = TrimmedLine();
      expect = 2;
    } else if (expect == 2) {
      Need(1);
      rec.version = Dbl(0);
      if (ReadMode() == 0) {
        Pool().StoreHeader(rec);
        return 1;
      }
      if (ReadMode() == 1) {
        if (rec.version > 100.0) WriteLog("IDS_HALVEX_Because_of_upper_version_file", m_lineCount);
        expect = 3;
      }
      // any other read mode: the next line is taken as the version line again
    } else {
      Need(2);
      rec.lengthUnit = Int(0);
      rec.forceUnit = Int(1);
      Pool().StoreHeader(rec);
      return 1;
    }
  }
  return 1;
}

}  // namespace hvx
