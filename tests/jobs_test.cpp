// -j/--jobs: a batch converted several models at a time gives the same
// files, standard output, standard error and exit status as one model after
// the other; files two models would both write are refused before anything
// runs (tables/cli.txt); Ctrl+C cancels and leaves no part written (the runner itself:
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

// A batch: every golden case's model as CASE.hvt (missing-model-file is not
// there: the most severe status, 3), the example with problems (a summary
// line), a folder named as a model (a failed conversion) and two models of
// one name in different folders. Returns the arguments naming them, in
// order, and the message window the golden cases say they give.
std::string MakeBatch(const TempDir& dir, std::string& window) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(SourceDir() + "/tests/cases")) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  std::string args;
  for (const std::string& n : names) {
    const std::string from = SourceDir() + "/tests/cases/" + n + "/";
    if (Exists(from + "model.hvt")) fs::copy_file(from + "model.hvt", dir.File(n + ".hvt"));
    if (Exists(from + "expected.stdout"))
      window += Replaced(ReadFile(from + "expected.stdout"), "@MODEL@", "@DIR@/" + n + ".hvt");
    args += " " + n + ".hvt";
  }
  fs::copy_file(SourceDir() + "/examples/frame-with-problems.hvt", dir.File("problems.hvt"));
  for (const char* folder : {"folder.hvt", "sub"}) fs::create_directories(dir.File(folder));
  fs::copy_file(SourceDir() + "/examples/frame.hvt", dir.File("sub/problems.hvt"));
  return args + " problems.hvt folder.hvt sub/problems.hvt";
}

TEST(ToolJobs, BatchGivesWhatOneAfterTheOtherGives) {
  const std::string kProblems =
      "halvex2qsx: problems.hvt: not converted: 2 elements, 1 material, 3 static loads; 1 unknown block; "
      "7 lines outside blocks; reading stopped at line 1151; 2 dangling references (see --report)\n";
  for (const std::string options : {"", " --strict --report --report-json r.json"}) {
    std::optional<ToolRun> first;
    std::map<std::string, std::string> firstFiles;
    for (const char* jobs : {"", "-j 1", "-j 3", "--jobs 3 --threads 2", "-j2"}) {
      SCOPED_TRACE(std::string(jobs) + options);
      TempDir dir;
      std::string window;
      const std::string args = MakeBatch(dir, window);
      ToolRun r = RunTool(jobs + options + args, dir.Path());
      r.out = Replaced(r.out, dir.Path(), "@DIR@");
      r.err = Replaced(r.err, dir.Path(), "@DIR@");
      const std::map<std::string, std::string> files = Contents(dir.Path());
      if (!first) {
        // One after the other: the golden cases' windows in order, the lines
        // of what was lost, a missing model the most severe status.
        EXPECT_EQ(3, r.status) << r.err;
        EXPECT_EQ(0u, r.out.find(window)) << FirstDifference(window, r.out);
        EXPECT_NE(std::string::npos, r.err.find(options.empty() ? kProblems : "problems.hvt (exit status 5)")) << r.err;
        EXPECT_NE(std::string::npos, r.err.find("model file not found: @DIR@/missing-model-file.hvt")) << r.err;
        EXPECT_EQ(1u, files.count("sub/problems.qsx"));
        first = r;
        firstFiles = files;
        continue;
      }
      // Byte for byte what one after the other gave.
      EXPECT_EQ(first->status, r.status);
      EXPECT_TRUE(first->out == r.out) << FirstDifference(first->out, r.out);
      EXPECT_TRUE(first->err == r.err) << FirstDifference(first->err, r.err);
      EXPECT_TRUE(firstFiles == files) << "the files written differ";
    }
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
  const auto m = [&](int i, const char* ext) { return dir.File(std::string("m") + std::to_string(i) + ext); };
  std::vector<std::string> args = {BinaryDir() + "/halvex2qsx", "-j", "2"};
  for (int i = 0; i < kModels; ++i) WriteFile(args.emplace_back(m(i, ".hvt")), model);
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
    const std::string qsx = m(i, ".qsx");
    if (!Exists(qsx)) continue;
    ++written;
    EXPECT_TRUE(ReadFile(qsx) == reference) << qsx;
  }
  EXPECT_LT(written, kModels);
}

}  // namespace
