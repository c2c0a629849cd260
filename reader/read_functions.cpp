// Block 420: functions, tables of points giving a value over an argument.
//
//   line         | values | content
//   -------------+--------+----------------------------------------
//   1            | >= 2   | function number, function type code
//   2            | text   | title (whole line, trimmed)
//   point lines  | >= 3   | point number, argument, value
//   closing line | >= 1   | first value -1 (truncated toward zero)
//
// Points stay in file order. A function without its closing line at the end
// of the block is dropped.
#include "reader/import.h"

namespace hvx {

int CImportNEUtral::ReadFunctions() {
  T_FUNC_D rec;
  int32_t id = 0;
  int line = 1;  // 1, 2, or 3 for point and closing lines
  while (line == 2 ? NextRawLine() : NextLine()) {
    if (line == 1) {
      Need(2);
      id = Int(0);
      rec = T_FUNC_D{};
      rec.type = Int(1);
      line = 2;
    } else if (line == 2) {
      rec.title = TrimmedLine();
      line = 3;
    } else {
      Need(1);
      if (Int(0) == -1) {
        Pool().functions.Store(id, rec);
        line = 1;
        continue;
      }
      Need(3);
      rec.pointNo.push_back(Int(0));
      rec.arg.push_back(Dbl(1));
      rec.value.push_back(Dbl(2));
    }
  }
  return 1;
}

}  // namespace hvx
