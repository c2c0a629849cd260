// -j/--jobs: a batch converted several models at a time gives the same
// files, standard output, standard error and exit status as one model after
// the other; files two models would both write are refused before anything
// runs; Ctrl+C cancels and leaves no part written (the runner itself:
// tests/ordered_run_test.cpp).
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <thread>

#include "tests/testutil.h"

using namespace hvx;
using namespace hvxtest;
namespace fs = std::filesystem;

extern char** environ;

namespace {

// Every file under dir with its text, the folder's path in it as @DIR@.
std::map<std::string, std::string> Contents(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    files[fs::relative(e.path(), dir).string()] =
        e.is_directory() ? "<folder>" : Replaced(ReadFile(e.path().string()), dir, "@DIR@");
  return files;
}

// The model text of the first case of a model-case file (tests/cases_test.cpp).
std::string FirstModelCase(const std::string& file) {
  const std::string text = ReadFile(SourceDir() + "/tests/model_cases/" + file);
  const size_t start = text.find("\n", text.find("=== ")) + 1;
  return text.substr(start, text.find("\n--- ", start) + 1 - start);
}

// A batch of models and what one after the other must give: every golden
// case as CASE.hvt (missing-model-file is not there), the first case of three
// model-case files, the example with problems (a summary line), a folder
// named as a model (a failed conversion) and two models of one name in
// different folders.
struct Batch {
  std::vector<std::string> names;
  std::string expectedOut;  // the golden cases' message windows, @DIR@ the folder
  std::map<std::string, std::string> expectedQsx;

  Batch() {
    for (const auto& e : fs::directory_iterator(SourceDir() + "/tests/cases")) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    for (std::string& n : names) {
      const std::string dir = SourceDir() + "/tests/cases/" + n + "/";
      n += ".hvt";
      if (Exists(dir + "expected.stdout"))
        expectedOut += Replaced(ReadFile(dir + "expected.stdout"), "@MODEL@", "@DIR@/" + n);
      if (Exists(dir + "expected.qsx"))
        expectedQsx[n.substr(0, n.size() - 4) + ".qsx"] = ReadFile(dir + "expected.qsx");
    }
    for (const char* n : {"problems.hvt", "folder.hvt", "mc-loads.hvt", "mc-model.hvt", "sub/mc-model.hvt",
                          "mc-groups.hvt"})
      names.push_back(n);
  }
  void Make(const TempDir& dir) const {
    for (const auto& e : fs::directory_iterator(SourceDir() + "/tests/cases"))
      if (Exists(e.path().string() + "/model.hvt"))
        fs::copy_file(e.path() / "model.hvt", dir.File(e.path().filename().string() + ".hvt"));
    fs::copy_file(SourceDir() + "/examples/frame-with-problems.hvt", dir.File("problems.hvt"));
    fs::create_directories(dir.File("folder.hvt"));
    fs::create_directories(dir.File("sub"));
    WriteFile(dir.File("mc-loads.hvt"), FirstModelCase("reader_loads.txt"));
    WriteFile(dir.File("mc-model.hvt"), FirstModelCase("writer_model.txt"));
    WriteFile(dir.File("sub/mc-model.hvt"), FirstModelCase("writer_model.txt"));
    WriteFile(dir.File("mc-groups.hvt"), FirstModelCase("writer_groups.txt"));
  }
  std::string Args() const {
    std::string args;
    for (const std::string& n : names) args += " " + n;
    return args;
  }
};

TEST(ToolJobs, BatchGivesWhatOneAfterTheOtherGives) {
  const Batch batch;
  const std::string kProblems =
      "halvex2qsx: problems.hvt: not converted: 2 elements, 1 material, 3 static loads; 1 unknown block; "
      "7 lines outside blocks; reading stopped at line 1151; 2 dangling references (see --report)\n";
  for (const std::string options : {"", " --strict --report --report-json r.json"}) {
    std::optional<ToolRun> first;
    std::map<std::string, std::string> firstFiles;
    for (const char* jobs : {"-j 1", "-j 3", "--jobs 3 --threads 2", "-j2"}) {
      SCOPED_TRACE(std::string(jobs) + options);
      TempDir dir;
      batch.Make(dir);
      ToolRun r = RunTool(jobs + options + batch.Args(), dir.Path());
      r.out = Replaced(r.out, dir.Path(), "@DIR@");
      r.err = Replaced(r.err, dir.Path(), "@DIR@");
      const std::map<std::string, std::string> files = Contents(dir.Path());
      // As the golden cases say, one by one: a model that does not exist is
      // the most severe status of the batch.
      EXPECT_EQ(3, r.status) << r.err;
      for (const auto& [qsx, text] : batch.expectedQsx) {
        ASSERT_EQ(1u, files.count(qsx)) << qsx;
        EXPECT_TRUE(files.at(qsx) == text) << qsx << FirstDifference(text, files.at(qsx));
      }
      EXPECT_EQ(0u, r.out.find(batch.expectedOut)) << FirstDifference(batch.expectedOut, r.out);
      EXPECT_NE(std::string::npos, r.err.find(options.empty() ? kProblems : "problems.hvt (exit status 5)"))
          << r.err;
      EXPECT_NE(std::string::npos, r.err.find("model file not found: @DIR@/missing-model-file.hvt")) << r.err;
      EXPECT_EQ(1u, files.count("sub/mc-model.qsx"));
      if (!first) {
        first = r;
        firstFiles = files;
        continue;
      }
      // Byte for byte what -j 1 gave.
      EXPECT_EQ(first->status, r.status);
      EXPECT_TRUE(first->out == r.out) << FirstDifference(first->out, r.out);
      EXPECT_TRUE(first->err == r.err) << FirstDifference(first->err, r.err);
      EXPECT_EQ(firstFiles.size(), files.size());
      for (const auto& [name, text] : firstFiles)
        EXPECT_TRUE(files.count(name) && files.at(name) == text) << name;
    }
  }
}

// Two models that would write one file stop the run before any model is
// converted, with any -j; so does a usage error of -j.
TEST(ToolJobs, RefusalsAndUsageErrorsBeforeAnythingRuns) {
  const std::string kHint = "Run 'halvex2qsx --help' to see the options.\n";
  const struct {
    const char* args;
    std::string err;  // the whole of standard error
  } cases[] = {
      {"-j 3 first.hvt a.hvt sub/a.hvt -o out",
       "halvex2qsx: a.hvt and sub/a.hvt would both be written to @DIR@/out/a.qsx; nothing converted\n"},
      {"first.hvt a.hvt --jobs 2 --html sub/a.hvt -o out",
       "halvex2qsx: a.hvt and sub/a.hvt would both be written to @DIR@/out/a.qsx; nothing converted\n"},
      {"-j 0 first.hvt a.hvt", "halvex2qsx: -j/--jobs takes a number of models from 1 up, not '0'\n" + kHint},
      {"-j x first.hvt", "halvex2qsx: -j/--jobs takes a number of models from 1 up, not 'x'\n" + kHint},
      {"-j 99999999999 first.hvt",
       "halvex2qsx: -j/--jobs takes a number of models from 1 up, not '99999999999'\n" + kHint},
      {"--check -j 0 first.qsx", "halvex2qsx: -j/--jobs takes a number of models from 1 up, not '0'\n" + kHint},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    TempDir dir;
    for (const char* name : {"first.hvt", "a.hvt", "sub/a.hvt"}) {
      fs::create_directories(fs::path(dir.File(name)).parent_path());
      fs::copy_file(SourceDir() + "/examples/frame.hvt", dir.File(name));
    }
    WriteFile(dir.File("first.qsx"), "*NODE\n 1, 0, 0, 0\n\n*ENDDATA\n");
    fs::create_directories(dir.File("out"));
    const std::map<std::string, std::string> before = Contents(dir.Path());
    const ToolRun r = RunTool(c.args, dir.Path());
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ(c.err, Replaced(r.err, dir.Path(), "@DIR@"));
    EXPECT_TRUE(before == Contents(dir.Path())) << "a file was written";
  }
}

// --check -j N: each check case's transcript (tests/check_cases, see
// tests/check_test.cpp) in the order of the files, the highest status.
TEST(ToolJobs, CheckGivesWhatOneAfterTheOtherGives) {
  TempDir dir;
  std::string args, out, err;
  int status = 0;
  for (const auto& e : fs::directory_iterator(SourceDir() + "/tests/check_cases")) {
    const std::string name = e.path().filename().string() + ".qsx";
    if (Exists(e.path().string() + "/input.qsx")) fs::copy_file(e.path() / "input.qsx", dir.File(name));
    args += " " + name;
    const std::string expected = Replaced(ReadFile(e.path().string() + "/expected.txt"), "input.qsx", name);
    for (size_t p = 0, end; p < expected.size(); p = end + 1) {
      end = expected.find('\n', p);
      const std::string line = expected.substr(p, end + 1 - p);
      if (line.rfind("exit ", 0) == 0)
        status = std::max(status, std::stoi(line.substr(5)));
      else if (line.rfind("stderr: ", 0) == 0)
        err += line.substr(8);
      else
        out += line;
    }
  }
  ASSERT_NE("", err);
  for (const char* jobs : {"-j 1", "-j 3", "--jobs 2"}) {
    SCOPED_TRACE(jobs);
    const ToolRun r = RunTool(std::string("--check ") + jobs + args, dir.Path());
    EXPECT_EQ(status, r.status);
    EXPECT_TRUE(out == r.out) << FirstDifference(out, r.out);
    EXPECT_EQ(err, r.err);
  }
}

// A model of about 9 MB: `nodes` nodes, nothing else.
std::string NodesModel(int nodes) {
  std::string text = "   -1\n403\n";
  for (int i = 1; i <= nodes; ++i)
    text += std::to_string(i) + ",0,0,0,0,0,0,0,0,0,0," + std::to_string(i % 977) + ",2.5,-3,0\n";
  return text + "   -1\n";
}

// Ctrl+C while models convert two at a time: the process ends as by an
// interrupt, no model after it starts, and no part-written file is left (the
// conversions running are cancelled and their threads joined first).
TEST(ToolJobs, InterruptLeavesNoPartWritten) {
  TempDir dir;
  const std::string model = NodesModel(250000);
  WriteFile(dir.File("ref.hvt"), model);
  ASSERT_EQ(0, RunTool("ref.hvt", dir.Path()).status);
  const std::string reference = ReadFile(dir.File("ref.qsx"));
  constexpr int kModels = 12;
  std::vector<std::string> args = {BinaryDir() + "/halvex2qsx", "-j", "2"};
  for (int i = 0; i < kModels; ++i) {
    WriteFile(dir.File(std::string("m") + std::to_string(i) + ".hvt"), model);
    args.push_back(dir.File(std::string("m") + std::to_string(i) + ".hvt"));
  }
  const auto parts = [&] {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir.Path())) n += e.path().extension() == ".part";
    return n;
  };
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(0, posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ));
  // Interrupted while it writes its first .qsx.
  for (int i = 0; i < 20000 && parts() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_EQ(0, kill(pid, SIGINT));
  int status = 0;
  ASSERT_EQ(pid, waitpid(pid, &status, 0));
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  EXPECT_EQ(0, parts());
  int written = 0;
  for (int i = 0; i < kModels; ++i) {
    const std::string qsx = dir.File(std::string("m") + std::to_string(i) + ".qsx");
    if (!Exists(qsx)) continue;
    ++written;
    EXPECT_TRUE(ReadFile(qsx) == reference) << qsx;
  }
  EXPECT_LT(written, kModels);
}

}  // namespace
