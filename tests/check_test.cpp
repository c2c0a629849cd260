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
#include <sstream>
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

std::string Describe(const hvx::CDanglingList& found) {
  std::string s;
  for (const auto& d : found)
    s += std::string(d.section) + ":" + std::to_string(d.line) + ": " +
         (d.IsRun() ? hvx::RunText(d) : std::string(d.kind) + " " + d.name) + "\n";
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

// Converted models check clean but for the cases of
// tests/tables/converted_checks.txt, which lists their findings.
TEST(QsxCheck, ConvertedFiles) {
  const Conversion frame = ConvertText(ReadFile(SourceDir() + "/examples/frame.hvt"));
  ASSERT_TRUE(frame.qsxWritten);
  EXPECT_EQ("", Describe(hvx::CheckQsxText(frame.qsx))) << "examples/frame.hvt";

  std::map<std::string, std::vector<std::string>> known;  // a case's findings, or "incomplete"
  std::istringstream table(ReadFile(SourceDir() + "/tests/tables/converted_checks.txt"));
  for (std::string l; std::getline(table, l);)
    if (!l.empty() && l[0] != '#') known[l.substr(0, l.find(' '))].push_back(l.substr(l.find(' ') + 1));
  EXPECT_GE(known.size(), 19u);
  int checked = 0;
  for (const auto& dir : fs::directory_iterator(fs::path(SourceDir()) / "tests" / "cases")) {
    const fs::path qsx = dir.path() / "expected.qsx";
    if (!fs::exists(qsx)) continue;
    const std::string name = dir.path().filename().string();
    SCOPED_TRACE(name);
    const std::string found = std::string("\n").append(Describe(hvx::CheckQsxText(ReadFile(qsx.string()))));
    if (!known.count(name)) {
      EXPECT_EQ("\n", found);
    } else if (known[name] == std::vector<std::string>{"incomplete"}) {
      EXPECT_NE("\n", found) << "no longer incomplete: take it out of the table";
    } else {
      for (const std::string& d : known[name]) EXPECT_NE(std::string::npos, found.find("\n" + d + "\n")) << d;
    }
    ++checked;
  }
  EXPECT_GE(checked, 30);
}
