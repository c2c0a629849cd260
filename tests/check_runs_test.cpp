// Runs of missing numbers in the QSX reference check: how they are formed,
// split and counted, the compact list that holds the findings, the limit of
// references waiting for the end, and runs in the conversion report.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "api/report_output.h"
#include "check/qsxcheck.h"
#include "tests/case_files.h"
#include "tests/testutil.h"

namespace {

using hvx::CDangling, hvx::CDanglingList;

// Entries without their place: "nodes 4 to 10 (7); node 12".
std::string Entries(const CDanglingList& found) {
  std::string s;
  for (const CDangling& d : found)
    s += (s.empty() ? "" : "; ") + (d.IsRun() ? hvx::RunText(d) : std::string(d.kind) + " " + d.name);
  return s;
}

// Every reference one by one, runs spelt out: "node 4; node 5; ...".
std::string Expanded(const CDanglingList& found) {
  std::string s;
  for (const CDangling& d : found)
    for (uint64_t i = 0; i < static_cast<uint64_t>(d.count); ++i)  // a run's numbers fit, steps between them may not
      s += (s.empty() ? "" : "; ") + std::string(d.kind) + " " +
           (d.IsRun() ? std::to_string(static_cast<long long>(static_cast<uint64_t>(d.first) + i * d.step)) : d.name);
  return s;
}

// Numbers as text ("4 7..9" for "4 7 8 9"), each followed by a blank.
std::string Spelt(const std::string& numbers) {
  std::string s;
  std::istringstream in(numbers);
  for (std::string w; in >> w;) {
    if (w.find("..") == std::string::npos) {
      s += w + " ";
      continue;
    }
    const long long from = std::stoll(w), to = std::stoll(w.substr(w.find("..") + 2)), step = from <= to ? 1 : -1;
    for (long long n = from; n != to + step; n += step) s += std::to_string(n) + " ";
  }
  return s;
}

// A group line of nodes with the nodes given defined before it, or after it.
std::string GroupText(const std::string& defined, const std::string& nodes, bool definedFirst) {
  std::string defs = "*NODE\n";
  std::istringstream in(Spelt(defined));
  for (std::string n; in >> n;) defs += "  " + n + ", 0, 0, 0\n";
  const std::string group = "*GROUP\n G, " + Spelt(nodes) + ", \n";
  return definedFirst ? defs + group + "*ENDDATA\n" : group + defs + "*ENDDATA\n";
}

// Numbers of a group line as runs (tests/unit_cases/runs.txt), with the nodes
// defined before the line and after it. Plain runs, and where they end, are
// the check cases' (tests/check_cases/runs-*).
TEST(CheckRuns, FormedOnOneLine) {
  for (const hvxtest::CaseRow& r : hvxtest::CaseRows("runs.txt", 4)) {
    SCOPED_TRACE("runs.txt:" + std::to_string(r.line));
    const std::vector<std::string>& f = r.fields;
    const CDanglingList before = hvx::CheckQsxText(GroupText(f[0], f[1], true));
    EXPECT_EQ(f[2], Entries(before));
    const CDanglingList after = hvx::CheckQsxText(GroupText(f[0], f[1], false));
    if (!f[3].empty()) {
      EXPECT_EQ(f[3], Entries(after));
    }
    EXPECT_EQ(Expanded(before), Expanded(after));
    EXPECT_EQ(before.References(), after.References());
    long long refs = 0;
    for (const CDangling& d : before) refs += d.count;
    EXPECT_EQ(refs, before.References());
  }
}

}  // namespace

// References waiting for the end are bounded by bytes, and a run of any
// length takes one entry.
TEST(CheckRuns, PendingLimit) {
  std::string loads = "*CONLOAD\n";
  for (int n = 1; n <= 500; ++n) loads += "  " + std::to_string(n * 7) + ", 0, 0, -1\n";
  hvx::CQsxChecker small(256);
  small.Feed(loads);
  const CDanglingList some = small.Finish();
  EXPECT_GT(small.Stats().uncheckedReferences, 0);
  EXPECT_EQ(500, some.References() + small.Stats().uncheckedReferences);

  std::string group = "*GROUP\n G, ";
  for (int n = 1; n <= 1000000; ++n) group += std::to_string(n) + " ";
  hvx::CQsxChecker runs(256);
  runs.Feed(group + ",\n");
  const CDanglingList one = runs.Finish();
  EXPECT_EQ(0, runs.Stats().uncheckedReferences);
  EXPECT_EQ("nodes 1 to 1000000 (1000000)", Entries(one));
  EXPECT_LT(one.Bytes(), 32u);
}

// The list gives back what was put in, whatever the texts, lines and numbers.
TEST(CheckRuns, ListKeepsEntries) {
  const std::vector<CDangling> entries = {
      {"*CONLOAD", 5, "node", "9"},
      {"*CONLOAD", 5, "node", "9"},
      {"*DYN-SLOAD", 4, "load case", "LIVE \"1\""},
      {"*ANY", -3, "", ""},
      {"*GROUP", 9223372036854775807, "element", "", 3, -9223372036854775807 - 1, 9223372036854775806,
       9223372036854775807},
      {"*GROUP", 1, "node", "", 1000000, 1, 1000000, 1},
      {std::string_view("\0x", 2), 0, "kind", std::string(70000, 'n')},
  };
  CDanglingList list, same, other;
  long long refs = 0;
  for (CDangling d : entries) {
    list.push_back(d), same.push_back(d), refs += d.count;
    if (d.line == 4) d.name = "DEAD";
    other.push_back(d);
  }
  EXPECT_EQ(entries, std::vector<CDangling>(list.begin(), list.end()));
  EXPECT_EQ(entries.size(), list.size());
  EXPECT_EQ(refs, list.References());
  EXPECT_TRUE(list == same);
  EXPECT_FALSE(list == other);
  same.push_back(entries[0]);
  EXPECT_FALSE(list == same);
}

// The report lists runs as runs, counts every reference, and says how many
// the text and the JSON leave out.
TEST(CheckRuns, Report) {
  hvx::CModelReport r;
  r.model = "m.hvt";
  r.checked = true;
  for (int i = 0; i < 19; ++i) r.dangling.push_back({"*CONLOAD", 30 + i, "node", std::to_string(i)});
  r.dangling.push_back({"*GROUP", 60, "node", "", 7, 4, 10, 1});
  r.dangling.push_back({"*GROUP", 61, "element", "", 5, 10, 50, 10});
  r.dangling.push_back({"*USE-STLD", 70, "load case", "WIND"});
  const std::string text = hvx::ReportText(r);
  EXPECT_NE(std::string::npos, text.find("  dangling references: 32\n"));
  EXPECT_NE(std::string::npos,
            text.find("    *CONLOAD line 48: node 18\n    *GROUP line 60: nodes 4 to 10 (7)\n    ... 6 more\n"));

  const auto json = hvx::ReportJson(r);
  ASSERT_EQ(22u, json["dangling"].size());
  EXPECT_EQ(R"({"section":"*GROUP","line":61,"kind":"element","first":10,"last":50,"step":10,"count":5})",
            json["dangling"][20].dump());
  EXPECT_EQ(R"({"section":"*USE-STLD","line":70,"kind":"load case","name":"WIND"})", json["dangling"][21].dump());
  EXPECT_FALSE(json.contains("dangling_not_listed"));

  r.dangling.assign(hvx::kMaxDanglingJson, {"*CONLOAD", 5, "node", "9"});
  r.dangling.push_back({"*GROUP", 60, "node", "", 7, 4, 10, 1});
  const auto capped = hvx::ReportJson(r);
  EXPECT_EQ(hvx::kMaxDanglingJson, capped["dangling"].size());
  EXPECT_EQ(7, capped["dangling_not_listed"]);
  EXPECT_EQ(hvx::kMaxDanglingJson + 7, static_cast<size_t>(r.dangling.References()));
}
