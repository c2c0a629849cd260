// The command-line tool, run as a separate process: exit statuses, the
// message window on standard output and message boxes on standard error.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "resources/catalogue.h"
#include "tests/testutil.h"

using namespace hvxtest;
namespace fs = std::filesystem;

namespace {

struct Result {
  int status = -1;
  std::string out;
  std::string err;
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
  Result r;
  const int rc = std::system(cmd.c_str());
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  r.out = ReadFile(cap.File("out"));
  r.err = ReadFile(cap.File("err"));
  return r;
}

const char* const kGood = "   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n   -1\n";

TEST(CommandLine, HelpVersionAndUsageErrors) {
  TempDir dir;
  Result r = RunCli("--help", dir.Path());
  EXPECT_EQ(0, r.status);
  EXPECT_NE(std::string::npos, r.out.find("Usage: halvex2qsx [--result RESULT.hvb] MODEL.hvt"));
  r = RunCli("--version", dir.Path());
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("halvex2qsx 1.0.0\n", r.out);
  for (const char* bad : {"", "--bogus m.hvt", "--result"}) {
    r = RunCli(bad, dir.Path());
    EXPECT_EQ(1, r.status) << bad;
    EXPECT_NE(std::string::npos, r.err.find("Usage:")) << bad;
  }
}

TEST(CommandLine, ConvertsRelativePathsBesideTheModel) {
  TempDir dir;
  fs::create_directory(dir.File("sub"));
  WriteFile(dir.File("sub/a.hvt"), kGood);
  const Result r = RunCli("sub/a.hvt", dir.Path());
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("", r.out);
  EXPECT_NE(std::string::npos, ReadFile(dir.File("sub/a.qsx")).find("*NODE    ; Nodes\n; iNO, X, Y, Z\n  1, 1, 2, 3\n"));
}

TEST(CommandLine, MessageWindowGoesToStandardOutput) {
  TempDir dir;
  WriteFile(dir.File("m.hvt"), "   -1\n403\n1,2\n   -1\n");
  const Result r = RunCli("m.hvt", dir.Path());
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("\nInvalid format in line 3.\n\nImport <" + dir.File("m.hvt") + ">\n", r.out);
  EXPECT_FALSE(Exists(dir.File("ReadErr.msg")));
}

// The catalogue follows LC_ALL, LC_MESSAGES, LANG; the line expected is the
// catalogue's own text in the language the variables name.
TEST(CommandLine, MessagesInTheLocalesLanguage) {
  TestLocale ja("ja_JP.UTF-8");
  if (!ja.Active()) GTEST_SKIP() << "no Japanese locale can be made here";
  TempDir dir;
  WriteFile(dir.File("m.hvt"), "   -1\n403\n1,2\n   -1\n");
  const struct {
    const char* env;
    hvxmsg::Language lang;
  } cases[] = {
      {"LC_ALL=ja_JP.UTF-8", hvxmsg::kJapanese},
      {"LC_ALL=C LANG=ja_JP.UTF-8", hvxmsg::kEnglish},
      {"LC_ALL= LC_MESSAGES=ja_JP.UTF-8 LANG=C", hvxmsg::kJapanese},
  };
  const hvxmsg::Message& invalid = hvxmsg::Messages()[hvxmsg::FindMessage("IDS_HALVEX_Invalid_format_in_line_d__")];
  ASSERT_STRNE(invalid.text[hvxmsg::kEnglish], invalid.text[hvxmsg::kJapanese]);
  for (const auto& c : cases) {
    char line[256];
    std::snprintf(line, sizeof line, invalid.text[c.lang], 3);
    const Result r = RunCli("m.hvt", dir.Path(), c.env);
    EXPECT_EQ(0, r.status) << c.env;
    const std::string expected = std::string("\n").append(line).append("\nImport <" + dir.File("m.hvt") + ">\n");
    EXPECT_EQ(expected, r.out) << c.env;
  }
}

TEST(CommandLine, MissingModelAndHighestStatus) {
  TempDir dir;
  WriteFile(dir.File("good.hvt"), kGood);
  fs::create_directory(dir.File("folder.hvt"));
  Result r = RunCli("nothere.hvt", dir.Path());
  EXPECT_EQ(3, r.status);
  EXPECT_NE(std::string::npos, r.err.find(dir.File("nothere.hvt")));
  EXPECT_FALSE(Exists(dir.File("nothere.qsx")));

  r = RunCli("folder.hvt", dir.Path());
  EXPECT_EQ(2, r.status);
  EXPECT_NE(std::string::npos, r.err.find("Can't open NEUtral file!\n"));

  // Every model is tried; the highest status wins.
  r = RunCli("folder.hvt nothere.hvt good.hvt", dir.Path());
  EXPECT_EQ(3, r.status);
  EXPECT_TRUE(Exists(dir.File("good.qsx")));
}

TEST(CommandLine, UnwritableResultIsAFileError) {
  TempDir dir;
  WriteFile(dir.File("m.hvt"), kGood);
  fs::create_directory(dir.File("m.qsx"));  // the output path is taken by a folder
  const Result r = RunCli("--result r.hvb m.hvt", dir.Path());
  EXPECT_EQ(4, r.status);
  EXPECT_NE(std::string::npos, r.err.find(dir.File("m.qsx")));
}

}  // namespace

// ---- conversion report ------------------------------------------------------

namespace {

std::vector<fs::path> Models() {
  std::vector<fs::path> models;
  for (const char* folder : {"tests/cases", "tests/report_cases"})
    for (const auto& d : fs::directory_iterator(SourceDir() + "/" + folder))
      if (Exists(d.path().string() + "/model.hvt")) models.push_back(d.path() / "model.hvt");
  models.push_back(fs::path(SourceDir()) / "examples/frame.hvt");
  std::sort(models.begin(), models.end());
  return models;
}

}  // namespace

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

// The report changes nothing else: the .qsx file, standard output and the exit
// status are the same with and without it, for every model we have.
TEST(ConversionReport, LeavesConversionUnchanged) {
  for (const fs::path& model : Models()) {
    SCOPED_TRACE(model.string());
    TempDir plain, reported;
    WriteFile(plain.File("m.hvt"), ReadFile(model.string()));
    WriteFile(reported.File("m.hvt"), ReadFile(model.string()));
    const Result a = RunCli("m.hvt", plain.Path());
    const Result b = RunCli("--report --report-json r.json --no-progress m.hvt", reported.Path());
    EXPECT_EQ(a.status, b.status);
    // The message window names the model by its full path.
    std::string out = b.out;
    for (size_t p; (p = out.find(reported.Path())) != std::string::npos;) out.replace(p, reported.Path().size(), plain.Path());
    EXPECT_EQ(a.out, out);
    EXPECT_EQ(Exists(plain.File("m.qsx")), Exists(reported.File("m.qsx")));
    EXPECT_TRUE(ReadFile(plain.File("m.qsx")) == ReadFile(reported.File("m.qsx")));
    EXPECT_NE(std::string::npos, b.err.find("Conversion report: m.hvt (exit status " + std::to_string(a.status) + ")"));
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
  const size_t first = json.find("\"model\": \"good.hvt\"");
  const size_t second = json.find("\"model\": \"nothere.hvt\"");
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
