// Block 507: load sets. A fixed head of 21 lines, then four lists, each closed
// by a line whose first value is -1.
//
//   line  | values (mode 1) | content
//   ------+-----------------+-------------------------------------------------
//   1     | 1               | set number
//   2     | any             | title (whole line, trimmed)
//   3     | 7               | A1 (int), A2 (dbl), A3..A6 (int), A7 (dbl)
//   4-7   | 3 each          | gravity vector, three further vectors
//   8     | 4               | vector E, value E4 (int)
//   9, 10 | 4 each          | groups F and G
//   11,12 | 3 each          | groups H and I (int)
//   13    | 4               | group J
//   14    | 3               | group K
//   15    | 6 (10)          | group L (values 7-10 in mode 1 only)
//   16    | 9 (12)          | group M (values 10-12 in mode 1 only)
//   17    | 10              | group N (int)
//   18    | 8 (13)          | group P (int; values 9-13 in mode 1 only)
//   19    | 7               | group Q (int)
//   20    | 9               | nonlinear flag, group R (int)
//   21    | 9 (10)          | dynamic-load code, group S, option number (mode 1)
//   ------+-----------------+-------------------------------------------------
//   structural load: head 7 (9), then 6 lines of 3, 5, 5, 3 (4), 3, 3 values
//   geometry load:   head 7, then 18 lines of 3, 5, 5, 5, 3, 3, 2, 3, 3, 2,
//                    any, any, 3, 3, 3, 3, 4, 2 values
//   nodal temperature:   one line of 7 values
//   element temperature: one line of 7 values (13 when value 7 is 2)
//
// The -1 line closing the element temperatures stores the set. The tail lines
// of an entry follow its head whatever their first value; a tail running past
// the block fails. A set still open when the block ends is dropped.
#include "reader/import.h"

namespace hvx {

namespace {
template <class T>
void Ints(T* dst, std::span<const double> v, size_t from, size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] = hvx::TruncToInt(v[from + i]);
}
void Dbls(double* dst, std::span<const double> v, size_t from, size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] = v[from + i];
}
}  // namespace

int CImportNEUtral::ReadLoads() {
  const bool ext = ReadMode() == 1;

  // Next line of a list: false when it is the list's closing -1 line.
  bool ended = false;  // the block ran out: the open set is dropped
  auto listLine = [&]() {
    if (!NextLine()) {
      ended = true;
      return false;
    }
    Need(1);
    return Int(0) != -1;
  };
  // Next tail line of an entry, with at least n values.
  auto tail = [&](size_t n) {
    NextLineInEntry();
    Need(n);
  };

  while (NextLine()) {
    Need(1);
    const int32_t id = Int(0);
    T_LOAD_D rec;
    const auto& v = m_nums;

    // Head lines 2 to 21: each fills its fields; a missing one drops the set.
    if (!NextLine()) return 1;
    rec.title = TrimmedLine();
    struct HeadLine {
      size_t need0, need1;
    };
    static constexpr HeadLine kHead[] = {
        {7, 7}, {3, 3}, {3, 3}, {3, 3}, {3, 3}, {4, 4}, {4, 4},   {4, 4}, {3, 3},  {3, 3},
        {4, 4}, {3, 3}, {6, 10}, {9, 12}, {10, 10}, {8, 13}, {7, 7}, {9, 9}, {9, 10},
    };
    for (int line = 3; line <= 21; ++line) {
      if (!NextLine()) return 1;
      const HeadLine& h = kHead[line - 3];
      Need(ext ? h.need1 : h.need0);
      switch (line) {
        case 3:
          rec.A1 = Int(0);
          rec.A2 = Dbl(1);
          Ints(rec.A3, v, 2, 4);
          rec.A7 = Dbl(6);
          break;
        case 4: Dbls(rec.grav, v, 0, 3); break;
        case 5: Dbls(rec.vec5, v, 0, 3); break;
        case 6: Dbls(rec.vec6, v, 0, 3); break;
        case 7: Dbls(rec.vec7, v, 0, 3); break;
        case 8:
          Dbls(rec.E, v, 0, 3);
          rec.E4 = Int(3);
          break;
        case 9: Dbls(rec.F, v, 0, 4); break;
        case 10: Dbls(rec.G, v, 0, 4); break;
        case 11: Ints(rec.H, v, 0, 3); break;
        case 12: Ints(rec.I, v, 0, 3); break;
        case 13: Dbls(rec.J, v, 0, 4); break;
        case 14: Dbls(rec.K, v, 0, 3); break;
        case 15: Dbls(rec.L, v, 0, ext ? 10 : 6); break;
        case 16: Dbls(rec.M, v, 0, ext ? 12 : 9); break;
        case 17: Ints(rec.N, v, 0, 10); break;
        case 18: Ints(rec.P, v, 0, ext ? 13 : 8); break;
        case 19: Ints(rec.Q, v, 0, 7); break;
        case 20:
          rec.nonlinear = Int(0);
          Ints(rec.R, v, 1, 8);
          break;
        case 21:
          rec.dynCode = Int(0);
          Ints(rec.S, v, 1, 8);
          if (ext) rec.lcop = Int(9);
          break;
      }
    }

    // Structural loads: a head line and six tail lines each.
    while (listLine()) {
      Need(ext ? 9 : 7);
      T_MBLD_D m;
      m.target = Int(0);
      m.kind = Int(1);
      Ints(m.head, v, 2, 5);
      if (ext) {
        m.extInt = Int(7);
        m.extFactor = Dbl(8);
      }
      tail(3);
      Ints(m.dir, v, 0, 3);
      tail(5);
      Dbls(m.val, v, 0, 5);
      tail(5);
      Ints(m.l3, v, 0, 5);
      tail(ext ? 4 : 3);
      Ints(m.l4, v, 0, 3);
      if (ext) m.proj = Int(3);
      tail(3);
      Ints(m.l5, v, 0, 3);
      tail(3);
      Dbls(m.vec, v, 0, 3);
      rec.mbld.push_back(m);
    }
    if (ended) return 1;

    // Geometry loads: a head line and eighteen tail lines each.
    while (listLine()) {
      Need(7);
      T_GBLD_D g;
      g.num = Int(0);
      Ints(g.head, v, 1, 6);
      tail(3);
      Ints(g.g1, v, 0, 3);
      tail(5);
      Dbls(g.g2, v, 0, 5);
      tail(5);
      Ints(g.g3, v, 0, 5);
      tail(5);
      Ints(g.g4, v, 0, 5);
      tail(3);
      Ints(g.g5, v, 0, 3);
      tail(3);
      Dbls(g.g6, v, 0, 3);
      tail(2);
      Ints(g.g7, v, 0, 2);
      tail(3);
      Dbls(g.g8, v, 0, 3);
      tail(3);
      Dbls(g.g9, v, 0, 3);
      tail(2);
      Ints(g.g10, v, 0, 2);
      tail(0);
      g.text1 = TrimmedLine();
      tail(0);
      g.text2 = TrimmedLine();
      tail(3);
      Dbls(g.g13, v, 0, 3);
      tail(3);
      Dbls(g.g14, v, 0, 3);
      tail(3);
      Dbls(g.g15, v, 0, 3);
      tail(3);
      Dbls(g.g16, v, 0, 3);
      tail(4);
      Dbls(g.g17, v, 0, 4);
      tail(2);
      g.final = Int(0);
      g.head[5] = Int(1);  // head value 7 is replaced by line 18 value 2
      rec.gbld.push_back(g);
    }
    if (ended) return 1;

    // Values 2 to 6 of a nodal or element temperature line.
    auto temperatureValues = [&](auto& t) {
      t.i2 = Int(1);
      t.i3 = Int(2);
      t.d4 = Dbl(3);
      t.d5 = Dbl(4);
      t.i6 = Int(5);
    };

    // Nodal temperatures: one line each.
    while (listLine()) {
      Need(7);
      T_NTLD_D t;
      t.node = Int(0);
      temperatureValues(t);
      t.i7 = Int(6);
      rec.ntld.push_back(t);
    }
    if (ended) return 1;

    // Element temperatures: one line each; layout 2 carries six more values.
    while (listLine()) {
      Need(7);
      T_ETLD_D t;
      t.elem = Int(0);
      temperatureValues(t);
      t.layout = Int(6);
      if (t.layout == 2) {
        Need(13);
        Dbls(t.t, v, 7, 6);
      }
      rec.etld.push_back(t);
    }
    if (ended) return 1;
    Pool().loads.Store(id, rec);
  }
  return 1;
}

}  // namespace hvx
