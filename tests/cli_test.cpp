// The command-line tool, run as a separate process: exit statuses, the
// message window on standard output, message boxes on standard error, and the
// conversion report.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
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
      {"-h", 0, "Usage: halvex2qsx [--result RESULT.hvb] MODEL.hvt", false, "", {}},
      {"--version", 0, "halvex2qsx 1.0.0\n", true, "", {}},
      {"-V", 0, "halvex2qsx 1.0.0\n", true, "", {}},
      {"sub/a.hvt", 0, "", true, "", {{"sub/a.qsx", "*NODE    ; Nodes\n; iNO, X, Y, Z\n  1, 1, 2, 3\n"}}},
      {"bad.hvt", 0, "\nInvalid format in line 3.\n\nImport <@DIR@/bad.hvt>\n", true, "", {{"ReadErr.msg", nullptr}}},
      {"nothere.hvt", 3, "", true, "@DIR@/nothere.hvt", {{"nothere.qsx", nullptr}}},
      {"folder.hvt", 2, "", true, "Can't open NEUtral file! (@DIR@/folder.hvt: Is a directory)\n", {}},
      {"--threads 1 sub/a.hvt", 0, "", true, "", {{"sub/a.qsx", "*NODE    ; Nodes\n; iNO, X, Y, Z\n  1, 1, 2, 3\n"}}},
      {"--threads 3 bad.hvt", 0, "\nInvalid format in line 3.\n\nImport <@DIR@/bad.hvt>\n", true, "", {}},
      {"--threads many good.hvt", 1, "", true, "--threads", {{"good.qsx", nullptr}}},
      {"good.hvt --threads", 1, "", true, "--threads", {{"good.qsx", nullptr}}},
      // Every model is tried; the highest status wins.
      {"folder.hvt nothere.hvt good.hvt", 3, "", true, "", {{"good.qsx", ""}}},
      {"--result r.hvb blocked.hvt", 4, "", true, "@DIR@/blocked.qsx", {}},
      // The page beside each model read; a page that cannot be written is a file error.
      {"--html sub/a.hvt nothere.hvt folder.hvt", 3, "", true, "",
       {{"sub/a.html", "<!DOCTYPE html>"}, {"nothere.html", nullptr}, {"folder.html", "could not be opened"}}},
      {"--html paged.hvt good.hvt", 4, "", true, "could not write the page @DIR@/paged.html\n",
       {{"paged.qsx", "*NODE"}, {"good.html", "<!DOCTYPE html>"}}},
      {"--check --html good.qsx", 1, "", true, "--check takes QSX files and -j only", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    TempDir dir;
    MakeModels(dir);
    const ToolRun r = RunTool(c.args, dir.Path());
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

// A folder for the tables below: the models of MakeModels, and
//   empty.hvt, random.hvt (4 KiB of seeded random bytes), prog.hvt (this
//   tool's program file), other.hvt (QSX text), problems.hvt (the example
//   with problems added), clean.hvt (the example);
//   x.qsx (a model named so), link.hvt with link.qsx a symbolic link to it,
//   hard.hvt with hard.qsx a second name of it, a.hvt and a.qsx, p.hvt and
//   p.html (two models each);
//   models/m1.hvt, models/a.hvt and an empty folder out.
void MakeLossModels(const TempDir& dir) {
  MakeModels(dir);
  WriteFile(dir.File("empty.hvt"), "");
  std::mt19937 bits(23);
  std::string random(4096, '\0');
  for (char& c : random) c = static_cast<char>(bits() & 0xff);
  WriteFile(dir.File("random.hvt"), random);
  fs::copy_file(BinaryDir() + "/halvex2qsx", dir.File("prog.hvt"));
  WriteFile(dir.File("other.hvt"), "*VERSION\n  6.4.1\n\n*ENDDATA\n");
  WriteFile(dir.File("problems.hvt"), ReadFile(SourceDir() + "/examples/frame-with-problems.hvt"));
  WriteFile(dir.File("clean.hvt"), ReadFile(SourceDir() + "/examples/frame.hvt"));
  for (const char* name : {"x.qsx", "link.hvt", "hard.hvt", "a.hvt", "a.qsx", "p.hvt", "p.html"})
    WriteFile(dir.File(name), kGood);
  fs::create_symlink("link.hvt", dir.File("link.qsx"));
  fs::create_hard_link(dir.File("hard.hvt"), dir.File("hard.qsx"));
  fs::create_directories(dir.File("models"));
  fs::create_directories(dir.File("out"));
  WriteFile(dir.File("models/m1.hvt"), kGood);
  WriteFile(dir.File("models/a.hvt"), kGood);
}

// Every file under dir with its text (a link as "-> target").
std::map<std::string, std::string> Contents(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator(); ++it) {
    const std::string name = fs::relative(it->path(), dir).string();
    if (it->is_symlink())
      files[name] = "-> " + fs::read_symlink(it->path()).string();
    else
      files[name] = it->is_directory() ? "<folder>" : ReadFile(it->path().string());
  }
  return files;
}

// What was lost, said on standard error, and --strict, --quiet and -o; no
// model written over; usage errors. Folders are compared by their listing and
// texts (a folder's write bit does not stop root).
TEST(CommandLine, NothingLostWithoutAWord) {
  const std::string kProblemsLine =
      "halvex2qsx: problems.hvt: not converted: 2 elements, 1 material, 3 static loads; 1 unknown block; "
      "7 lines outside blocks; reading stopped at line 1151; 2 dangling references (see --report)\n";
  const std::string kHint = "Run 'halvex2qsx --help' to see the options.\n";
  const struct {
    const char* args;
    int status;
    std::string err;                  // the whole of standard error, or with `parts` a part of it
    bool part;
    std::vector<std::string> written; // files added (folders end in "/"); every other file stays as it was
  } cases[] = {
      // The summary line, and nothing for a clean model.
      {"clean.hvt", 0, "", false, {"clean.qsx"}},
      {"good.hvt", 0, "", false, {"good.qsx"}},
      {"empty.hvt", 0, "halvex2qsx: empty.hvt: no Halvex data block found (see --report)\n", false, {"empty.qsx"}},
      {"other.hvt", 0, "halvex2qsx: other.hvt: no Halvex data block found; 4 lines outside blocks (see --report)\n",
       false, {"other.qsx"}},
      {"random.hvt", 0, "halvex2qsx: random.hvt: no Halvex data block found; ", true, {"random.qsx"}},
      {"prog.hvt", 0, "halvex2qsx: prog.hvt: no Halvex data block found; ", true, {"prog.qsx"}},
      {"bad.hvt", 0, "halvex2qsx: bad.hvt: reading stopped at line 3 (see --report)\n", false, {"bad.qsx"}},
      {"problems.hvt", 0, kProblemsLine, false, {"problems.qsx"}},
      {"--quiet problems.hvt", 0, "", false, {"problems.qsx"}},
      // --strict: 5 for what the line counts; the most severe status wins.
      {"--strict problems.hvt", 5, kProblemsLine, false, {"problems.qsx"}},
      {"--strict -q problems.hvt", 5, "", false, {"problems.qsx"}},
      {"--strict empty.hvt", 5, "no Halvex data block found", true, {"empty.qsx"}},
      {"--strict clean.hvt good.hvt", 0, "", false, {"clean.qsx", "good.qsx"}},
      {"--strict good.hvt problems.hvt", 5, kProblemsLine, false, {"good.qsx", "problems.qsx"}},
      {"--strict problems.hvt folder.hvt", 2, "Can't open NEUtral file!", true, {"problems.qsx"}},
      {"--strict nothere.hvt problems.hvt", 3, "model file not found", true, {"problems.qsx"}},
      {"--strict blocked.hvt nothere.hvt problems.hvt", 4, "could not write the result", true, {"problems.qsx"}},
      // -o: into the folder only; it must exist; no two models into one file.
      {"-o out models/m1.hvt", 0, "", false, {"out/m1.qsx"}},
      {"--output-dir out/ good.hvt models/m1.hvt", 0, "", false, {"out/good.qsx", "out/m1.qsx"}},
      {"-o out good.hvt ./good.hvt", 0, "", false, {"out/good.qsx"}},
      {"--html -o out models/m1.hvt", 0, "", false, {"out/m1.qsx", "out/m1.html"}},
      {"-o nowhere good.hvt", 1, "halvex2qsx: output folder does not exist: nowhere\n", false, {}},
      {"-o good.hvt models/m1.hvt", 1, "halvex2qsx: not a folder: good.hvt\n", false, {}},
      {"-o out a.hvt models/a.hvt", 1,
       "halvex2qsx: a.hvt and models/a.hvt would both be written to @DIR@/out/a.qsx; nothing converted\n", false, {}},
      {"sub/a.hvt sub/a.txt", 3, "model file not found", true, {"sub/a.qsx"}},  // sub/a.txt writes nothing
      {"--report-json good.qsx good.hvt", 1,
       "halvex2qsx: good.hvt and --report-json would both be written to @DIR@/good.qsx; nothing converted\n", false,
       {}},
      // No model is written over: not by its own result, nor through a link,
      // nor by another model's result, nor by the report.
      {"x.qsx", 4,
       "The file @DIR@/x.qsx is not written: it is the model file @DIR@/x.qsx.\n"
       "halvex2qsx: could not write the result of @DIR@/x.qsx\n",
       false, {}},
      {"link.hvt", 4,
       "The file @DIR@/link.qsx is not written: it is the model file @DIR@/link.hvt.\n"
       "halvex2qsx: could not write the result of @DIR@/link.hvt\n",
       false, {}},
      {"hard.hvt", 4, "The file @DIR@/hard.qsx is not written: it is the model file @DIR@/hard.hvt.\n", true, {}},
      {"a.hvt a.qsx good.hvt", 4,
       "The file @DIR@/a.qsx is not written: it is the model file @DIR@/a.qsx.\n"
       "halvex2qsx: could not write the result of @DIR@/a.hvt\n"
       "The file @DIR@/a.qsx is not written: it is the model file @DIR@/a.qsx.\n"
       "halvex2qsx: could not write the result of @DIR@/a.qsx\n",
       false, {"good.qsx"}},
      {"--html p.hvt p.html", 4,
       "The file @DIR@/p.html is not written: it is the model file @DIR@/p.html.\n"
       "halvex2qsx: could not write the result of @DIR@/p.hvt\n"
       "The file @DIR@/p.html is not written: it is the model file @DIR@/p.html.\n"
       "halvex2qsx: could not write the result of @DIR@/p.html\n",
       false, {}},
      {"--report-json a.hvt good.hvt a.hvt", 4,
       "halvex2qsx: The file a.hvt is not written: it is the model file a.hvt.\n", false, {}},
      // The file and the system's reason after a message box's text.
      {"folder.hvt", 2, "Can't open NEUtral file! (@DIR@/folder.hvt: Is a directory)\n", false, {}},
      // Usage errors: the error and a pointer to the help.
      {"", 1, "halvex2qsx: no model file given\n" + kHint, false, {}},
      {"--bogus good.hvt", 1, "halvex2qsx: The following argument was not expected: --bogus\n" + kHint, false, {}},
      {"-o", 1, kHint, true, {}},
      {"--check --strict good.qsx", 1, "halvex2qsx: --check takes QSX files and -j only, no other option\n" + kHint, false,
       {}},
      {"--report-json '' good.hvt", 1, "halvex2qsx: --report-json needs a file name\n" + kHint, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    TempDir dir;
    MakeLossModels(dir);
    std::map<std::string, std::string> before = Contents(dir.Path());
    const ToolRun r = RunTool(c.args, dir.Path());
    EXPECT_EQ(c.status, r.status) << r.err;
    const std::string err = Replaced(c.err, "@DIR@", dir.Path());
    if (c.part)
      EXPECT_NE(std::string::npos, r.err.find(err)) << r.err;
    else
      EXPECT_EQ(err, r.err);
    EXPECT_EQ(std::string::npos, r.err.find("Usage:")) << "the whole help on a usage error";
    std::map<std::string, std::string> after = Contents(dir.Path());
    for (const std::string& file : c.written) EXPECT_EQ(1u, after.erase(file)) << file << " not written";
    EXPECT_TRUE(before == after) << "files changed, added or removed besides those written";
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
    const ToolRun r = RunTool("m.hvt", dir.Path(), env);
    EXPECT_EQ(0, r.status) << env;
    EXPECT_EQ(std::string(1, '\n').append(line).append("\nImport <" + dir.File("m.hvt") + ">\n"), r.out) << env;
  }
}

// The tool's own texts follow the locale as the catalogue's do.
TEST(CommandLine, OwnTextsInTheLocalesLanguage) {
  TestLocale ja("ja_JP.UTF-8");
  if (!ja.Active()) GTEST_SKIP() << "no Japanese locale can be made here";
  TempDir dir;
  WriteFile(dir.File("bad.hvt"), kBad);
  const struct {
    const char* args;
    const char* env;
    std::string err;
  } cases[] = {
      {"bad.hvt", "LC_ALL=ja_JP.UTF-8", "halvex2qsx: bad.hvt: 3 行目で読み込みを中止 (詳しくは --report)\n"},
      {"bad.hvt", "LANG=ja_JP.UTF-8 LC_ALL=C", "halvex2qsx: bad.hvt: reading stopped at line 3 (see --report)\n"},
      {"nothere.hvt", "LC_MESSAGES=ja_JP.UTF-8",
       "halvex2qsx: モデル ファイルが見つかりません: " + dir.File("nothere.hvt") + "\n"},
      {"", "LC_ALL=ja_JP.UTF-8",
       "halvex2qsx: モデル ファイルが指定されていません\nオプションは 'halvex2qsx --help' で表示できます。\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.env) + " " + c.args);
    EXPECT_EQ(c.err, RunTool(c.args, dir.Path(), c.env).err);
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
    const ToolRun r = RunTool("--quiet --report --report-json report.json model.hvt", dir.Path());
    const std::string text = ReadFile(d.path().string() + "/expected.report.txt");
    const std::string json = ReadFile(d.path().string() + "/expected.report.json");
    // @DIR@ stands for the folder of the written file.
    const std::string written = Replaced(ReadFile(dir.File("report.json")), dir.Path(), "@DIR@");
    EXPECT_EQ(text, r.err) << FirstDifference(text, r.err);
    EXPECT_EQ(json, written) << FirstDifference(json, written);
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
    const ToolRun a = RunTool("m.hvt", plain.Path());
    const ToolRun b = RunTool("--report --report-json r.json --html --no-progress m.hvt", reported.Path());
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
