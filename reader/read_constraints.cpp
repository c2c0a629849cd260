// Block 506: constraint sets.
//
//   lines                | values          | content
//   ---------------------+-----------------+--------------------------------------
//   set line             | >= 1            | set number
//   title line           | any             | title (whole line, trimmed)
//   node lines           | 10 (mode 1: 8)  | one node constraint each; -1 ends
//   point lines (mode 0) | 10              | one point constraint each; -1 ends
//   curve lines (mode 0) | 10              | one curve constraint each; -1 ends
//   surface l. (mode 0)  | 10              | one surface constraint each; -1 ends
//   equations            | see below       | a head line of -1 ends them and stores the set
//
//   constraint line, mode 0: entity, colour, layer, Dx..Rz, extra flag
//   constraint line, mode 1: entity, colour, Dx..Rz   (layer and extra flag 0)
//
//   equation: head line (>= 3: number, value 2, value 3), count line (>= 1: n),
//             then n term lines (>= 3: node, degree of freedom, coefficient)
//
// The first set line of the block sets the pool's kept set number. A set still
// open when the block ends is dropped; term lines running past the block fail.
#include "reader/import.h"

namespace hvx {

namespace {
enum class Cn { Set, Title, Nodes, Points, Curves, Surfaces, EqHead, EqCount };
}

int CImportNEUtral::ReadConstraints() {
  const bool extended = ReadMode() == 1;
  T_CNST_D rec;
  int32_t id = 0;
  bool firstSet = true;
  Cn state = Cn::Set;
  T_CNEQ_D eq;

  // One constraint line into a list, in the layout of the read mode.
  auto readEntry = [&](std::vector<T_CNND_D>& list, bool ext) {
    Need(ext ? 8 : 10);
    T_CNND_D c;
    c.ent = Int(0);
    c.colour = Int(1);
    if (ext) {
      for (int k = 0; k < 6; ++k) c.dof[k] = Int(2 + k);
    } else {
      c.layer = Int(2);
      for (int k = 0; k < 6; ++k) c.dof[k] = Int(3 + k);
      c.extra = Int(9);
    }
    list.push_back(c);
  };
  auto isEnd = [&]() {
    Need(1);
    return Int(0) == -1;
  };

  while (NextLine()) {
    switch (state) {
      case Cn::Set:
        Need(1);
        id = Int(0);
        if (firstSet) Pool().modelConstraintSet = id;
        firstSet = false;
        rec = T_CNST_D{};
        state = Cn::Title;
        break;
      case Cn::Title:
        rec.title = TrimmedLine();
        state = Cn::Nodes;
        break;
      case Cn::Nodes:
        if (isEnd())
          state = extended ? Cn::EqHead : Cn::Points;
        else
          readEntry(rec.nodes, extended);
        break;
      case Cn::Points:
        if (isEnd())
          state = Cn::Curves;
        else
          readEntry(rec.points, false);
        break;
      case Cn::Curves:
        if (isEnd())
          state = Cn::Surfaces;
        else
          readEntry(rec.curves, false);
        break;
      case Cn::Surfaces:
        if (isEnd())
          state = Cn::EqHead;
        else
          readEntry(rec.surfaces, false);
        break;
      case Cn::EqHead:
        if (isEnd()) {
          Pool().constraints.Store(id, rec);
          state = Cn::Set;
          break;
        }
        Need(3);
        eq = T_CNEQ_D{};
        eq.id = Int(0);
        eq.v2 = Int(1);
        eq.v3 = Int(2);
        state = Cn::EqCount;
        break;
      case Cn::EqCount: {
        Need(1);
        const int32_t n = Int(0);
        for (int32_t k = 0; k < n; ++k) {
          NextLineInEntry();
          Need(3);
          eq.terms.push_back(T_EQNCN_D{Int(0), Int(1), Dbl(2)});
        }
        rec.eqs.push_back(std::move(eq));
        state = Cn::EqHead;
        break;
      }
    }
  }
  return 1;
}

}  // namespace hvx
