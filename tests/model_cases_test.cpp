// Model cases: small models with the part of the output they must give, many
// to a file under tests/model_cases. A file holds cases of this form:
//
//   === name of the case
//   model text, line for line (lines outside blocks are allowed)
//   --- qsx *KEYWORD *OTHER   the lines of these sections, comment lines left
//                             out; with no keyword the whole text without
//                             comment lines
//   expected lines
//   --- no qsx                no QSX file may be written
//   --- window                the message window, one entry per line;
//                             @MODEL@ stands for the model path
//   expected lines
//
// Without a "--- window" part the message window must stay empty. Lines
// before the first "===" are remarks. Each case runs through the driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

#include "tests/testutil.h"

namespace fs = std::filesystem;
using namespace hvxtest;

namespace {

struct ModelCase {
  std::string name;
  std::string model;
  bool qsxChecked = false, noQsx = false;
  std::set<std::string> keywords;
  std::string qsx, window;
};

std::vector<ModelCase> LoadCases() {
  std::vector<ModelCase> all;
  const fs::path root = fs::path(SourceDir()) / "tests" / "model_cases";
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(root))
    if (e.path().extension() == ".txt") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const auto& f : files) {
    std::istringstream in(ReadFile(f.string()));
    std::string line, *into = nullptr;
    while (std::getline(in, line)) {
      if (line.rfind("=== ", 0) == 0) {
        all.push_back({f.stem().string() + "/" + line.substr(4), "", false, false, {}, "", ""});
        into = &all.back().model;
      } else if (!all.empty() && line.rfind("--- ", 0) == 0) {
        ModelCase& c = all.back();
        std::istringstream words(line.substr(4));
        std::string what, kw;
        words >> what;
        if (what == "qsx") {
          c.qsxChecked = true;
          while (words >> kw) c.keywords.insert(kw);
          into = &c.qsx;
        } else if (what == "no") {
          c.noQsx = true;
          into = nullptr;
        } else {
          into = &c.window;
        }
      } else if (into) {
        *into += line + "\n";
      }
    }
  }
  return all;
}

const std::vector<ModelCase>& Cases() {
  static const std::vector<ModelCase> cases = LoadCases();
  return cases;
}

class ModelCases : public ::testing::TestWithParam<size_t> {};

TEST_P(ModelCases, GiveTheirOutput) {
  const ModelCase& c = Cases()[GetParam()];
  const Conversion r = Convert(c.model);
  if (c.noQsx) {
    EXPECT_FALSE(r.qsxWritten);
  }
  if (c.qsxChecked) {
    ASSERT_TRUE(r.qsxWritten);
    std::string actual = WithoutComments(r.qsx);
    if (!c.keywords.empty()) actual = KeepSections(actual, c.keywords);
    EXPECT_EQ(c.qsx, actual) << FirstDifference(c.qsx, actual);
  }
  std::string window = c.window;
  for (size_t p = window.find("@MODEL@"); p != std::string::npos; p = window.find("@MODEL@", p))
    window.replace(p, 7, r.modelPath);
  EXPECT_EQ(window, r.window) << FirstDifference(window, r.window);
}

INSTANTIATE_TEST_SUITE_P(Files, ModelCases, ::testing::Range<size_t>(0, Cases().size()),
                         [](const ::testing::TestParamInfo<size_t>& i) {
                           std::string n = Cases()[i.param].name;
                           for (char& ch : n)
                             if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ModelCases);

}  // namespace
