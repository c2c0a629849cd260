// Data cases, each converted through the conversion request (the front ends
// pass one or two of them through: driver_test.cpp, cli_test.cpp and the
// golden runners); nothing but the .qsx may be left beside the model. Golden
// cases are the folders of tests/cases, model cases the records of
// tests/model_cases/*.txt; tests/model_cases/README.md tells both formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>

#include "api/conversion.h"
#include "api/report_output.h"
#include "base/piece_numbers.h"
#include "reader/import.h"
#include "resources/catalogue.h"
#include "tests/recorded_numbers.h"
#include "tests/testutil.h"
#include "writer/writer.h"

using namespace hvx;
using namespace hvxtest;
namespace fs = std::filesystem;

namespace {

struct DataCase {
  std::string name, model;
  bool modelExists = true, golden = false;  // golden: whole text, comments included, and the exit status
  bool qsxChecked = false, noQsx = false;
  std::string qsx, window;
  int exitCode = 0;
  std::set<std::string> keywords;
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

const std::vector<DataCase>& Cases() {
  static const std::vector<DataCase> cases = [] {
    std::vector<DataCase> all;
    for (const fs::path& d : Entries("cases")) {
      const bool qsx = fs::exists(d / "expected.qsx");
      all.push_back({"golden/" + d.filename().string(), FileOr(d / "model.hvt", ""), fs::exists(d / "model.hvt"), true,
                     qsx, !qsx, FileOr(d / "expected.qsx", ""), FileOr(d / "expected.stdout", ""),
                     std::stoi(FileOr(d / "expected.exit", "0")), std::set<std::string>()});
    }
    for (const fs::path& f : Entries("model_cases")) {
      if (f.extension() != ".txt") continue;
      std::istringstream in(ReadFile(f.string()));
      std::string line, *into = nullptr;
      while (std::getline(in, line)) {
        if (line.rfind("=== ", 0) == 0) {
          all.emplace_back().name = f.stem().string() + "/" + line.substr(4);
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
    return all;
  }();
  return cases;
}

class DataCases : public ::testing::TestWithParam<size_t> {};

TEST_P(DataCases, GiveTheirOutput) {
  const DataCase& c = Cases()[GetParam()];
  const Conversion r = ConvertText(c.model, c.modelExists);
  EXPECT_FALSE(c.noQsx && r.qsxWritten) << "model.qsx written but none expected";
  if (c.qsxChecked) {
    ASSERT_TRUE(r.qsxWritten) << "no model.qsx written";
    std::string actual = c.golden ? r.qsx : WithoutComments(r.qsx);
    if (!c.keywords.empty()) actual = KeepSections(actual, c.keywords);
    EXPECT_EQ(c.qsx, actual) << FirstDifference(c.qsx, actual);
  }
  const std::string window = Replaced(c.window, "@MODEL@", r.result.modelPath);
  EXPECT_EQ(window, r.window) << FirstDifference(window, r.window);
  // The status is the command line's exit status.
  EXPECT_EQ(c.golden ? c.exitCode : r.result.status, r.result.status);
  EXPECT_EQ(std::vector<std::string>(), r.otherFiles);
}

// On four threads, with the model split into batches of a line or two and
// the sections into pieces of a line, a conversion gives the same file, the
// same lines and the same report as on one.
TEST_P(DataCases, GiveTheSameOnFourThreads) {
  const DataCase& c = Cases()[GetParam()];
  // With the report and the page, or (countOnly) with only the summary's counts.
  const auto threaded = [&](unsigned threads, const CParallelism& cut, bool countOnly = false) {
    CConvertOptions options;
    options.report = options.html = !countOnly;
    options.summary = countOnly;
    options.threads = threads;
    options.cut = &cut;
    return ConvertText(c.model, c.modelExists, options);
  };
  const Conversion plain = ConvertText(c.model, c.modelExists), one = threaded(1, CParallelism()),
                   four = threaded(4, FineCut());
  // The lines and the report name the model and its .qsx, in another folder.
  auto unnamed = [](const std::string& text, const Conversion& x) {
    return Replaced(text, x.result.modelPath.substr(0, x.result.modelPath.rfind('/') + 1), "@DIR@/");
  };
  // The report and the page change nothing else. Counted alone (the summary
  // without a report), the dangling references are taken from the numbers
  // the writer records of its lines where it can, and come to what the check
  // of the whole text finds.
  const Conversion counted = threaded(4, FineCut(), true);
  for (const auto& [a, b] :
       {std::pair(plain.qsx, one.qsx), std::pair(one.qsx, four.qsx), std::pair(one.qsx, counted.qsx),
        std::pair(unnamed(plain.window, plain), unnamed(one.window, one)),
        std::pair(unnamed(one.window, one), unnamed(four.window, four)),
        std::pair(unnamed(one.result.errors, one), unnamed(four.result.errors, four)),
        std::pair(unnamed(one.result.ReportText(), one), unnamed(four.result.ReportText(), four)),
        std::pair(unnamed(one.result.ReportJson(), one), unnamed(four.result.ReportJson(), four))})
    EXPECT_TRUE(a == b) << FirstDifference(a, b);
  EXPECT_EQ(std::tuple(plain.result.status, plain.result.status, plain.result.status, one.qsxWritten,
                       one.result.summary.danglingReferences),
            std::tuple(one.result.status, four.result.status, counted.result.status, four.qsxWritten,
                       counted.result.summary.danglingReferences));
}

// The catalogue's English text of id (without its line end) as a pattern of
// a message-window line, its "%d" caught.
std::regex Message(const std::string& id) {
  std::string text = hvx::Messages()[hvx::FindMessage(id.c_str())].text[hvx::kEnglish];
  if (!text.empty() && text.back() == '\n') text.pop_back();
  text = std::regex_replace(text, std::regex(R"([\\^$.|?*+()\[\]{}])"), "\\$&");
  return std::regex(Replaced(text, "%d", "([-0-9]+)"));
}

// The rules of tests/tables/report_rules.txt, which tells their format.
struct ReportRules {
  struct Skip {
    std::string id, kind, how;
    std::vector<std::string> reasons;
    std::regex line;
  };
  struct Count {
    int per = 0;  // 0: the file does not tell
    std::regex pattern;
  };
  std::vector<Skip> skips;
  std::vector<std::regex> others;
  std::map<std::pair<std::string, std::string>, Count> counts;
};

const ReportRules& Rules() {
  static const ReportRules rules = [] {
    ReportRules r;
    std::istringstream in(ReadFile(SourceDir() + "/tests/tables/report_rules.txt"));
    for (std::string line; std::getline(in, line);) {
      if (line.empty() || line[0] == '#') continue;
      std::istringstream words(line);
      std::string a, b, c, rest;
      words >> a >> b >> c >> std::ws;
      std::getline(words, rest);
      if (a == "other") {
        r.others.push_back(Message(b));
      } else if (a != "skip") {
        r.counts[{a, b}] = c == "-" ? ReportRules::Count{} : ReportRules::Count{std::stoi(c), std::regex(rest)};
      } else {
        r.skips.push_back({b, c, rest.substr(0, rest.find(' ')), {}, Message(b)});
        for (size_t p = r.skips.back().how.size() + 1, e; p <= rest.size(); p = e + 1)
          r.skips.back().reasons.push_back(rest.substr(p, (e = std::min(rest.find('|', p), rest.size())) - p));
      }
    }
    return r;
  }();
  EXPECT_TRUE(rules.skips.size() >= 4 && rules.counts.size() >= 30) << "tests/tables/report_rules.txt";
  return rules;
}

// The entries of a kind under these reasons, not converted or partly: their
// total count and their numbers.
int64_t Entries(const CConversionReport& f, const std::string& key, const std::vector<std::string>& reasons,
                std::set<long long>* numbers = nullptr) {
  int k = 0;
  while (k < static_cast<int>(EKind::kCount) && key != KindKey(static_cast<EKind>(k))) ++k;
  EXPECT_LT(k, static_cast<int>(EKind::kCount)) << "no kind " << key;
  int64_t n = 0;
  for (const auto* list : {&f.Kind(static_cast<EKind>(k)).notConverted, &f.Kind(static_cast<EKind>(k)).partlyConverted})
    for (const auto& r : *list)
      if (std::find(reasons.begin(), reasons.end(), r.text) != reasons.end()) {
        n += r.count;
        if (numbers) numbers->insert(r.numbers.begin(), r.numbers.end());
      }
  return n;
}

// Data lines of each section keyword of a QSX text, sections of one keyword
// taken together.
std::map<std::string, std::vector<std::string>> DataLines(const std::string& qsx) {
  std::map<std::string, std::vector<std::string>> lines;
  std::istringstream in(qsx);
  for (std::string line, keyword; std::getline(in, line);)
    if (!line.empty() && line[0] == '*')
      keyword = line.substr(0, line.find_first_of(" ,;"));
    else if (!line.empty() && line[0] != ';' && !keyword.empty())
      lines[keyword].push_back(line);
  return lines;
}

// The report accounts for the message window and the written file.
TEST_P(DataCases, ReportTheirWindowAndFile) {
  const DataCase& c = Cases()[GetParam()];
  CConvertOptions options;
  options.report = true;
  const Conversion x = ConvertText(c.model, c.modelExists, options);
  const CConvertResult& r = x.result;
  if (!r.report) return;  // no model, nothing to account for
  const CConversionReport& f = r.report->facts;

  // Every line saying something was skipped has its entries.
  const ReportRules& rules = Rules();
  std::map<std::string, int64_t> seen;
  std::map<std::string, std::set<long long>> named;
  const std::regex stopped = Message("IDS_HALVEX_Invalid_format_in_line_d__");
  for (size_t i = 1; i + 2 < r.messages.size(); ++i) {
    const std::string& line = r.messages[i];
    std::smatch m;
    const auto skip = std::find_if(rules.skips.begin(), rules.skips.end(),
                                   [&](const ReportRules::Skip& k) { return std::regex_match(line, m, k.line); });
    if (skip != rules.skips.end()) {
      ++seen[skip->id];
      named[skip->id].insert(m.size() > 1 ? std::stoll(m[1]) : 0);
    } else if (std::regex_match(line, m, stopped)) {
      EXPECT_EQ(std::stoll(m[1]), f.readStoppedAtLine) << line;
    } else {
      EXPECT_TRUE(std::any_of(rules.others.begin(), rules.others.end(),
                              [&](const std::regex& other) { return std::regex_match(line, other); }))
          << "a message-window line no rule knows: " << line;
    }
  }
  for (const ReportRules::Skip& k : rules.skips) {
    SCOPED_TRACE(k.id);
    std::set<long long> numbers;
    const int64_t entries = Entries(f, k.kind, k.reasons, &numbers);
    if (k.how == "same") {
      EXPECT_EQ(seen[k.id], entries);
    } else if (k.how == "atleast") {
      EXPECT_LE(seen[k.id], entries);
      EXPECT_GE(seen[k.id], Entries(f, k.kind, {k.reasons.front()}));
    } else {
      EXPECT_EQ("bynumber", k.how);
      EXPECT_EQ(named[k.id], numbers);
    }
  }

  // Each kind's count per section is what the file holds.
  if (!x.qsxWritten) return;
  const auto data = DataLines(x.qsx);
  std::map<std::pair<std::string, std::string>, int64_t> reported;
  for (int k = 0; k < static_cast<int>(EKind::kCount); ++k)
    for (const auto& sc : f.Kind(static_cast<EKind>(k)).sections) {
      const std::pair<std::string, std::string> key{KindKey(static_cast<EKind>(k)), sc.section};
      EXPECT_TRUE(rules.counts.count(key)) << "no rule for " << key.first << " in " << key.second;
      reported[key] = sc.count;
    }
  for (const auto& [key, rule] : rules.counts) {
    if (!rule.per) continue;
    int64_t matches = 0;
    if (data.count(key.second))
      for (const std::string& l : data.at(key.second))
        matches += std::distance(std::sregex_iterator(l.begin(), l.end(), rule.pattern), std::sregex_iterator());
    EXPECT_EQ(0, matches % rule.per) << key.second;
    EXPECT_EQ(matches / rule.per, reported[key]) << key.first << " in " << key.second;
  }
}

// Keeps the pieces the writer hands the .qsx with the numbers of their lines.
struct CRecordingEnv : CStdioEnv {
  struct CFile : COutFile {
    explicit CFile(std::vector<std::pair<std::string, CPieceNumbers>>& p) : pieces(p) {}
    void Write(const char*, size_t) override {}
    void Close() override {}
    void Abort() noexcept override {}
    bool WantsNumbers() const override { return true; }
    void WritePiece(std::string& text, CPieceNumbers* numbers) override {
      if (numbers && numbers->Lines() != 0) pieces.emplace_back(text, *numbers);
    }
    std::vector<std::pair<std::string, CPieceNumbers>>& pieces;
  };
  std::unique_ptr<COutFile> CreateFile(const std::string& path) override {
    if (path.ends_with(".qsx")) return std::make_unique<CFile>(pieces);
    return CStdioEnv::CreateFile(path);
  }
  std::vector<std::pair<std::string, CPieceNumbers>> pieces;
};

// Pieces of a line or two on four threads: each piece's recorded numbers are
// what the check reads from its text.
TEST_P(DataCases, RecordTheNumbersOfTheirLines) {
  const DataCase& c = Cases()[GetParam()];
  if (!c.modelExists) return;
  CDataPool* pool = nullptr;
  ReadModel(c.model, pool);
  CRecordingEnv env;
  TempDir dir;
  CWriteQsxFromNeutral writer(env);
  CParallelism cut = FineCut();
  cut.threads = 4;
  writer.SetParallelism(cut);
  writer.Write(dir.File("model.hvt"), pool, dir.File("model.qsx"));
  std::map<CPieceNumbers::EShape, size_t> recorded;
  for (const auto& [text, numbers] : env.pieces) {
    EXPECT_TRUE(RecordedNumbersMatch(text, numbers)) << text;
    recorded[numbers.Shape()] += numbers.Lines();
  }
  // Every line of the sections goes with its numbers, but where a section
  // of one item is written straight into the file.
  auto data = DataLines(ConvertCore(c.model));
  for (const auto& [keyword, shape] : {std::pair("*NODE", CPieceNumbers::EShape::kFirstNumbers),
                                       std::pair("*ELEMENT", CPieceNumbers::EShape::kElements)}) {
    EXPECT_LE(recorded[shape], data[keyword].size()) << keyword;
    EXPECT_TRUE(data[keyword].size() <= 1 || recorded[shape] == data[keyword].size()) << keyword;
  }
}

INSTANTIATE_TEST_SUITE_P(Data, DataCases, ::testing::Range<size_t>(0, Cases().size()),
                         [](const ::testing::TestParamInfo<size_t>& i) {
                           std::string name = Cases()[i.param].name;
                           for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           return name;
                         });

}  // namespace
