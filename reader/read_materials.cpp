// Block 601: materials, a fixed group of 43 lines per material.
//
//   line                | values | content
//   --------------------+--------+---------------------------------------------
//   1                   | >= 7   | material number, six header values
//   2                   | text   | title (whole line, trimmed)
//   3, 5, 9, 30, 36     | >= 1   | count of the list that follows (kept only)
//   4                   | any    | flag list, entries 1 to 10
//   6 to 8              | any    | integer list: line 6+k fills from 10k+1 (of 25)
//   10 to 29            | any    | value list: line 10+k fills from 10k+1 (of 200)
//   31 to 35            | any    | first table: line 31+k fills from 10k+1 (of 50)
//   37 to 43            | any    | second table: line 37+k fills from 10k+1 (of 70)
//
// The line numbers are fixed; the counts do not steer the reading. A slice
// line takes as many values as it holds from its first entry on and stops at
// the end of its list, so a long line runs on into the next slice (which the
// next line then overwrites). A material with fewer than 43 lines at the end of
// the block is dropped.
#include "reader/import.h"

#include <type_traits>

namespace hvx {

namespace {
// Puts the numbers of a slice line into list[first..size) and no further.
template <class T, size_t N>
void FillSlice(T (&list)[N], size_t first, std::span<const double> nums) {
  for (size_t i = 0; i < nums.size() && first + i < N; ++i) {
    if constexpr (std::is_integral_v<T>)
      list[first + i] = hvx::TruncToInt(nums[i]);
    else
      list[first + i] = nums[i];
  }
}
}  // namespace

int CImportNEUtral::ReadMaterials() {
  T_MATL601_D rec;
  int32_t id = 0;
  int line = 1;  // line of the material expected next, 1 to 43
  while (line == 2 ? NextRawLine() : NextLine()) {
    if (line == 1) {
      Need(7);
      id = Int(0);
      rec = T_MATL601_D{};
      for (int i = 0; i < 6; ++i) rec.head[i] = Int(1 + i);
    } else if (line == 2) {
      rec.title = TrimmedLine();
    } else if (line == 3 || line == 5 || line == 9 || line == 30 || line == 36) {
      Need(1);
      const int32_t count = Int(0);
      if (line == 3) rec.flagCount = count;
      if (line == 5) rec.intCount = count;
      if (line == 9) rec.valueCount = count;
      if (line == 30) rec.table1Count = count;
      if (line == 36) rec.table2Count = count;
    } else if (line == 4) {
      FillSlice(rec.flag, 0, m_nums);
    } else if (line <= 8) {
      FillSlice(rec.ints, 10 * (line - 6), m_nums);
    } else if (line <= 29) {
      FillSlice(rec.value, 10 * (line - 10), m_nums);
    } else if (line <= 35) {
      FillSlice(rec.table1, 10 * (line - 31), m_nums);
    } else {
      FillSlice(rec.table2, 10 * (line - 37), m_nums);
    }
    if (line == 43) {
      Pool().materials.Store(id, rec);
      line = 1;
    } else {
      ++line;
    }
  }
  if (line != 1) CutOff(hvx::EKind::kMaterials, id);
  return 1;
}

}  // namespace hvx
