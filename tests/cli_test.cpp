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
#include "tests/testutil.h"

using namespace hvx;

using namespace hvxtest;
namespace fs = std::filesystem;

namespace {

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) ++n;
  return n;
}

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

// What each use of the tool gives: the exit status, standard output (the
// message window) and standard error (message boxes, what was lost, usage
// errors), and the files written; every other file stays as it was (so no
// log is left and no model written over). @DIR@ stands for the folder.
// Folders are compared by their listing and texts (a write bit does not stop
// root).
TEST(CommandLine, StatusesStreamsAndFiles) {
  const std::string kProblemsLine =
      "halvex2qsx: problems.hvt: not converted: 2 elements, 1 material, 3 static loads; 1 unknown block; "
      "7 lines outside blocks; reading stopped at line 1151; 2 dangling references (see --report)\n";
  const std::string kHint = "Run 'halvex2qsx --help' to see the options.\n";
  const std::string kUsage = "...Usage: halvex2qsx [--result RESULT.hvb] MODEL.hvt";
  const std::string kBadOut = "\nInvalid format in line 3.\n\nImport <@DIR@/bad.hvt>\n";
  const std::string kBadErr = "halvex2qsx: bad.hvt: reading stopped at line 3 (see --report)\n";
  const std::string kNode = "=*NODE    ; Nodes\n; iNO, X, Y, Z\n  1, 1, 2, 3\n";
  const struct {
    const char* args;
    int status;
    std::string out, err;              // "..." alone: anything
    std::vector<std::string> written;  // files added or changed, "=part" a part of the text
  } cases[] = {
      {"--help", 0, kUsage, "", {}},
      {"-h", 0, kUsage, "", {}},
      {"--version", 0, "halvex2qsx 1.0.0\n", "", {}},
      {"-V", 0, "halvex2qsx 1.0.0\n", "", {}},
      {"sub/a.hvt", 0, "", "", {"sub/a.qsx" + kNode}},
      {"--threads 1 sub/a.hvt", 0, "", "", {"sub/a.qsx" + kNode}},
      {"bad.hvt", 0, kBadOut, kBadErr, {"bad.qsx"}},
      {"--threads 3 bad.hvt", 0, kBadOut, kBadErr, {"bad.qsx"}},
      {"nothere.hvt", 3, "", "halvex2qsx: model file not found: @DIR@/nothere.hvt\n", {}},
      // The file and the system's reason after a message box's text.
      {"folder.hvt", 2, "", "Can't open NEUtral file! (@DIR@/folder.hvt: Is a directory)\n", {}},
      {"--result r.hvb blocked.hvt", 4, "", "...@DIR@/blocked.qsx", {}},
      // Every model is tried; the highest status wins.
      {"folder.hvt nothere.hvt good.hvt", 3, "", "...", {"good.qsx"}},
      // The page beside each model read; a page that cannot be written is a file error.
      {"--html sub/a.hvt nothere.hvt folder.hvt", 3, "", "...",
       {"sub/a.qsx", "sub/a.html=<!DOCTYPE html>", "folder.html=could not be opened"}},
      {"--html paged.hvt good.hvt", 4, "", "...could not write the page @DIR@/paged.html\n",
       {"paged.qsx=*NODE", "good.qsx", "good.html=<!DOCTYPE html>"}},
      // The summary line, and nothing for a clean model.
      {"clean.hvt", 0, "", "", {"clean.qsx"}},
      {"empty.hvt", 0, "", "halvex2qsx: empty.hvt: no Halvex data block found (see --report)\n", {"empty.qsx"}},
      {"other.hvt", 0, "", "halvex2qsx: other.hvt: no Halvex data block found; 4 lines outside blocks (see --report)\n",
       {"other.qsx"}},
      {"random.hvt", 0, "", "...halvex2qsx: random.hvt: no Halvex data block found; ", {"random.qsx"}},
      {"prog.hvt", 0, "", "...halvex2qsx: prog.hvt: no Halvex data block found; ", {"prog.qsx"}},
      {"problems.hvt", 0, "...", kProblemsLine, {"problems.qsx"}},
      {"--quiet problems.hvt", 0, "...", "", {"problems.qsx"}},
      // --strict: 5 for what the line counts; the most severe status wins.
      {"--strict problems.hvt", 5, "...", kProblemsLine, {"problems.qsx"}},
      {"--strict -q problems.hvt", 5, "...", "", {"problems.qsx"}},
      {"--strict empty.hvt", 5, "", "...no Halvex data block found", {"empty.qsx"}},
      {"--strict clean.hvt good.hvt", 0, "", "", {"clean.qsx", "good.qsx"}},
      {"--strict good.hvt problems.hvt", 5, "...", kProblemsLine, {"good.qsx", "problems.qsx"}},
      {"--strict problems.hvt folder.hvt", 2, "...", "...Can't open NEUtral file!", {"problems.qsx"}},
      {"--strict nothere.hvt problems.hvt", 3, "...", "...model file not found", {"problems.qsx"}},
      {"--strict blocked.hvt nothere.hvt problems.hvt", 4, "...", "...could not write the result", {"problems.qsx"}},
      // -o: into the folder only; it must exist; no two models into one file.
      {"-o out models/m1.hvt", 0, "", "", {"out/m1.qsx"}},
      {"--output-dir out/ good.hvt models/m1.hvt", 0, "", "", {"out/good.qsx", "out/m1.qsx"}},
      {"-o out good.hvt ./good.hvt", 0, "", "", {"out/good.qsx"}},
      {"--html -o out models/m1.hvt", 0, "", "", {"out/m1.qsx", "out/m1.html"}},
      {"-o nowhere good.hvt", 1, "", "halvex2qsx: output folder does not exist: nowhere\n", {}},
      {"-o good.hvt models/m1.hvt", 1, "", "halvex2qsx: not a folder: good.hvt\n", {}},
      {"-o out a.hvt models/a.hvt", 1, "",
       "halvex2qsx: a.hvt and models/a.hvt would both be written to @DIR@/out/a.qsx; nothing converted\n", {}},
      {"sub/a.hvt sub/a.txt", 3, "", "...model file not found", {"sub/a.qsx"}},  // sub/a.txt writes nothing
      {"--report-json good.qsx good.hvt", 1, "",
       "halvex2qsx: good.hvt and --report-json would both be written to @DIR@/good.qsx; nothing converted\n", {}},
      // No model is written over: not by its own result, nor by another
      // model's result or page, nor by the report.
      {"x.qsx", 4, "",
       "The file @DIR@/x.qsx is not written: it is the model file @DIR@/x.qsx.\n"
       "halvex2qsx: could not write the result of @DIR@/x.qsx\n",
       {}},
      {"a.hvt a.qsx good.hvt", 4, "",
       "The file @DIR@/a.qsx is not written: it is the model file @DIR@/a.qsx.\n"
       "halvex2qsx: could not write the result of @DIR@/a.hvt\n"
       "The file @DIR@/a.qsx is not written: it is the model file @DIR@/a.qsx.\n"
       "halvex2qsx: could not write the result of @DIR@/a.qsx\n",
       {"good.qsx"}},
      {"--html p.hvt p.html", 4, "",
       "The file @DIR@/p.html is not written: it is the model file @DIR@/p.html.\n"
       "halvex2qsx: could not write the result of @DIR@/p.hvt\n"
       "The file @DIR@/p.html is not written: it is the model file @DIR@/p.html.\n"
       "halvex2qsx: could not write the result of @DIR@/p.html\n",
       {}},
      {"--report-json a.hvt good.hvt a.hvt", 4, "",
       "halvex2qsx: The file a.hvt is not written: it is the model file a.hvt.\n", {}},
      // Usage errors: the error and a pointer to the help, not the help.
      {"", 1, "", "halvex2qsx: no model file given\n" + kHint, {}},
      {"--bogus good.hvt", 1, "", "halvex2qsx: The following argument was not expected: --bogus\n" + kHint, {}},
      {"-o", 1, "", "..." + kHint, {}},
      {"--threads many good.hvt", 1, "", "...--threads", {}},
      {"good.hvt --threads", 1, "", "...--threads", {}},
      {"--check --strict good.qsx", 1, "",
       "halvex2qsx: --check takes QSX files and -j only, no other option\n" + kHint, {}},
      {"--report-json '' good.hvt", 1, "", "halvex2qsx: --report-json needs a file name\n" + kHint, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    TempDir dir;
    MakeModels(dir);
    std::map<std::string, std::string> before = Contents(dir.Path());
    const ToolRun r = RunTool(c.args, dir.Path());
    EXPECT_EQ(c.status, r.status) << r.err;
    ExpectText(Replaced(c.out, "@DIR@", dir.Path()), r.out, "standard output");
    ExpectText(Replaced(c.err, "@DIR@", dir.Path()), r.err, "standard error");
    EXPECT_EQ(std::string::npos, r.err.find("Usage:")) << "the whole help on a usage error";
    std::map<std::string, std::string> after = Contents(dir.Path());
    for (const std::string& w : c.written) {
      const std::string file = w.substr(0, w.find('=')), part = w.find('=') == w.npos ? "" : w.substr(w.find('=') + 1);
      const auto it = after.find(file);
      EXPECT_TRUE(it != after.end() && it->second.find(part) != std::string::npos) << file << " not written";
      after.erase(file);
      before.erase(file);
    }
    EXPECT_TRUE(before == after) << "files changed, added or removed besides those written";
  }
}

// The catalogue's texts and the tool's own follow LC_ALL, LC_MESSAGES, LANG;
// the window line expected is the catalogue's own text in the language the
// variables name.
TEST(CommandLine, TextsInTheLocalesLanguage) {
  TestLocale ja("ja_JP.UTF-8");
  if (!ja.Active()) GTEST_SKIP() << "no Japanese locale can be made here";
  TempDir dir;
  WriteFile(dir.File("bad.hvt"), kBad);
  const hvx::Message& invalid = hvx::Messages()[hvx::FindMessage("IDS_HALVEX_Invalid_format_in_line_d__")];
  ASSERT_STRNE(invalid.text[hvx::kEnglish], invalid.text[hvx::kJapanese]);
  const std::string kJaStopped = "halvex2qsx: bad.hvt: 3 行目で読み込みを中止 (詳しくは --report)\n";
  const struct {
    const char* env;
    const char* args;
    hvx::Language lang;
    std::string err;
  } cases[] = {
      {"LC_ALL=ja_JP.UTF-8", "bad.hvt", hvx::kJapanese, kJaStopped},
      {"LC_ALL=C LANG=ja_JP.UTF-8", "bad.hvt", hvx::kEnglish,
       "halvex2qsx: bad.hvt: reading stopped at line 3 (see --report)\n"},
      {"LC_ALL= LC_MESSAGES=ja_JP.UTF-8 LANG=C", "bad.hvt", hvx::kJapanese, kJaStopped},
      {"LC_MESSAGES=ja_JP.UTF-8", "nothere.hvt", hvx::kJapanese,
       "halvex2qsx: モデル ファイルが見つかりません: " + dir.File("nothere.hvt") + "\n"},
      {"LC_ALL=ja_JP.UTF-8", "", hvx::kJapanese,
       "halvex2qsx: モデル ファイルが指定されていません\nオプションは 'halvex2qsx --help' で表示できます。\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.env) + " " + c.args);
    char line[256];
    std::snprintf(line, sizeof line, invalid.text[c.lang], 3);
    const ToolRun r = RunTool(c.args, dir.Path(), c.env);
    EXPECT_EQ(c.err, r.err);
    EXPECT_EQ(std::string(c.args) != "bad.hvt" ? ""
                                               : std::string(1, '\n').append(line).append(
                                                     "\nImport <" + dir.File("bad.hvt") + ">\n"),
              r.out);
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

// One JSON object per model in command-line order, a missing model included;
// a missing model has no file to check.
TEST(ConversionReport, JsonHoldsEveryModelInOrder) {
  TempDir dir;
  WriteFile(dir.File("good.hvt"), kGood);
  const ToolRun r = RunTool("--report-json r.json good.hvt nothere.hvt good.hvt", dir.Path());
  EXPECT_EQ(3, r.status);
  const std::string json = ReadFile(dir.File("r.json"));
  const size_t first = json.find("\"model\": \"good.hvt\""), second = json.find("\"model\": \"nothere.hvt\"");
  const size_t third = json.find("\"model\": \"good.hvt\"", first + 1);
  ASSERT_NE(std::string::npos, third);
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);
  EXPECT_NE(std::string::npos, json.find("\"status\": 3", second));
  // Each names the file written and the tool's version.
  EXPECT_NE(std::string::npos, json.find("\"output\": \"" + dir.File("good.qsx") + "\"", first));
  EXPECT_NE(std::string::npos, json.find("\"output\": null", second));
  EXPECT_EQ(3u, Occurrences(json, std::string("\"tool_version\": \"") + Version() + "\""));
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
