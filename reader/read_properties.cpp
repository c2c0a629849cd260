// Block 402: properties, a group of lines of varying length per property.
//
//   lines                  | values    | content
//   -----------------------+-----------+---------------------------------------
//   head 1                 | >= 6      | property number, colour, material,
//                          |           | type code, layer, head value 6
//   head 2                 | any text  | title (whole line, trimmed)
//   head 3                 | >= 4      | four flags
//   head 4                 | >= 1      | first list count
//   first list lines       | any       | counted list of integers (below)
//   value count line       | >= 1      | value count
//   value list lines       | any       | counted list of doubles (below)
//   first point count      | >= 1      | n1
//   n1 point lines         | >= 3 each | x, y, pen flag
//   second point count     | >= 1      | n2
//   n2 point lines         | >= 3 each | x, y, pen flag
//
// A counted list takes the line after its count line and then one line at a
// time until it holds at least as many numbers as counted; the test follows
// each further line only, so a list always takes at least two lines.
//
// Oversized input is cut off, never refused: numbers past the 200 entries of a
// list and points past the 100 entries of an outline are read (so the lines
// stay in step) but not kept; the counts keep the values as read. A point
// count of zero or below is followed by no point lines.
//
// A counted list that runs out of block lines fails the block. The reader has
// then counted the missing line it tried to take, so the failure names the
// line after the block's last data line (its closing delimiter). A property cut
// short anywhere else by the end of the block is dropped.
#include "reader/import.h"

namespace hvx {

namespace {
enum class PropLine { Head1, Title, Flags, Count1, List1, ValueCount, Values, Count2, Points1, Count3, Points2 };
}

int CImportNEUtral::ReadProperties() {
  T_PROP_D rec;
  int32_t id = 0;
  int32_t pointsLeft = 0;
  PropLine expect = PropLine::Head1;

  // The current line opens a counted list; put(i, v) keeps number i.
  auto readList = [&](int32_t count, auto put) {
    int64_t collected = 0;
    auto take = [&] {
      for (double v : m_nums) {
        if (collected < T_PROP_D::kListMax) put(static_cast<int>(collected), v);
        ++collected;
      }
    };
    take();
    do {
      NextLineInEntry();
      take();
    } while (collected < count);
  };
  auto addPoint = [&](std::vector<T_PROPPT_D>& outline) {
    Need(3);
    if (outline.size() < static_cast<size_t>(T_PROP_D::kPointMax))
      outline.push_back(T_PROPPT_D{Dbl(0), Dbl(1), Int(2)});
    --pointsLeft;
  };
  auto store = [&] {
    Pool().properties.Store(id, rec);
    expect = PropLine::Head1;
  };

  while (expect == PropLine::Title ? NextRawLine() : NextLine()) {
    switch (expect) {
      case PropLine::Head1:
        Need(6);
        id = Int(0);
        rec = T_PROP_D{};
        rec.colour = Int(1);
        rec.mat = Int(2);
        rec.type = Int(3);
        rec.layer = Int(4);
        rec.head6 = Int(5);
        expect = PropLine::Title;
        break;
      case PropLine::Title:
        rec.title = TrimmedLine();
        expect = PropLine::Flags;
        break;
      case PropLine::Flags:
        Need(4);
        for (int i = 0; i < 4; ++i) rec.flag[i] = Int(i);
        expect = PropLine::Count1;
        break;
      case PropLine::Count1:
        Need(1);
        rec.count1 = Int(0);
        expect = PropLine::List1;
        break;
      case PropLine::List1:
        readList(rec.count1, [&](int i, double v) { rec.list1[i] = hvx::TruncToInt(v); });
        expect = PropLine::ValueCount;
        break;
      case PropLine::ValueCount:
        Need(1);
        rec.valueCount = Int(0);
        expect = PropLine::Values;
        break;
      case PropLine::Values:
        readList(rec.valueCount, [&](int i, double v) { rec.value[i] = v; });
        expect = PropLine::Count2;
        break;
      case PropLine::Count2:
        Need(1);
        rec.nPts1 = pointsLeft = Int(0);
        expect = pointsLeft > 0 ? PropLine::Points1 : PropLine::Count3;
        break;
      case PropLine::Points1:
        addPoint(rec.outline1);
        if (pointsLeft == 0) expect = PropLine::Count3;
        break;
      case PropLine::Count3:
        Need(1);
        rec.nPts2 = pointsLeft = Int(0);
        if (pointsLeft > 0)
          expect = PropLine::Points2;
        else
          store();
        break;
      case PropLine::Points2:
        addPoint(rec.outline2);
        if (pointsLeft == 0) store();
        break;
    }
  }
  return 1;
}

}  // namespace hvx
