// The command-line tool, run as a separate process: exit statuses, the
// message window on standard output and message boxes on standard error.
#include <gtest/gtest.h>
#include <sys/wait.h>

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
