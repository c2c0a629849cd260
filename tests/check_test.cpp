// The QSX reference check. Golden cases in tests/check_cases/<name>/: the
// --check transcript of input.qsx (standard output, standard error lines marked
// "stderr: ", then "exit N") must equal expected.txt (tests/check_lines_test.cpp
// feeds the same inputs in pieces). Converted files must check clean but for
// the dangling references the converter really writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "check/qsxcheck.h"
#include "cli/check_command.h"
#include "tests/testutil.h"

using namespace hvx;

namespace fs = std::filesystem;
using namespace hvxtest;

namespace {

std::string ReadStream(std::FILE* f) {
  std::string s;
  std::rewind(f);
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, n);
  std::fclose(f);
  return s;
}

// What "halvex2qsx --check FILES" prints and returns, with each path shown as
// its file name.
std::string Transcript(const std::vector<std::string>& files) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const int rc = hvx::RunCheckCommand(files, out, err);
  std::string text = ReadStream(out);
  const std::string errText = ReadStream(err);
  for (size_t p = 0, e; p < errText.size(); p = e + 1) {
    e = std::min(errText.find('\n', p), errText.size() - 1);
    text += "stderr: " + errText.substr(p, e + 1 - p);
  }
  for (const std::string& f : files) text = Replaced(text, f, fs::path(f).filename().string());
  return text + "exit " + std::to_string(rc) + "\n";
}

std::string Describe(const hvx::CDangling& d) {
  return std::string(d.section) + ":" + std::to_string(d.line) + ": " +
         (d.IsRun() ? hvx::RunText(d) : std::string(d.kind) + " " + d.name) + "\n";
}

std::string Describe(const hvx::CDanglingList& found) {
  std::string s;
  for (const auto& d : found) s += Describe(d);
  return s;
}

}  // namespace

TEST(QsxCheck, GoldenCases) {
  int cases = 0;
  for (const auto& dir : fs::directory_iterator(fs::path(SourceDir()) / "tests" / "check_cases")) {
    SCOPED_TRACE(dir.path().filename().string());
    EXPECT_EQ(ReadFile((dir.path() / "expected.txt").string()), Transcript({(dir.path() / "input.qsx").string()}));
    ++cases;
  }
  EXPECT_GE(cases, 15);
}

TEST(QsxCheck, HighestStatusOfSeveralFilesWins) {
  const std::string cases = SourceDir() + "/tests/check_cases/";
  const std::pair<std::vector<std::string>, int> rows[] = {
      {{}, hvx::kCheckUsage},
      {{cases + "empty/input.qsx", cases + "missing-file/input.qsx"}, hvx::kCheckMissing},
      {{cases + "missing-file/input.qsx", cases + "static-loads/input.qsx"}, hvx::kCheckDangling},
      {{cases + "static-loads/input.qsx", cases + "binary/input.qsx"}, hvx::kCheckDangling},
  };
  for (const auto& [files, status] : rows) {
    const std::string t = Transcript(files), last = "exit " + std::to_string(status) + "\n";
    EXPECT_EQ(last, t.substr(t.size() - std::min(t.size(), last.size()))) << files.size() << " files";
  }
}

// A group line is read as a stream however long it is; other lines are cut
// at the kept length, which the command notes.
TEST(QsxCheck, LongLines) {
  std::string text = "*NODE\n  1, 0, 0, 0\n*GROUP\n Big,";
  for (int i = 0; i < 200000; ++i) text += " 1";
  text += " 2 , \n*CONLOAD\n    1,  0, 0, -10" + std::string(100000, ' ') + "\n    9,  0, 0, -10\n*ENDDATA\n";
  hvx::CQsxChecker checker;
  checker.Feed(text);
  EXPECT_EQ("*GROUP:4: node 2\n*CONLOAD:7: node 9\n", Describe(checker.Finish()));
  EXPECT_EQ(1, checker.Stats().longLines);
  EXPECT_EQ(8, checker.Stats().lines);
}

// Converted models check clean, except for the references the converter
// writes to things it does not write; each such case lists findings read off
// its expected.qsx by hand. Cases whose model itself lacks what it names
// (elements without materials, groups of absent nodes and the like) are only
// required to produce findings.
TEST(QsxCheck, ConvertedFiles) {
  const Conversion frame = ConvertText(ReadFile(SourceDir() + "/examples/frame.hvt"));
  ASSERT_TRUE(frame.qsxWritten);
  EXPECT_EQ("", Describe(hvx::CheckQsxText(frame.qsx))) << "examples/frame.hvt";

  using D = hvx::CDangling;
  const std::set<std::string> incomplete = {
      "beta-angle-cases", "constraints-and-frame-ends", "element-kinds-and-order", "group-damping",
      "groups-node-element-rules", "hinge-member-types", "history-output-rows", "hvx-analtype-rs-three-loads",
      "hvx-constraint-equations", "initial-element-forces", "read-fail-element-line",
      "static-loads-beams-trusses-temperatures", "time-loads-ground-and-nodal"};
  const std::map<std::string, std::vector<D>> known = {
      // A hinge property whose curves are all dropped is not written; its
      // assignment still names it.
      {"hinge-all-unsupported", {D{"*IHINGE-ASSIGN", 59, "hinge property", "IHPR4"}}},
      // A link property of unknown type runs its lines together, so the next
      // property's head line is glued to it and that property is never defined.
      {"link-property-layouts", {D{"*HVX-NL-PROP", 122, "link property", "Dsp"}}},
      // Pressures on solids of type code 31, which the element section never
      // writes (it writes solids of type code 25).
      {"static-loads-nodes-pressures-solids",
       {D{"*PRESSURE", 47, "element", "30"}, D{"*PRESSURE", 48, "element", "31"},
        D{"*PRESSURE", 49, "element", "32"}, D{"*PRESSURE", 50, "element", "32"}}},
      // A spectrum entry without direction gets no NAME line, but the analysis
      // type table names its case.
      {"rs-load-cases", {D{"*HVX-ANALTYPE", 95, "spectrum case", "EQN-1"}}},
      // Nonlinear load sets that are no time-history case are named as one.
      {"hvx-nlctrl-nonlinear",
       {D{"*HVX-NLCTRL", 48, "time history case", "THLDC10"}, D{"*HVX-NLCTRL", 49, "time history case", "PUSH"},
        D{"*HVX-NLCTRL", 50, "time history case", "NL3"}}},
      // Springs and links listed as group elements are not elements of the file.
      {"boundary-groups-springs-links",
       {D{"*GROUP", 25, "element", "3"}, D{"*GROUP", 25, "element", "4"}, D{"*GROUP", 25, "element", "6"}}},
  };
  int checked = 0;
  for (const auto& dir : fs::directory_iterator(fs::path(SourceDir()) / "tests" / "cases")) {
    const fs::path qsx = dir.path() / "expected.qsx";
    if (!fs::exists(qsx)) continue;
    const std::string name = dir.path().filename().string();
    SCOPED_TRACE(name);
    const auto found = hvx::CheckQsxText(ReadFile(qsx.string()));
    if (incomplete.count(name)) {
      EXPECT_FALSE(found.empty()) << "no longer incomplete: move it out of the list";
    } else if (!known.count(name)) {
      EXPECT_EQ("", Describe(found));
    } else {
      for (const D& d : known.at(name))
        EXPECT_NE(found.end(), std::find(found.begin(), found.end(), d)) << Describe(d);
    }
    ++checked;
  }
  EXPECT_GE(checked, 30);
}
