// Golden cases: every folder under tests/cases holds a model file and the
// exact output it must give. A folder may hold:
//   model.hvt        the model (absent: the model file does not exist)
//   expected.qsx     the exact QSX text (absent: no QSX file may be written)
//   expected.stdout  the message window, one entry per line; @MODEL@ stands
//                    for the model path (absent: no window)
//   expected.exit    the command line's exit status (absent: 0)
// Each case runs in-process through the driver with a scripted dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "host/driver.h"
#include "tests/testutil.h"

namespace fs = std::filesystem;
using namespace hvxtest;

namespace {

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  const fs::path root = fs::path(SourceDir()) / "tests" / "cases";
  if (!fs::exists(root)) return names;
  for (const auto& e : fs::directory_iterator(root))
    if (e.is_directory()) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  for (size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size())) s.replace(p, from.size(), to);
  return s;
}

class GoldenCase : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenCase, ConvertsExactly) {
  const fs::path dir = fs::path(SourceDir()) / "tests" / "cases" / GetParam();
  TempDir work;
  const std::string model = work.File("model.hvt");
  if (fs::exists(dir / "model.hvt")) fs::copy_file(dir / "model.hvt", model);

  hvx::CScriptedPlatform p;
  p.answers.push_back({true, model, ""});
  std::string outputPath, resultPath;
  const int rc = hvx::RunConversion(p, outputPath, resultPath);
  const int exitCode = rc == -1 ? 2 : (rc == 0 && outputPath.empty()) ? 3 : 0;

  const std::string qsxPath = work.File("model.qsx");
  if (fs::exists(dir / "expected.qsx")) {
    ASSERT_TRUE(Exists(qsxPath)) << "no model.qsx written";
    const std::string expected = ReadFile((dir / "expected.qsx").string());
    const std::string actual = ReadFile(qsxPath);
    EXPECT_EQ(expected, actual) << FirstDifference(expected, actual);
  } else {
    EXPECT_FALSE(Exists(qsxPath)) << "model.qsx written but none expected";
  }

  std::string window;
  for (const auto& w : p.windows)
    for (const auto& l : w) window += l + "\n";
  std::string expectedWindow;
  if (fs::exists(dir / "expected.stdout"))
    expectedWindow = Replace(ReadFile((dir / "expected.stdout").string()), "@MODEL@", model);
  EXPECT_EQ(expectedWindow, window) << FirstDifference(expectedWindow, window);

  int expectedExit = 0;
  if (fs::exists(dir / "expected.exit")) expectedExit = std::stoi(ReadFile((dir / "expected.exit").string()));
  EXPECT_EQ(expectedExit, exitCode);

  // The logs never outlive a conversion.
  EXPECT_FALSE(Exists(work.File("ReadErr.msg")));
  EXPECT_FALSE(Exists(work.File("halvexcvt.msg")));
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenCase, ::testing::ValuesIn(CaseNames()),
                         [](const ::testing::TestParamInfo<std::string>& i) {
                           std::string n = i.param;
                           for (char& c : n)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoldenCase);

}  // namespace
