// Data cases, each run through the driver with a scripted dialog; the logs
// must never outlive a conversion.
//
// Golden cases: a folder under tests/cases holding
//   model.hvt        the model (absent: the model file does not exist)
//   expected.qsx     the exact QSX text (absent: no QSX file may be written)
//   expected.stdout  the message window, one entry per line (absent: none)
//   expected.exit    the command line's exit status (absent: 0)
//
// Model cases: small models with the part of the output they must give, many
// to a file under tests/model_cases:
//   === name of the case
//   model text, line for line (lines outside blocks are allowed)
//   --- qsx *KEYWORD *OTHER   the lines of these sections, comment lines left
//                             out; with no keyword the whole text without
//                             comment lines
//   expected lines
//   --- no qsx                no QSX file may be written
//   --- window                the message window, one entry per line
//   expected lines
// Without a "--- window" part the message window must stay empty. Lines
// before the first "===" are remarks.
//
// In expected windows @MODEL@ stands for the model path.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

#include "tests/testutil.h"

using namespace hvx;

namespace fs = std::filesystem;
using namespace hvxtest;

namespace {

struct DataCase {
  std::string name;
  std::string model;
  bool modelExists = true;
  bool golden = false;           // whole text, comments included, and the exit status
  bool qsxChecked = false, noQsx = false;
  std::set<std::string> keywords;
  std::string qsx, window;
  int exitCode = 0;
};

std::vector<fs::path> Entries(const std::string& folder) {
  std::vector<fs::path> found;
  for (const auto& e : fs::directory_iterator(fs::path(SourceDir()) / "tests" / folder)) found.push_back(e.path());
  std::sort(found.begin(), found.end());
  return found;
}

std::string FileOr(const fs::path& p, const std::string& otherwise) {
  return fs::exists(p) ? ReadFile(p.string()) : otherwise;
}

void AddGoldenCases(std::vector<DataCase>& all) {
  for (const fs::path& dir : Entries("cases")) {
    DataCase c;
    c.name = "golden/" + dir.filename().string();
    c.golden = true;
    c.modelExists = fs::exists(dir / "model.hvt");
    c.model = FileOr(dir / "model.hvt", "");
    c.qsxChecked = fs::exists(dir / "expected.qsx");
    c.noQsx = !c.qsxChecked;
    c.qsx = FileOr(dir / "expected.qsx", "");
    c.window = FileOr(dir / "expected.stdout", "");
    c.exitCode = std::stoi(FileOr(dir / "expected.exit", "0"));
    all.push_back(c);
  }
}

void AddModelCases(std::vector<DataCase>& all) {
  for (const fs::path& f : Entries("model_cases")) {
    if (f.extension() != ".txt") continue;
    std::istringstream in(ReadFile(f.string()));
    std::string line, *into = nullptr;
    while (std::getline(in, line)) {
      if (line.rfind("=== ", 0) == 0) {
        all.push_back(DataCase{});
        all.back().name = f.stem().string() + "/" + line.substr(4);
        into = &all.back().model;
      } else if (!all.empty() && line.rfind("--- ", 0) == 0) {
        DataCase& c = all.back();
        std::istringstream words(line.substr(4));
        std::string what, kw;
        words >> what;
        into = what == "qsx" ? &c.qsx : what == "window" ? &c.window : nullptr;
        c.qsxChecked |= what == "qsx";
        c.noQsx |= what == "no";
        while (what == "qsx" && words >> kw) c.keywords.insert(kw);
      } else if (into) {
        *into += line + "\n";
      }
    }
  }
}

const std::vector<DataCase>& Cases() {
  static const std::vector<DataCase> cases = [] {
    std::vector<DataCase> all;
    AddGoldenCases(all);
    AddModelCases(all);
    return all;
  }();
  return cases;
}

class DataCases : public ::testing::TestWithParam<size_t> {};

TEST_P(DataCases, GiveTheirOutput) {
  const DataCase& c = Cases()[GetParam()];
  const Conversion r = ConvertText(c.model, c.modelExists);
  if (c.noQsx) {
    EXPECT_FALSE(r.qsxWritten) << "model.qsx written but none expected";
  }
  if (c.qsxChecked) {
    ASSERT_TRUE(r.qsxWritten) << "no model.qsx written";
    std::string actual = c.golden ? r.qsx : WithoutComments(r.qsx);
    if (!c.keywords.empty()) actual = KeepSections(actual, c.keywords);
    EXPECT_EQ(c.qsx, actual) << FirstDifference(c.qsx, actual);
  }
  std::string window = c.window;
  for (size_t p = window.find("@MODEL@"); p != std::string::npos; p = window.find("@MODEL@", p))
    window.replace(p, 7, r.modelPath);
  EXPECT_EQ(window, r.window) << FirstDifference(window, r.window);
  // The command line's status: 2 cancelled, 3 nothing converted.
  const int exitCode = r.rc == -1 ? 2 : (r.rc == 0 && r.outputPath.empty()) ? 3 : 0;
  if (c.golden) {
    EXPECT_EQ(c.exitCode, exitCode);
  }
  EXPECT_FALSE(r.logsLeft);

  // The conversion API gives the same file, the same lines and the command
  // line's status, and leaves nothing else in the folder.
  const Conversion h = ConvertHeadless(c.model, c.modelExists);
  EXPECT_EQ(exitCode, h.rc);
  EXPECT_EQ(r.qsxWritten, h.qsxWritten);
  EXPECT_TRUE(r.qsx == h.qsx) << FirstDifference(r.qsx, h.qsx);
  std::string headlessWindow = c.window;
  for (size_t p = headlessWindow.find("@MODEL@"); p != std::string::npos; p = headlessWindow.find("@MODEL@", p))
    headlessWindow.replace(p, 7, h.modelPath);
  EXPECT_EQ(headlessWindow, h.window) << FirstDifference(headlessWindow, h.window);
  EXPECT_EQ(std::vector<std::string>(), h.otherFiles);
}

// On four threads, with the model split into batches of a line or two and
// the sections into pieces of a line, a conversion gives the same file, the
// same lines and the same report as on one.
TEST_P(DataCases, GiveTheSameOnFourThreads) {
  const DataCase& c = Cases()[GetParam()];
  const Conversion one = ConvertThreaded(c.model, c.modelExists, 1, CParallelism());
  const Conversion four = ConvertThreaded(c.model, c.modelExists, 4, FineCut());
  EXPECT_EQ(one.rc, four.rc);
  EXPECT_EQ(one.qsxWritten, four.qsxWritten);
  EXPECT_TRUE(one.qsx == four.qsx) << FirstDifference(one.qsx, four.qsx);
  // The lines and the report name the model, whose folder differs.
  auto unnamed = [](std::string text, const Conversion& x) {
    for (size_t p = text.find(x.modelPath); p != std::string::npos; p = text.find(x.modelPath, p))
      text.replace(p, x.modelPath.size(), "@MODEL@");
    return text;
  };
  for (const auto& [a, b] : {std::pair(unnamed(one.window, one), unnamed(four.window, four)),
                             std::pair(unnamed(one.reportText, one), unnamed(four.reportText, four)),
                             std::pair(unnamed(one.reportJson, one), unnamed(four.reportJson, four))})
    EXPECT_EQ(a, b) << FirstDifference(a, b);
  EXPECT_EQ(one.boxes.size(), four.boxes.size());
}

INSTANTIATE_TEST_SUITE_P(Data, DataCases, ::testing::Range<size_t>(0, Cases().size()),
                         [](const ::testing::TestParamInfo<size_t>& i) {
                           std::string n = Cases()[i.param].name;
                           for (char& ch : n)
                             if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

}  // namespace
