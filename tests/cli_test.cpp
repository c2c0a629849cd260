// The command-line tool, run as a separate process: exit statuses, the
// message window on standard output, message boxes on standard error, and the
// conversion report.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>

#include "api/report_output.h"
#include "resources/catalogue.h"
#include "tests/case_files.h"
#include "tests/testutil.h"

using namespace hvx;
using namespace hvxtest;
namespace fs = std::filesystem;

namespace {

const char* const kGood = "   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n   -1\n";
const char* const kBad = "   -1\n403\n1,2\n   -1\n";

// A folder with good.hvt, bad.hvt (a format error in line 3), sub/a.hvt,
// folder.hvt (a folder), blocked.hvt whose output path is taken by a folder
// and paged.hvt whose page path is; empty.hvt, random.hvt (4 KiB of seeded
// random bytes), prog.hvt (this tool's program file), other.hvt (QSX text),
// problems.hvt (the example with problems added), clean.hvt (the example);
// x.qsx (a model named so), a.hvt and a.qsx, p.hvt and p.html (two models
// each); models/m1.hvt, models/a.hvt and an empty folder out.
void MakeModels(const TempDir& dir) {
  for (const char* folder : {"sub", "folder.hvt", "blocked.qsx", "paged.html", "models", "out"})
    fs::create_directories(dir.File(folder));
  for (const char* name : {"good.hvt", "sub/a.hvt", "blocked.hvt", "paged.hvt", "x.qsx", "a.hvt", "a.qsx", "p.hvt",
                           "p.html", "models/m1.hvt", "models/a.hvt"})
    WriteFile(dir.File(name), kGood);
  WriteFile(dir.File("bad.hvt"), kBad);
  WriteFile(dir.File("empty.hvt"), "");
  std::mt19937 bits(23);
  std::string random(4096, '\0');
  for (char& c : random) c = static_cast<char>(bits() & 0xff);
  WriteFile(dir.File("random.hvt"), random);
  fs::copy_file(BinaryDir() + "/halvex2qsx", dir.File("prog.hvt"));
  WriteFile(dir.File("other.hvt"), "*VERSION\n  6.4.1\n\n*ENDDATA\n");
  WriteFile(dir.File("problems.hvt"), ReadFile(SourceDir() + "/examples/frame-with-problems.hvt"));
  WriteFile(dir.File("clean.hvt"), ReadFile(SourceDir() + "/examples/frame.hvt"));
}

// Text expected whole, or with a leading "..." a part of it.
void ExpectText(const std::string& expected, const std::string& actual, const char* what) {
  if (expected.rfind("...", 0) == 0) {
    EXPECT_NE(std::string::npos, actual.find(expected.substr(3))) << what << ": " << actual;
  } else {
    EXPECT_EQ(expected, actual) << what;
  }
}

// Each case of tables/cli.txt in a fresh folder of models.
TEST(CommandLine, StatusesStreamsAndFiles) {
  for (const CaseRecord& c : ReadCases("cli.txt", {"env", "args", "status", "out", "err", "written"})) {
    SCOPED_TRACE(c.where);
    TempDir dir;
    MakeModels(dir);
    std::map<std::string, std::string> before = Contents(dir.Path());
    const ToolRun r = RunTool(c.Get("args"), dir.Path(), c.Get("env"));
    EXPECT_EQ(c.Int("status"), r.status) << r.err;
    ExpectText(Replaced(c.Get("out"), "@DIR@", dir.Path()), r.out, "standard output");
    ExpectText(Replaced(c.Get("err"), "@DIR@", dir.Path()), r.err, "standard error");
    EXPECT_EQ(std::string::npos, r.err.find("Usage:")) << "the whole help on a usage error";
    std::map<std::string, std::string> after = Contents(dir.Path());
    for (const std::string& w : c.All("written")) {
      const std::string file = w.substr(0, w.find('=')), parts = w.find('=') == w.npos ? "" : w.substr(w.find('=') + 1);
      const auto it = after.find(file);
      size_t at = it == after.end() ? std::string::npos : 0;
      for (size_t b = 0, e = 0; at != std::string::npos && e != std::string::npos; b = e + 5) {
        e = parts.find(" ... ", b);
        at = it->second.find(parts.substr(b, e == std::string::npos ? e : e - b), at);
        if (at != std::string::npos && e != std::string::npos) ++at;  // the next part after this one
      }
      EXPECT_NE(std::string::npos, at) << file << " not written as expected";
      after.erase(file);
      before.erase(file);
    }
    EXPECT_TRUE(before == after) << "files changed, added or removed besides those written";
  }
}

// Each case of tables/cli_locale.txt.
TEST(CommandLine, TextsInTheLocalesLanguage) {
  TestLocale ja("ja_JP.UTF-8");
  if (!ja.Active()) GTEST_SKIP() << "no Japanese locale can be made here";
  TempDir dir;
  WriteFile(dir.File("bad.hvt"), kBad);
  const hvx::Message& invalid = hvx::Messages()[hvx::FindMessage("IDS_HALVEX_Invalid_format_in_line_d__")];
  ASSERT_STRNE(invalid.text[hvx::kEnglish], invalid.text[hvx::kJapanese]);
  for (const CaseRecord& c : ReadCases("cli_locale.txt", {"env", "args", "lang", "err"})) {
    SCOPED_TRACE(c.where);
    char line[256];
    ASSERT_TRUE(c.Get("lang") == "ja" || c.Get("lang") == "en");
    std::snprintf(line, sizeof line, invalid.text[c.Get("lang") == "ja" ? hvx::kJapanese : hvx::kEnglish], 3);
    const ToolRun r = RunTool(c.Get("args"), dir.Path(), c.Get("env"));
    EXPECT_EQ(Replaced(c.Get("err"), "@DIR@", dir.Path()), r.err);
    const std::string window = std::string(1, '\n').append(line).append("\nImport <" + dir.File("bad.hvt") + ">\n");
    EXPECT_EQ(c.Get("args") != "bad.hvt" ? "" : window, r.out);
  }
}

// Each report case holds a model and its report as text and as JSON, worked
// out by hand. The report and the page change nothing else: the .qsx file,
// standard output and the exit status are those of a plain run.
TEST(ConversionReport, GoldenTextAndJsonChangingNothingElse) {
  int cases = 0;
  for (const auto& d : fs::directory_iterator(SourceDir() + "/tests/report_cases")) {
    SCOPED_TRACE(d.path().filename().string());
    TempDir plain, dir;
    WriteFile(plain.File("model.hvt"), ReadFile(d.path().string() + "/model.hvt"));
    WriteFile(dir.File("model.hvt"), ReadFile(d.path().string() + "/model.hvt"));
    const ToolRun a = RunTool("model.hvt", plain.Path());
    const ToolRun r = RunTool("--quiet --report --report-json report.json --html --no-progress model.hvt", dir.Path());
    const std::string text = ReadFile(d.path().string() + "/expected.report.txt");
    const std::string json = ReadFile(d.path().string() + "/expected.report.json");
    // @DIR@ stands for the folder of the written file.
    const std::string written = Replaced(ReadFile(dir.File("report.json")), dir.Path(), "@DIR@");
    EXPECT_EQ(text, r.err) << FirstDifference(text, r.err);
    EXPECT_EQ(json, written) << FirstDifference(json, written);
    EXPECT_EQ(a.status, r.status);
    EXPECT_EQ(a.out, Replaced(r.out, dir.Path(), plain.Path()));  // the window names the model's folder
    EXPECT_TRUE(ReadFile(plain.File("model.qsx")) == ReadFile(dir.File("model.qsx")));
    EXPECT_TRUE(Exists(dir.File("model.html")));
    ++cases;
  }
  EXPECT_GT(cases, 0);
}

// The text lists the first dangling references and counts the rest.
TEST(ConversionReport, TextCountsTheDanglingReferencesItLeavesOut) {
  hvx::CModelReport r;
  r.checked = true;
  r.dangling.assign(hvx::kMaxDanglingText + 3, hvx::CDangling{"*CONLOAD", 5, "node", "9"});
  EXPECT_NE(std::string::npos, hvx::ReportText(r).find("  dangling references: 23\n    *CONLOAD line 5: node 9\n"));
  EXPECT_NE(std::string::npos, hvx::ReportText(r).find("    *CONLOAD line 5: node 9\n    ... 3 more\n"));
}

}  // namespace
