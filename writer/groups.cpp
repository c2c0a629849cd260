// Groups: *GROUP, one line per group in the group map's enumeration order,
// collecting the boundary groups (spring and link elements of a group) that
// *BNDR-GROUP lists and the spring and link sections name.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "writer/writer.h"

namespace hvx {

namespace {

// Visits the numbers a rule component stands for: first to last (0 = first)
// in steps of step. A step of 0 or less would never reach the last number;
// such a component stands for its first number only (and for none when the
// last number lies below the first, as with any step).
//
// The walk draws on the group's budget: a group stands for at most
// kMaxGroupNumbers numbers in all, and the walk stops when they are spent. No
// real model comes near it; it keeps a damaged range (say 1 to 2147483647)
// from writing gigabytes and running for minutes.
constexpr int64_t kMaxGroupNumbers = 10'000'000;

template <class F>
void ForEachNumber(const T_RDATCOMP_D& c, int64_t& budget, F&& f) {
  const int64_t first = c.first;
  const int64_t last = c.last == 0 ? c.first : c.last;
  if (first > last) return;
  const int64_t step = c.step <= 0 ? last - first + 1 : c.step;
  for (int64_t n = first; n <= last && budget > 0; n += step, --budget) f(static_cast<int32_t>(n));
}

bool IsBoundaryType(int32_t type) { return type == 6 || type == 7 || type == 82; }

// The numbers a group's line holds at most: its weight for cutting the
// section into pieces.
int64_t GroupWeight(const T_GRUP_D& g) {
  int64_t n = 1;
  for (const T_RDAT_D& rule : g.rules) {
    if (rule.type != 17 && rule.type != 21) continue;
    for (const T_RDATCOMP_D& c : rule.comps) {
      const int64_t first = c.first;
      const int64_t last = c.last == 0 ? c.first : c.last;
      if (first > last) continue;
      n += c.step <= 0 ? 1 : (last - first) / c.step + 1;
      if (n >= kMaxGroupNumbers) return kMaxGroupNumbers;
    }
  }
  return n;
}

}  // namespace

int CWriteQsxFromNeutral::WriteGroup() {
  const auto& groups = Pool().groups;
  if (groups.Empty()) return 1;
  Out("*GROUP    ; Group\n");
  Out("; NAME, NODE_LIST, ELEM_LIST\n");
  // The groups in enumeration order, with the boundary groups each adds.
  std::vector<std::pair<int32_t, const T_GRUP_D*>> list;
  list.reserve(groups.Count());
  groups.Enumerate([&](int32_t id, const T_GRUP_D& g) { list.emplace_back(id, &g); });
  std::vector<std::vector<T_BNDRGRP_D>> found(list.size());
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
        T_ELEM_D elem;
        CMapWalk walk;
        std::vector<int32_t> boundary;
        for (size_t k = begin; k < end; ++k) {
          const int32_t id = list[k].first;
          const T_GRUP_D& g = *list[k].second;
          const std::string bndrName = NameOr(g.title, "Bndr Group %d", id);
          boundary.clear();
          int64_t budget = kMaxGroupNumbers;
          out.Format(" %s,", NameOr(g.title, "Strt Group %d", id));
          for (const T_RDAT_D& rule : g.rules) {
            if (rule.type != 17) continue;
            for (const T_RDATCOMP_D& c : rule.comps)
              if (c.write == 1) ForEachNumber(c, budget, [&](int32_t n) { out.SpaceAndInt(n); });
          }
          out.Format(" ,");
          for (const T_RDAT_D& rule : g.rules) {
            if (rule.type != 21) continue;
            for (const T_RDATCOMP_D& c : rule.comps)
              ForEachNumber(c, budget, [&](int32_t n) {
                // A number without an element record has no type, so it is no
                // boundary element; it is still written.
                if (Pool().elements.Lookup(n, elem, walk) && IsBoundaryType(elem.type)) boundary.push_back(n);
                if (c.write == 1) out.SpaceAndInt(n);
              });
            // Every element rule records the boundary elements found so far in
            // the group, so a second rule repeats the name with the longer list.
            if (!boundary.empty()) found[k].push_back(T_BNDRGRP_D{bndrName, boundary});
          }
          out.Format(" \n");
        }
      },
      [&](size_t piece) { return bounds[piece + 1] - bounds[piece] == 1 && weights[bounds[piece]] > alone; });
  for (std::vector<T_BNDRGRP_D>& f : found)
    for (T_BNDRGRP_D& b : f) BoundaryGroups().push_back(std::move(b));
  Out("\n");
  if (Report()) Report()->AddWritten(hvx::EKind::kGroups, "*GROUP", static_cast<int64_t>(groups.Count()));
  return 1;
}

}  // namespace hvx
