// Groups: *GROUP, one line per group in the group map's enumeration order,
// then the boundary groups (spring and link elements of a group) that
// *BNDR-GROUP lists and the spring and link sections name.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "writer/sections.h"

namespace hvx {

namespace {

// The numbers a rule component stands for: first to last (0 = first) in
// steps of step. A step of 0 or less would never reach the last number; such
// a component stands for its first number only (and for none when the last
// number lies below the first, as with any step).
//
// Every component walked draws on the group's budget: a group stands for at
// most kMaxGroupNumbers numbers in all, and a walk stops when they are spent.
// No real model comes near it; it keeps a damaged range (say 1 to
// 2147483647) from writing gigabytes and running for minutes. The budget is
// counted, not walked: a component that is not written costs nothing.
constexpr int64_t kMaxGroupNumbers = 10'000'000;

struct CRun {
  int64_t first = 0, step = 1, count = 0;  // first, first + step, ... (count numbers)
  int64_t Last() const { return first + (count - 1) * step; }
};

// The run of c within what is left of budget, which it spends.
CRun Spend(const T_RDATCOMP_D& c, int64_t& budget) {
  const int64_t first = c.first;
  const int64_t last = c.last == 0 ? c.first : c.last;
  if (first > last || budget <= 0) return CRun{first, 1, 0};
  const int64_t step = c.step <= 0 ? last - first + 1 : c.step;
  const int64_t count = std::min(budget, (last - first) / step + 1);
  budget -= count;
  return CRun{first, step, count};
}

bool IsBoundaryType(int32_t type) { return type == 6 || type == 7 || type == 82; }

// The numbers a group's line holds at most: its weight for cutting the
// section into pieces.
int64_t GroupWeight(const T_GRUP_D& g) {
  int64_t n = 1, budget = kMaxGroupNumbers;
  for (int type : {17, 21})
    for (const T_RDAT_D& rule : g.rules)
      if (rule.type == type)
        for (const T_RDATCOMP_D& c : rule.comps) {
          const int64_t count = Spend(c, budget).count;
          if (c.write == 1) n += count;
        }
  return n;
}

// The boundary groups of the groups in order: the spring and link elements
// (element types 6, 7 and 82) that their element rules reach. Each element is
// listed under the first group that reaches it, the one whose name the spring
// and link sections give it; each group that reaches any is listed, its name
// written once per element rule from the first that reached one on. The work
// follows the boundary elements and the rule components, not the numbers a
// range stands for.
class CBoundaryCollector {
 public:
  explicit CBoundaryCollector(const std::vector<T_ELEMKEY_D>& sorted) {
    for (const T_ELEMKEY_D& k : sorted)
      if (IsBoundaryType(k.type)) m_ids.push_back(k.id);
    m_next.resize(m_ids.size() + 1);
    for (size_t i = 0; i < m_next.size(); ++i) m_next[i] = static_cast<uint32_t>(i);
  }

  // The boundary group of g, if it has one.
  bool Collect(const T_GRUP_D& g, T_BNDRGRP_D& out) {
    out.elems.clear();
    out.lines = 0;
    if (m_ids.empty()) return false;
    int64_t budget = kMaxGroupNumbers;
    for (const T_RDAT_D& rule : g.rules)
      if (rule.type == 17)
        for (const T_RDATCOMP_D& c : rule.comps)
          if (c.write == 1) Spend(c, budget);
    bool any = false;
    for (const T_RDAT_D& rule : g.rules) {
      if (rule.type != 21) continue;
      for (const T_RDATCOMP_D& c : rule.comps) {
        const CRun run = Spend(c, budget);
        if (run.count > 0) any = Visit(run, any, out.elems) || any;
      }
      if (any) ++out.lines;
    }
    return any;
  }

 private:
  // Takes the boundary elements of run no earlier group took into elems;
  // true when run holds a boundary element (looked for only while !known).
  bool Visit(const CRun& run, bool known, std::vector<int32_t>& elems) {
    const auto lo = std::lower_bound(m_ids.begin(), m_ids.end(), run.first);
    const auto hi = std::upper_bound(lo, m_ids.end(), run.Last());
    const uint32_t begin = static_cast<uint32_t>(lo - m_ids.begin()), end = static_cast<uint32_t>(hi - m_ids.begin());
    if (begin == end) return false;
    if (run.step == 1 || run.count == 1) {
      for (uint32_t p = Next(begin); p < end; p = Next(p + 1)) Take(p, elems);
      return true;
    }
    // A run with steps: whichever is shorter, its numbers or the boundary
    // elements in its span.
    bool found = false;
    if (run.count <= static_cast<int64_t>(end - begin)) {
      for (int64_t i = 0; i < run.count; ++i) {
        const int64_t n = run.first + i * run.step;
        const auto it = std::lower_bound(m_ids.begin() + begin, m_ids.begin() + end, n);
        if (it == m_ids.begin() + end || *it != n) continue;
        found = true;
        const uint32_t p = static_cast<uint32_t>(it - m_ids.begin());
        if (Next(p) == p) Take(p, elems);
      }
      return found;
    }
    if (!known)
      for (uint32_t p = begin; p < end && !found; ++p) found = (m_ids[p] - run.first) % run.step == 0;
    for (uint32_t p = Next(begin); p < end; p = Next(p + 1))
      if ((m_ids[p] - run.first) % run.step == 0) Take(p, elems);
    return found;
  }
  // The first position from p on whose element no group has taken.
  uint32_t Next(uint32_t p) {
    uint32_t root = p;
    while (m_next[root] != root) root = m_next[root];
    while (m_next[p] != root) p = std::exchange(m_next[p], root);
    return root;
  }
  void Take(uint32_t p, std::vector<int32_t>& elems) {
    elems.push_back(m_ids[p]);
    m_next[p] = p + 1;
  }

  std::vector<int32_t> m_ids;    // boundary element numbers, ascending
  std::vector<uint32_t> m_next;  // taken positions point on (one past the end: the end)
};

}  // namespace

int CQsxSections::WriteGroup() {
  const auto& groups = Pool().groups;
  if (groups.Empty()) return 1;
  Out("*GROUP    ; Group\n");
  Out("; NAME, NODE_LIST, ELEM_LIST\n");
  std::vector<std::pair<int32_t, const T_GRUP_D*>> list;
  list.reserve(groups.Count());
  groups.Enumerate([&](int32_t id, const T_GRUP_D& g) { list.emplace_back(id, &g); });
  // A group line longer than this many numbers is written as it is made.
  const int64_t alone = std::max<int64_t>(int64_t{64} * static_cast<int64_t>(Parallelism().writePieceLines), 1 << 16);
  std::vector<int64_t> weights(list.size());
  uint64_t weight = 0;
  for (size_t i = 0; i < list.size(); ++i) weight += static_cast<uint64_t>(weights[i] = GroupWeight(*list[i].second));
  const std::vector<size_t> bounds =
      PiecesByWeight(list.size(), 8 * Parallelism().writePieceLines, static_cast<uint64_t>(alone),
                     [&](size_t i) { return static_cast<uint64_t>(weights[i]); });
  WriteLines(
      bounds, weight / 8,
      [&](size_t begin, size_t end, hvx::CPieceOut& out) {
        for (size_t k = begin; k < end; ++k) {
          const int32_t id = list[k].first;
          const T_GRUP_D& g = *list[k].second;
          int64_t budget = kMaxGroupNumbers;
          auto write = [&](const T_RDATCOMP_D& c) {
            const CRun run = Spend(c, budget);
            if (c.write != 1) return;
            for (int64_t i = 0; i < run.count; ++i) out.SpaceAndInt(static_cast<int32_t>(run.first + i * run.step));
          };
          out.Format(" %s,", NameOr(g.title, "Strt Group %d", id));
          for (const T_RDAT_D& rule : g.rules)
            if (rule.type == 17)
              for (const T_RDATCOMP_D& c : rule.comps)
                if (c.write == 1) write(c);
          out.Format(" ,");
          for (const T_RDAT_D& rule : g.rules)
            if (rule.type == 21)
              for (const T_RDATCOMP_D& c : rule.comps) write(c);
          out.Format(" \n");
        }
      },
      [&](size_t piece) { return bounds[piece + 1] - bounds[piece] == 1 && weights[bounds[piece]] > alone; });
  // A number without an element record has no type, so it is no boundary
  // element; it is still written.
  CBoundaryCollector collector(SortedElements());
  T_BNDRGRP_D b;
  for (const auto& [id, g] : list)
    if (collector.Collect(*g, b)) {
      b.name = NameOr(g->title, "Bndr Group %d", id);
      BoundaryGroups().push_back(std::move(b));
    }
  Out("\n");
  if (Report()) Report()->AddWritten(hvx::EKind::kGroups, "*GROUP", static_cast<int64_t>(groups.Count()));
  return 1;
}

}  // namespace hvx
