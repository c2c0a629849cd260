// The command-line tool, run as a separate process: exit statuses, the
// message window on standard output, message boxes on standard error, and the
// conversion report.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "host/report_output.h"
#include "resources/catalogue.h"
#include "tests/testutil.h"

using namespace hvx;

using namespace hvxtest;
namespace fs = std::filesystem;

namespace {

struct Result {
  int status = -1;
  std::string out, err;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// env: assignments such as "LC_ALL=C", made after the locale variables are
// cleared.
Result RunCli(const std::string& args, const std::string& cwd, const std::string& env = "") {
  TempDir cap;
  const std::string cmd = "cd " + Quote(cwd) + " && env -u LC_ALL -u LC_MESSAGES -u LANG " + env + " " +
                          Quote(BinaryDir() + "/halvex2qsx") + " " + args + " >" + Quote(cap.File("out")) + " 2>" +
                          Quote(cap.File("err")) + " </dev/null";
  const int rc = std::system(cmd.c_str());
  return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, ReadFile(cap.File("out")), ReadFile(cap.File("err"))};
}

std::string Replaced(std::string s, const std::string& from, const std::string& to) {
  for (size_t p; (p = s.find(from)) != std::string::npos;) s.replace(p, from.size(), to);
  return s;
}

const char* const kGood = "   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n   -1\n";
const char* const kBad = "   -1\n403\n1,2\n   -1\n";

// A folder with good.hvt, bad.hvt (a format error in line 3), sub/a.hvt,
// folder.hvt (a folder), blocked.hvt whose output path is taken by a folder
// and paged.hvt whose page path is.
void MakeModels(const TempDir& dir) {
  fs::create_directories(dir.File("sub"));
  fs::create_directories(dir.File("folder.hvt"));
  fs::create_directories(dir.File("blocked.qsx"));
  fs::create_directories(dir.File("paged.html"));
  for (const char* name : {"good.hvt", "sub/a.hvt", "blocked.hvt", "paged.hvt"}) WriteFile(dir.File(name), kGood);
  WriteFile(dir.File("bad.hvt"), kBad);
}

TEST(CommandLine, StatusesAndStreams) {
  const struct {
    const char* args;
    int status;
    const char* out;                                         // standard output; @DIR@ the folder
    bool outWhole;                                           // else a part of it
    const char* err;                                         // a part of standard error
    std::vector<std::pair<const char*, const char*>> files;  // a part of each file's text; nullptr: absent
  } cases[] = {
      {"--help", 0, "Usage: halvex2qsx [--result RESULT.hvb] MODEL.hvt", false, "", {}},
      {"--version", 0, "halvex2qsx 1.0.0\n", true, "", {}},
      {"", 1, "", true, "Usage:", {}},
      {"--bogus good.hvt", 1, "", true, "Usage:", {}},
      {"--result", 1, "", true, "Usage:", {}},
      {"sub/a.hvt", 0, "", true, "", {{"sub/a.qsx", "*NODE    ; Nodes\n; iNO, X, Y, Z\n  1, 1, 2, 3\n"}}},
      {"bad.hvt", 0, "\nInvalid format in line 3.\n\nImport <@DIR@/bad.hvt>\n", true, "", {{"ReadErr.msg", nullptr}}},
      {"nothere.hvt", 3, "", true, "@DIR@/nothere.hvt", {{"nothere.qsx", nullptr}}},
      {"folder.hvt", 2, "", true, "Can't open NEUtral file!\n", {}},
      {"--threads 1 sub/a.hvt", 0, "", true, "", {{"sub/a.qsx", "*NODE    ; Nodes\n; iNO, X, Y, Z\n  1, 1, 2, 3\n"}}},
      {"--threads 3 bad.hvt", 0, "\nInvalid format in line 3.\n\nImport <@DIR@/bad.hvt>\n", true, "", {}},
      {"--threads many good.hvt", 1, "", true, "Usage:", {{"good.qsx", nullptr}}},
      {"good.hvt --threads", 1, "", true, "Usage:", {{"good.qsx", nullptr}}},
      // Every model is tried; the highest status wins.
      {"folder.hvt nothere.hvt good.hvt", 3, "", true, "", {{"good.qsx", ""}}},
      {"--result r.hvb blocked.hvt", 4, "", true, "@DIR@/blocked.qsx", {}},
      // The page beside each model read; a page that cannot be written is a file error.
      {"--html sub/a.hvt nothere.hvt folder.hvt", 3, "", true, "",
       {{"sub/a.html", "<!DOCTYPE html>"}, {"nothere.html", nullptr}, {"folder.html", "could not be opened"}}},
      {"--html paged.hvt good.hvt", 4, "", true, "could not write the page @DIR@/paged.html\n",
       {{"paged.qsx", "*NODE"}, {"good.html", "<!DOCTYPE html>"}}},
      {"--check --html good.qsx", 1, "", true, "--check takes QSX files only", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    TempDir dir;
    MakeModels(dir);
    const Result r = RunCli(c.args, dir.Path());
    EXPECT_EQ(c.status, r.status) << r.err;
    const std::string out = Replaced(c.out, "@DIR@", dir.Path());
    EXPECT_NE(std::string::npos, c.outWhole ? (out == r.out ? 0 : std::string::npos) : r.out.find(out)) << r.out;
    EXPECT_NE(std::string::npos, r.err.find(Replaced(c.err, "@DIR@", dir.Path()))) << r.err;
    for (const auto& [file, part] : c.files)
      EXPECT_TRUE(part ? Exists(dir.File(file)) && ReadFile(dir.File(file)).find(part) != std::string::npos
                       : !Exists(dir.File(file)))
          << file;
  }
}

// The catalogue follows LC_ALL, LC_MESSAGES, LANG; the line expected is the
// catalogue's own text in the language the variables name.
TEST(CommandLine, MessagesInTheLocalesLanguage) {
  TestLocale ja("ja_JP.UTF-8");
  if (!ja.Active()) GTEST_SKIP() << "no Japanese locale can be made here";
  TempDir dir;
  WriteFile(dir.File("m.hvt"), kBad);
  const hvx::Message& invalid = hvx::Messages()[hvx::FindMessage("IDS_HALVEX_Invalid_format_in_line_d__")];
  ASSERT_STRNE(invalid.text[hvx::kEnglish], invalid.text[hvx::kJapanese]);
  const std::pair<const char*, hvx::Language> cases[] = {
      {"LC_ALL=ja_JP.UTF-8", hvx::kJapanese},
      {"LC_ALL=C LANG=ja_JP.UTF-8", hvx::kEnglish},
      {"LC_ALL= LC_MESSAGES=ja_JP.UTF-8 LANG=C", hvx::kJapanese},
  };
  for (const auto& [env, lang] : cases) {
    char line[256];
    std::snprintf(line, sizeof line, invalid.text[lang], 3);
    const Result r = RunCli("m.hvt", dir.Path(), env);
    EXPECT_EQ(0, r.status) << env;
    EXPECT_EQ(std::string(1, '\n').append(line).append("\nImport <" + dir.File("m.hvt") + ">\n"), r.out) << env;
  }
}

// Each report case holds a model and its report as text and as JSON, worked
// out by hand.
TEST(ConversionReport, GoldenTextAndJson) {
  int cases = 0;
  for (const auto& d : fs::directory_iterator(SourceDir() + "/tests/report_cases")) {
    SCOPED_TRACE(d.path().filename().string());
    TempDir dir;
    WriteFile(dir.File("model.hvt"), ReadFile(d.path().string() + "/model.hvt"));
    const Result r = RunCli("--report --report-json report.json model.hvt", dir.Path());
    const std::string text = ReadFile(d.path().string() + "/expected.report.txt");
    const std::string json = ReadFile(d.path().string() + "/expected.report.json");
    EXPECT_EQ(text, r.err) << FirstDifference(text, r.err);
    EXPECT_EQ(json, ReadFile(dir.File("report.json"))) << FirstDifference(json, ReadFile(dir.File("report.json")));
    ++cases;
  }
  EXPECT_GT(cases, 0);
}

// The report and the page change nothing else: the .qsx file, standard
// output and the exit status are the same with and without them, for every
// model we have.
TEST(ConversionReport, LeavesConversionUnchanged) {
  std::vector<fs::path> models = {fs::path(SourceDir()) / "examples/frame.hvt"};
  for (const char* folder : {"tests/cases", "tests/report_cases"})
    for (const auto& d : fs::directory_iterator(SourceDir() + "/" + folder))
      if (Exists(d.path().string() + "/model.hvt")) models.push_back(d.path() / "model.hvt");
  std::sort(models.begin(), models.end());
  for (const fs::path& model : models) {
    SCOPED_TRACE(model.string());
    TempDir plain, reported;
    WriteFile(plain.File("m.hvt"), ReadFile(model.string()));
    WriteFile(reported.File("m.hvt"), ReadFile(model.string()));
    const Result a = RunCli("m.hvt", plain.Path());
    const Result b = RunCli("--report --report-json r.json --html --no-progress m.hvt", reported.Path());
    EXPECT_EQ(a.status, b.status);
    // The message window names the model by its full path.
    EXPECT_EQ(a.out, Replaced(b.out, reported.Path(), plain.Path()));
    EXPECT_EQ(Exists(plain.File("m.qsx")), Exists(reported.File("m.qsx")));
    EXPECT_TRUE(ReadFile(plain.File("m.qsx")) == ReadFile(reported.File("m.qsx")));
    EXPECT_NE(std::string::npos, b.err.find("Conversion report: m.hvt (exit status " + std::to_string(a.status) + ")"));
    EXPECT_TRUE(Exists(reported.File("m.html")));
  }
}

// One JSON object per model in command-line order, a missing model included;
// a missing model has no file to check.
TEST(ConversionReport, JsonHoldsEveryModelInOrder) {
  TempDir dir;
  WriteFile(dir.File("good.hvt"), kGood);
  const Result r = RunCli("--report-json r.json good.hvt nothere.hvt good.hvt", dir.Path());
  EXPECT_EQ(3, r.status);
  const std::string json = ReadFile(dir.File("r.json"));
  const size_t first = json.find("\"model\": \"good.hvt\""), second = json.find("\"model\": \"nothere.hvt\"");
  const size_t third = json.find("\"model\": \"good.hvt\"", first + 1);
  ASSERT_NE(std::string::npos, third);
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);
  EXPECT_NE(std::string::npos, json.find("\"status\": 3", second));
  EXPECT_NE(std::string::npos, json.find("\"checked\": false", second));
  EXPECT_EQ(std::string::npos, json.find("\"checked\": false", third));
  // Without --report nothing is added to standard error.
  EXPECT_EQ(std::string::npos, r.err.find("Conversion report"));
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
