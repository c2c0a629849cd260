// Block 892: hinge curves; block 894: history output requests.
//
// Block 892, one curve:
//
//   line    | values | content
//   --------+--------+---------------------------------------------------------
//   1       | >= 5   | curve number (key), type code, two values, data-set count
//   2       | >= 1   | integer count
//   3       | any    | up to 10 values into the integer list
//   4       | >= 1   | value count
//   5 .. 17 | any    | value list in slices: line 5+k fills entries from 10k+1
//           |        | on, as many as the line holds, never past entry 130
//   groups  |        | data sets, as many as the data-set count says:
//     head  | >= 2   |   point count n, data set value
//     runs  | any    |   six runs of ceil(n/10) lines (none when n <= 0); every
//           |        |   value of a line of run j is appended to array j
//
// The curve is stored once the number of data sets read equals the data-set
// count; a count of 0 or below is never reached, so such a curve is never
// stored (the lines after it are all taken as its data sets). A curve left
// incomplete by the end of the block is dropped, but a run cut off by the end
// of the block fails the block.
//
// Block 894, groups of four lines, each appended to the history output list:
//
//   line | values | content
//   -----+--------+------------------------------------------------------------
//   1    | >= 3   | function class, graph/step type, load set number; a line
//        |        | whose first value is -1 is passed over
//   2    | any    | name: the whole line as it stands (not trimmed)
//   3    | >= 6   | integer slots k1..k6
//   4    | >= 3   | real slots r1..r3
#include <cstddef>

#include "reader/import.h"

namespace hvx {

namespace {
constexpr int kSliceFirst = 5;   // first line of the value list
constexpr int kSliceLast = 17;   // last line of the value list
constexpr int kValueMax = 130;
}  // namespace

int CImportNEUtral::ReadHingeCurves() {
  T_SKCV_D rec;
  int32_t number = 0;
  int line = 1;              // line of the curve head expected next (1..17), or 0 in the data sets
  int32_t setsRead = 0;
  while (NextLine()) {
    if (line == 1) {
      Need(5);
      number = Int(0);
      rec = T_SKCV_D{};
      rec.type = Int(1);
      rec.c2 = Int(2);
      rec.c3 = Int(3);
      rec.nSets = Int(4);
      setsRead = 0;
      line = 2;
      continue;
    }
    if (line == 2) {
      Need(1);
      rec.intCount = Int(0);
    } else if (line == 3) {
      for (size_t i = 0; i < m_nums.size() && i < 10; ++i) rec.ints[i] = Int(i);
    } else if (line == 4) {
      Need(1);
      rec.valueCount = Int(0);
    } else if (line >= kSliceFirst && line <= kSliceLast) {
      // A long line runs on into the next slice, which the next line overwrites.
      const size_t first = static_cast<size_t>(line - kSliceFirst) * 10;
      for (size_t i = 0; i < m_nums.size() && first + i < kValueMax; ++i) rec.value[first + i] = Dbl(i);
    } else {
      // Data set group: the head line, then six runs read here at once.
      Need(2);
      T_SCDS_D set;
      set.n = Int(0);
      set.value = Dbl(1);
      // ceil(n / 10) without overflow for n near INT32_MAX.
      const int64_t runLines = set.n > 0 ? (int64_t{set.n} + 9) / 10 : 0;
      for (auto& arr : set.arr) {
        for (int64_t k = 0; k < runLines; ++k) {
          NextLineInEntry();
          arr.insert(arr.end(), m_nums.begin(), m_nums.end());
        }
      }
      rec.sets.push_back(std::move(set));
      ++setsRead;
      if (setsRead == rec.nSets) {
        Pool().curves.Store(number, rec);
        line = 1;
      }
      continue;
    }
    ++line;
  }
  return 1;
}

int CImportNEUtral::ReadHistoryOutputs() {
  T_THGR_D rec;
  int line = 1;
  while (NextLine()) {
    switch (line) {
      case 1:
        if (!m_nums.empty() && Int(0) == -1) continue;  // separator, starts nothing
        Need(3);
        rec = T_THGR_D{};
        rec.cls = Int(0);
        rec.type = Int(1);
        rec.loadSet = Int(2);
        // The name line is kept as it stands: take it unsplit.
        if (!NextRawLine()) return 1;
        rec.name = std::string(m_line);
        line = 3;
        break;
      case 3:
        Need(6);
        for (int i = 0; i < 6; ++i) rec.k[i] = Int(i);
        line = 4;
        break;
      default:
        Need(3);
        for (int i = 0; i < 3; ++i) rec.r[i] = Dbl(i);
        Pool().histories.push_back(rec);
        line = 1;
        break;
    }
  }
  return 1;
}

}  // namespace hvx
