// Data cases, each converted through the conversion request (the front ends
// pass one or two of them through: driver_test.cpp, cli_test.cpp and the
// golden runners); nothing but the .qsx may be left beside the model.
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
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "base/piece_numbers.h"
#include "check/qsxcheck.h"
#include "api/conversion.h"
#include "api/report_output.h"
#include "platform/stdio_env.h"
#include "reader/import.h"
#include "writer/writer.h"
#include "resources/catalogue.h"
#include "tests/recorded_numbers.h"
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
  const std::string window = Replaced(c.window, "@MODEL@", r.modelPath);
  EXPECT_EQ(window, r.window) << FirstDifference(window, r.window);
  // The status is the command line's exit status.
  if (c.golden) {
    EXPECT_EQ(c.exitCode, r.rc);
  }
  EXPECT_EQ(std::vector<std::string>(), r.otherFiles);
}

// On four threads, with the model split into batches of a line or two and
// the sections into pieces of a line, a conversion gives the same file, the
// same lines and the same report as on one.
TEST_P(DataCases, GiveTheSameOnFourThreads) {
  const DataCase& c = Cases()[GetParam()];
  const Conversion plain = ConvertText(c.model, c.modelExists);
  const Conversion one = ConvertThreaded(c.model, c.modelExists, 1, CParallelism());
  const Conversion four = ConvertThreaded(c.model, c.modelExists, 4, FineCut());
  // The lines and the report name the model and its .qsx, whose folder
  // differs.
  auto unnamed = [](const std::string& text, const Conversion& x) {
    return Replaced(text, x.modelPath.substr(0, x.modelPath.rfind('/') + 1), "@DIR@/");
  };
  // The report and the page change nothing else.
  EXPECT_EQ(plain.rc, one.rc);
  EXPECT_TRUE(plain.qsx == one.qsx) << FirstDifference(plain.qsx, one.qsx);
  EXPECT_EQ(unnamed(plain.window, plain), unnamed(one.window, one));
  EXPECT_EQ(one.rc, four.rc);
  EXPECT_EQ(one.qsxWritten, four.qsxWritten);
  EXPECT_TRUE(one.qsx == four.qsx) << FirstDifference(one.qsx, four.qsx);
  for (const auto& [a, b] : {std::pair(unnamed(one.window, one), unnamed(four.window, four)),
                             std::pair(unnamed(one.reportText, one), unnamed(four.reportText, four)),
                             std::pair(unnamed(one.reportJson, one), unnamed(four.reportJson, four))})
    EXPECT_EQ(a, b) << FirstDifference(a, b);
  EXPECT_EQ(one.boxes.size(), four.boxes.size());

  // Counted alone (the summary without a report), the dangling references
  // are taken from the numbers the writer records of its lines where it
  // can, and come to what the check of the whole text finds.
  const Conversion counted = ConvertThreaded(c.model, c.modelExists, 4, FineCut(), true);
  EXPECT_TRUE(one.qsx == counted.qsx) << FirstDifference(one.qsx, counted.qsx);
  EXPECT_EQ(one.dangling, counted.dangling);
  EXPECT_EQ(one.rc, counted.rc);
}

// ---- the report against the message window and the written file --------------

// The catalogue's English text of id (without its line end) as a line of the
// message window: true when line is it, with the number its "%d" stands for.
bool IsMessage(const std::string& line, const char* id, long long* number = nullptr) {
  std::string text = hvx::Messages()[hvx::FindMessage(id)].text[hvx::kEnglish];
  if (!text.empty() && text.back() == '\n') text.pop_back();
  const size_t d = text.find("%d");
  if (d == std::string::npos) return line == text;
  const std::string head = text.substr(0, d), tail = text.substr(d + 2);
  if (line.size() <= head.size() + tail.size() || line.compare(0, head.size(), head) != 0 ||
      line.compare(line.size() - tail.size(), tail.size(), tail) != 0)
    return false;
  const std::string digits = line.substr(head.size(), line.size() - head.size() - tail.size());
  if (digits.find_first_not_of("-0123456789") != std::string::npos) return false;
  if (number) *number = std::stoll(digits);
  return true;
}

const CConversionReport::CKind& KindOf(const CConversionReport& f, const std::string& key) {
  for (int k = 0; k < static_cast<int>(EKind::kCount); ++k)
    if (key == KindKey(static_cast<EKind>(k))) return f.Kind(static_cast<EKind>(k));
  throw std::runtime_error("no kind " + key);
}

// The entries of a kind under these reasons, not converted or partly: their
// total count and their numbers.
int64_t Entries(const CConversionReport::CKind& kind, const std::vector<std::string>& reasons,
                std::set<long long>* numbers = nullptr) {
  int64_t n = 0;
  for (const auto* list : {&kind.notConverted, &kind.partlyConverted})
    for (const auto& r : *list)
      if (std::find(reasons.begin(), reasons.end(), r.text) != reasons.end()) {
        n += r.count;
        if (numbers) numbers->insert(r.numbers.begin(), r.numbers.end());
      }
  return n;
}

// Message-window lines that say something was skipped, and the report's
// entries that account for them: exactly as many, or (equations) at least as
// many; a line naming an entity by number has its number among theirs.
struct SkipLine {
  const char* id;
  const char* kind;
  std::vector<std::string> reasons;
  enum { kSame, kAtLeast, kByNumber } relation;
};
const SkipLine kSkipLines[] = {
    {"IDS_HALVEX_Cannot_assign_distload_to_truss", "static_loads", {"beam load on a truss"}, SkipLine::kSame},
    {"IDS_HALVEX_Cannot_assign_prestress_load_to_truss", "static_loads", {"prestress on a truss"}, SkipLine::kSame},
    // One line per equation of the rigid-link set that is not a rigid link:
    // written in *HVX-CONSTRAINT (partly converted) unless it has no terms.
    {"IDS_HALVEX_Cannot_read_mutipoint_constraint", "constraint_equations",
     {"equation of other than two terms left out of *RIGIDLINK", "equation without terms"}, SkipLine::kAtLeast},
    {"IDS_HALVEX_Igrnore_SKCV_in_current_version", "hinge_properties",
     {"component curves of unsupported types written as NO", "all six component curves of unsupported types"},
     SkipLine::kByNumber},
};
// Lines that say nothing was skipped (reading stopped is read_stopped_at_line).
const char* const kOtherLines[] = {"IDS_HALVEX_Because_of_upper_version_file",
                                   "IDS_HALVEX_Chage_leylagh_damp_to_energy_in_mode"};

// How many records of a kind the data lines of a section hold: by the lines
// that begin one; none when the file does not name them (a property whose
// values a spring line carries, a function a case uses, a spectrum load set
// that may have no line or several).
using Counter = std::function<int64_t(const Lines&)>;
Counter LinesWhere(std::function<bool(const std::string&)> starts) {
  return [starts](const Lines& lines) { return std::count_if(lines.begin(), lines.end(), starts); };
}
const Counter kEveryLine = [](const Lines& lines) { return static_cast<int64_t>(lines.size()); };
Counter Prefix(const char* p) {
  return LinesWhere([p](const std::string& l) { return l.rfind(p, 0) == 0; });
}
// Link properties: six freedom parts each ("YES|NO, stiffness, damping,
// YES|NO"), which a force type without data of its own writes on one line
// with the next property's first line.
int64_t LinkProperties(const Lines& lines) {
  static const std::regex part("(^| )(YES|NO), [-+.0-9eE]+, [-+.0-9eE]+, (YES|NO)(?=[ ,]|$)");
  int64_t parts = 0;
  for (const std::string& l : lines)
    parts += std::distance(std::sregex_iterator(l.begin(), l.end(), part), std::sregex_iterator());
  EXPECT_EQ(0, parts % 6) << "freedom parts of *NL-PROP";
  return parts / 6;
}
const std::map<std::pair<std::string, std::string>, Counter>& RecordRules() {
  static const std::map<std::pair<std::string, std::string>, Counter> rules = {
      {{"nodes", "*NODE"}, kEveryLine},
      {{"elements", "*ELEMENT"}, kEveryLine},
      {{"elements", "*NL-LINK"}, kEveryLine},
      {{"elements", "*GSPRING"}, kEveryLine},
      {{"elements", "*NODALMASS"}, kEveryLine},
      {{"elements", "*SPRING"}, kEveryLine},
      {{"elements", "*ELASTICLINK"}, kEveryLine},
      {{"materials", "*MATERIAL"}, kEveryLine},
      // A section's first line: two blanks and its number (more blanks go on).
      {{"properties", "*SECTION"}, LinesWhere([](const std::string& l) {
         return l.size() > 2 && l.compare(0, 2, "  ") == 0 && (isdigit(static_cast<unsigned char>(l[2])) || l[2] == '-');
       })},
      {{"properties", "*THICKNESS"}, kEveryLine},
      {{"properties", "*NL-PROP"}, LinkProperties},
      {{"properties", "*HVX-NL-PROP"}, kEveryLine},
      {{"properties", "*GSPRTYPE"}, kEveryLine},
      {{"properties", "*NODALMASS"}, nullptr},
      {{"properties", "*SPRING"}, nullptr},
      {{"properties", "*ELASTICLINK"}, nullptr},
      {{"constraint_equations", "*RIGIDLINK"}, kEveryLine},
      {{"constraint_equations", "*HVX-CONSTRAINT"}, Prefix("MPC")},
      {{"load_sets", "*STLDCASE"}, kEveryLine},
      {{"load_sets", "*EIGEN-CTRL"}, Prefix("EIGEN,")},
      {{"load_sets", "*SPLDCASE"}, nullptr},
      // A case's name line; the initial-load case a sequence adds is no load set.
      {{"load_sets", "*THLDCASE"}, LinesWhere([](const std::string& l) {
         return l.rfind("NAME=", 0) == 0 && l.find("_Init, ") == std::string::npos;
       })},
      {{"static_loads", "*CONLOAD"}, kEveryLine},
      {{"static_loads", "*PRESSURE"}, kEveryLine},
      {{"static_loads", "*PRESTRESS"}, kEveryLine},
      {{"static_loads", "*BEAMLOAD"}, kEveryLine},
      {{"static_loads", "*BSTEMPER"}, LinesWhere([](const std::string& l) { return l.rfind(" INPUT,", 0) != 0; })},
      {{"static_loads", "*ELTEMPER"}, kEveryLine},
      {{"static_loads", "*SPDISP"}, kEveryLine},
      {{"groups", "*GROUP"}, kEveryLine},
      {{"functions", "*SFUNCTION"}, Prefix("FUNC=")},
      // The ramps of initial and nonlinear static loads are the writer's own.
      {{"functions", "*TFUNCTION"}, LinesWhere([](const std::string& l) {
         return l.rfind("FUNC=", 0) == 0 && l.rfind("FUNC=InitialLoad", 0) != 0;
       })},
      {{"functions", "*THLDCASE"}, nullptr},
      {{"functions", "*SPLDCASE"}, nullptr},
      {{"hinge_properties", "*IHINGE-PROP"}, Prefix("  IHPR")},
  };
  return rules;
}

// Data lines of each section keyword of a QSX text, sections of one keyword
// taken together.
std::map<std::string, std::vector<std::string>> DataLines(const std::string& qsx) {
  std::map<std::string, std::vector<std::string>> lines;
  std::istringstream in(qsx);
  std::string line, keyword;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '*') {
      keyword = line.substr(0, line.find_first_of(" ,;"));
      continue;
    }
    if (!line.empty() && line[0] != ';' && !keyword.empty()) lines[keyword].push_back(line);
  }
  return lines;
}

class ReportInvariants : public ::testing::TestWithParam<size_t> {};

TEST_P(ReportInvariants, AccountForTheWindowAndTheFile) {
  const DataCase& c = Cases()[GetParam()];
  TempDir dir;
  const std::string model = dir.File("model.hvt");
  if (c.modelExists) WriteFile(model, c.model);
  CConvertOptions options;
  options.report = true;
  const CConvertResult r = Convert(model, options);
  if (!r.report) return;  // no model, nothing to account for
  const CConversionReport& f = r.report->facts;

  // Every line saying something was skipped has its entries.
  std::map<const SkipLine*, int64_t> seen;
  std::map<const SkipLine*, std::set<long long>> named;
  for (size_t i = 1; i + 2 < r.messages.size(); ++i) {
    const std::string& line = r.messages[i];
    long long n = 0;
    const SkipLine* skip = nullptr;
    for (const SkipLine& k : kSkipLines)
      if (IsMessage(line, k.id, &n)) skip = &k;
    if (skip) {
      ++seen[skip];
      named[skip].insert(n);
    } else if (IsMessage(line, "IDS_HALVEX_Invalid_format_in_line_d__", &n)) {
      EXPECT_EQ(n, f.readStoppedAtLine) << line;
    } else {
      EXPECT_TRUE(std::any_of(std::begin(kOtherLines), std::end(kOtherLines),
                              [&](const char* id) { return IsMessage(line, id); }))
          << "a message-window line no table here knows: " << line;
    }
  }
  for (const SkipLine& k : kSkipLines) {
    SCOPED_TRACE(k.id);
    std::set<long long> numbers;
    const int64_t entries = Entries(KindOf(f, k.kind), k.reasons, &numbers);
    switch (k.relation) {
      case SkipLine::kSame:
        EXPECT_EQ(seen[&k], entries);
        break;
      case SkipLine::kAtLeast:
        EXPECT_LE(seen[&k], entries);
        EXPECT_GE(seen[&k], Entries(KindOf(f, k.kind), {k.reasons.front()}));
        break;
      case SkipLine::kByNumber:
        EXPECT_EQ(named[&k], numbers);
        break;
    }
  }

  // Each kind's count per section is what the file holds.
  if (r.outputPath.empty()) return;
  const auto data = DataLines(ReadFile(r.outputPath));
  std::map<std::pair<std::string, std::string>, int64_t> reported;
  for (int k = 0; k < static_cast<int>(EKind::kCount); ++k)
    for (const auto& sc : f.Kind(static_cast<EKind>(k)).sections) {
      const std::pair<std::string, std::string> key{KindKey(static_cast<EKind>(k)), sc.section};
      EXPECT_TRUE(RecordRules().count(key)) << "no rule for " << key.first << " in " << key.second;
      reported[key] = sc.count;
    }
  for (const auto& [key, count] : RecordRules()) {
    if (!count) continue;
    const auto it = data.find(key.second);
    EXPECT_EQ(it == data.end() ? 0 : count(it->second), reported[key]) << key.first << " in " << key.second;
  }
}

// A file that keeps the pieces the writer hands it with the numbers of their
// lines.
class CRecordingFile : public COutFile {
 public:
  struct CPiece {
    std::string text;
    CPieceNumbers numbers;
  };
  explicit CRecordingFile(std::vector<CPiece>& pieces) : m_pieces(pieces) {}
  void Write(const char*, size_t) override {}
  void Close() override {}
  void Abort() noexcept override {}
  bool WantsNumbers() const override { return true; }
  void WritePiece(std::string& text, CPieceNumbers* numbers) override {
    if (numbers && numbers->Lines() != 0) m_pieces.push_back(CPiece{text, *numbers});
  }

 private:
  std::vector<CPiece>& m_pieces;
};

class CRecordingEnv : public CStdioEnv {
 public:
  std::unique_ptr<COutFile> CreateFile(const std::string& path) override {
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".qsx") == 0)
      return std::make_unique<CRecordingFile>(pieces);
    return CStdioEnv::CreateFile(path);
  }
  std::vector<CRecordingFile::CPiece> pieces;
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
  for (const CRecordingFile::CPiece& p : env.pieces) {
    EXPECT_TRUE(RecordedNumbersMatch(p.text, p.numbers)) << p.text;
    recorded[p.numbers.Shape()] += p.numbers.Lines();
  }
  // Every line of the sections goes with its numbers, but where a section
  // of one item is written straight into the file.
  auto data = DataLines(ConvertCore(c.model));
  for (const auto& [keyword, shape] : {std::pair("*NODE", CPieceNumbers::EShape::kFirstNumbers),
                                       std::pair("*ELEMENT", CPieceNumbers::EShape::kElements)}) {
    EXPECT_LE(recorded[shape], data[keyword].size()) << keyword;
    if (data[keyword].size() > 1) {
      EXPECT_EQ(recorded[shape], data[keyword].size()) << keyword;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Data, ReportInvariants, ::testing::Range<size_t>(0, Cases().size()),
                         [](const ::testing::TestParamInfo<size_t>& i) {
                           return ParamName(Cases()[i.param].name);
                         });

INSTANTIATE_TEST_SUITE_P(Data, DataCases, ::testing::Range<size_t>(0, Cases().size()),
                         [](const ::testing::TestParamInfo<size_t>& i) {
                           return ParamName(Cases()[i.param].name);
                         });

}  // namespace
