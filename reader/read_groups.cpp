// Block 408: groups. One group takes a fixed head of 23 lines, then its rules
// and its entity lists, each closed by a line whose first value is -1.
//
//   lines      | values          | content
//   -----------+-----------------+-----------------------------------------------
//   1          | >= 3            | group number, head values 2 and 3
//   2          | any             | title (whole line, trimmed)
//   3          | >= 3 (mode 1: 6)| three integers; mode 1: damping ratio, mass and
//              |                 | stiffness coefficients follow
//   4          | >= 6            | four integers, two doubles
//   5          | >= 2            | two integers
//   6 to 23    | 2 / 3 / 3       | six table entries of three lines each
//   rule count | >= 1            | rule count (kept as read)
//   rules      |                 | head line (rule type) and component lines
//              |                 | (first, last, step, write flag; >= 4 values),
//              |                 | closed by -1; a -1 head ends the rules
//   list count | >= 1            | list count (kept as read)
//   lists      |                 | head line (list type) and one entity number
//              |                 | per line (value 1), closed by -1; a -1 head
//              |                 | ends the lists and stores the group
//
// End marks compare the first value truncated toward zero with -1, as every
// integer of the block is taken.
// A group cut short by the end of the block outside a rule or list is dropped.
// A rule or list still open at the end of the block fails the block; the line
// count then names the line after the last one (the closing delimiter).
#include "reader/import.h"

namespace hvx {

int CImportNEUtral::ReadGroups() {
  // Next line of the current group; false when the block has ended.
  auto more = [this]() { return NextLine(); };
  // Next line inside a rule or list: running out of lines there is an error.
  auto must = [this]() { NextLineInEntry(); };
  auto endMark = [this]() {
    Need(1);
    return Int(0) == -1;
  };

  while (NextLine()) {
    // Line 1.
    Need(3);
    const int32_t number = Int(0);
    T_GRUP_D rec;
    rec.h2 = Int(1);
    rec.h3 = Int(2);

    // Line 2: the title.
    if (!NextRawLine()) return 1;
    rec.title = TrimmedLine();

    // Line 3.
    if (!more()) return 1;
    const bool mode1 = ReadMode() == 1;
    Need(mode1 ? 6 : 3);
    for (int i = 0; i < 3; ++i) rec.l3[i] = Int(i);
    if (mode1) {
      rec.damp = Dbl(3);
      rec.massC = Dbl(4);
      rec.stiffC = Dbl(5);
    }

    // Line 4.
    if (!more()) return 1;
    Need(6);
    for (int i = 0; i < 4; ++i) rec.l4i[i] = Int(i);
    rec.l4d[0] = Dbl(4);
    rec.l4d[1] = Dbl(5);

    // Line 5.
    if (!more()) return 1;
    Need(2);
    rec.l5[0] = Int(0);
    rec.l5[1] = Int(1);

    // Lines 6 to 23.
    for (T_GRUPTAB_D& t : rec.table) {
      if (!more()) return 1;
      Need(2);
      t.i[0] = Int(0);
      t.i[1] = Int(1);
      if (!more()) return 1;
      Need(3);
      for (int i = 0; i < 3; ++i) t.a[i] = Dbl(i);
      if (!more()) return 1;
      Need(3);
      for (int i = 0; i < 3; ++i) t.b[i] = Dbl(i);
    }

    // Rules.
    if (!more()) return 1;
    Need(1);
    rec.ruleCount = Int(0);
    while (true) {
      if (!more()) return 1;
      if (endMark()) break;
      T_RDAT_D rule;
      rule.type = Int(0);
      while (true) {
        must();
        if (endMark()) break;
        Need(4);
        rule.comps.push_back(T_RDATCOMP_D{Int(0), Int(1), Int(2), Int(3)});
      }
      rec.rules.push_back(std::move(rule));
    }

    // Entity lists; their end stores the group.
    if (!more()) return 1;
    Need(1);
    rec.listCount = Int(0);
    while (true) {
      if (!more()) return 1;
      if (endMark()) break;
      T_ELST_D list;
      list.type = Int(0);
      while (true) {
        must();
        if (endMark()) break;
        list.ids.push_back(Int(0));
      }
      rec.lists.push_back(std::move(list));
    }
    Pool().groups.Store(number, std::move(rec));
  }
  return 1;
}

}  // namespace hvx
