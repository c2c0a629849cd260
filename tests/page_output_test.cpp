// The model page of a conversion (CConvertOptions::html): the page read back
// as a browser reads it and compared with what the writer wrote into the
// .qsx and what the report says; where the page goes, and what it changes
// (nothing, but a page that cannot be written).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "api/conversion.h"
#include "api/page_output.h"
#include "api/report_output.h"
#include "tests/page/page_decode.h"
#include "tests/testutil.h"

using namespace hvx;
using namespace hvxtest;
namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

std::string NodeLine(int id, double x, double y, double z, const std::string& flags = "0,0,0,0,0,0") {
  std::ostringstream s;
  s << id << ",1,0,0,0," << flags << "," << x << "," << y << "," << z << ",0";
  return s.str();
}

// The eight lines of an element (read mode 1) with nodes 1 to 8 given.
Lines ElementLines(int id, int prop, int type, int topo, const std::vector<int>& nodes, int mat = 1) {
  std::string b;
  for (size_t i = 0; i < 10; ++i) {
    if (i) b += ',';
    b += std::to_string(i < nodes.size() ? nodes[i] : 0);
  }
  const std::string head = std::to_string(id) + ",0," + std::to_string(prop) + "," + std::to_string(type) + "," +
                           std::to_string(topo) + ",0,0,0,0,0,0,0,0";
  return {head, b, "0,0,0,0,0,0,0,0,0,0", "0,0,1", "0,0,0", "0,0,0", "0,0,0,0,0,0,0,0,0,0,0,0",
          std::to_string(mat) + ",0,0,3,0,0,0"};
}

// Property 1: a general spring type (type 81, first flag 1), so that every
// spring section takes its elements.
Lines SpringProperty() {
  Lines l = PropertyLines("1,0,0,81,0,0");
  l[2] = "1,0,0,0";
  return l;
}

// One element of the page, read back: its label, drawing, state, reason and node ids.
struct CShown {
  std::string label, draw, reason;
  int state = -1;
  std::vector<int> nodes;
};

std::map<int, CShown> ShownElements(const CPageData& page) {
  const auto nodeIds = CPageData::Runs(page.Array("node_ids"));
  const auto ids = CPageData::Runs(page.Array("elem_ids"));
  const auto kind = page.Array("elem_kind"), nodes = page.Array("elem_nodes");
  std::map<int, CShown> shown;
  size_t at = 0;
  for (size_t e = 0; e < ids.size(); ++e) {
    const Json& k = page.meta["kinds"][static_cast<size_t>(kind[e])];
    CShown s;
    s.label = page.meta["types"][k[0].get<size_t>()]["label"];
    s.draw = page.meta["types"][k[0].get<size_t>()]["draw"];
    s.state = k[2];
    if (k[3].get<int>() >= 0) s.reason = page.meta["reasons"][k[3].get<size_t>()];
    for (int i = 0; i < k[1].get<int>(); ++i, ++at) {
      const size_t n = static_cast<size_t>(nodes[at]);
      s.nodes.push_back(n < nodeIds.size() ? static_cast<int>(nodeIds[n]) : -1);
    }
    shown[static_cast<int>(ids[e])] = s;
  }
  return shown;
}

// The data lines of a section, split into fields.
std::vector<std::vector<std::string>> Rows(const std::string& qsx, const std::string& cmd) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(WithoutComments(SectionOf(qsx, cmd)));
  std::string line;
  std::getline(in, line);  // the command line
  while (std::getline(in, line) && !line.empty()) {
    std::vector<std::string> fields;
    std::istringstream f(line);
    for (std::string field; std::getline(f, field, ',');) {
      const size_t a = field.find_first_not_of(' '), b = field.find_last_not_of(' ');
      fields.push_back(a == std::string::npos ? "" : field.substr(a, b - a + 1));
    }
    rows.push_back(fields);
  }
  return rows;
}

struct CPaged {
  CConvertResult result;
  std::string qsx;
  CPageData page;
};

CPaged ConvertPaged(const TempDir& dir, const std::string& model, bool report = true) {
  WriteFile(dir.File("m.hvt"), model);
  CConvertOptions options;
  options.report = report;
  options.html = true;
  CConvertResult r = Convert(dir.File("m.hvt"), options);
  EXPECT_EQ(dir.File("m.html"), r.pagePath) << r.errors;
  return {r, ReadFile(dir.File("m.qsx")), CPageData(ReadFile(dir.File("m.html")))};
}

// Every pair of element type and topology code the sections tell apart, in
// one model: the page shows each element as the section that wrote it (its
// keyword, its nodes in order) and an element no section wrote as not
// converted, with the report's reason.
TEST(ModelPage, ElementsAsTheSectionsWroteThem) {
  const int types[] = {1, 2, 3, 4, 5, 7, 11, 14, 15, 18, 19, 20, 25, 26, 27, 41, 81, 82};
  Lines nodes, elements;
  for (int type : types)
    for (int topo = 0; topo <= 13; ++topo) {
      const int id = 100 * type + topo, base = 10 * id;
      std::vector<int> own;
      for (int k = 1; k <= 8; ++k) {
        own.push_back(base + k);
        nodes.push_back(NodeLine(base + k, k % 2, k / 2 % 2, k / 4 + 0.001 * id));
      }
      const Lines e = ElementLines(id, 1, type, topo, own);
      elements.insert(elements.end(), e.begin(), e.end());
    }
  const std::string model = Block(402, SpringProperty()) + Block(601, MaterialLines("1,0,0,0,0,0,0")) +
                            Block(403, nodes) + Block(404, elements);
  TempDir dir;
  const CPaged c = ConvertPaged(dir, model);
  ASSERT_EQ(kStatusDone, c.result.status) << c.result.errors;
  const std::map<int, CShown> shown = ShownElements(c.page);
  ASSERT_EQ(shown.size(), std::size(types) * 14);

  // What the sections wrote: element lines by number, point lines by node.
  std::map<int, std::pair<std::string, std::vector<int>>> lines;  // id -> (section or keyword, nodes)
  for (const auto& row : Rows(c.qsx, "*ELEMENT")) {
    std::vector<int> n;
    for (size_t i = 4; i < row.size() && row[i] != "REF"; ++i)
      if (const int v = std::stoi(row[i]); v > 1000) n.push_back(v);  // node fields, not iSUB or 0
    lines[std::stoi(row[0])] = {row[1], n};
  }
  for (const char* section : {"*NL-LINK", "*ELASTICLINK"})
    for (const auto& row : Rows(c.qsx, section))
      lines[std::stoi(row[0])] = {section, {std::stoi(row[1]), std::stoi(row[2])}};
  std::map<int, std::string> pointSection;  // node -> section
  for (const char* section : {"*SPRING", "*GSPRING", "*NODALMASS"})
    for (const auto& row : Rows(c.qsx, section)) pointSection[std::stoi(row[0])] = section;
  // Lines of element sections the check named (property 1 is no section or
  // link property, so the frame, plate and link lines refer to what the file
  // does not define): their elements are marked.
  std::vector<std::string> qsxLines;
  std::istringstream in(c.qsx);
  for (std::string line; std::getline(in, line);) qsxLines.push_back(line);
  std::set<int> dangling;
  for (const CDangling& d : c.result.report->dangling)
    if (d.section == "*ELEMENT" || d.section == "*NL-LINK" || d.section == "*ELASTICLINK")
      dangling.insert(std::stoi(qsxLines.at(static_cast<size_t>(d.line - 1))));
  EXPECT_EQ(4u + 6u * 4u + 14u, dangling.size());  // trusses and beams, planar types on 4 topologies, links
  std::map<int, std::string> reasonOf;
  for (const auto& r : c.result.report->facts.Kind(EKind::kElements).notConverted)
    for (int32_t id : r.numbers) reasonOf[id] = r.text;

  const std::map<std::string, std::string> pointLabels = {
      {"SPRING", "*SPRING"}, {"GSPRING", "*GSPRING"}, {"MASS", "*NODALMASS"}};
  size_t written = 0;
  for (const auto& [id, s] : shown) {
    SCOPED_TRACE("element type " + std::to_string(id / 100) + ", topology " + std::to_string(id % 100));
    const int first = 10 * id + 1;
    if (auto it = pointLabels.find(s.label); it != pointLabels.end()) {
      EXPECT_EQ(it->second, pointSection[first]);
      EXPECT_EQ("point", s.draw);
      EXPECT_EQ(std::vector<int>{first}, s.nodes);
      ++written;
    } else if (auto line = lines.find(id); line != lines.end()) {
      const std::string& keyword = line->second.first;
      EXPECT_EQ(keyword[0] == '*' ? keyword.substr(1) : keyword, s.label);
      EXPECT_EQ(line->second.second, s.nodes);
      ++written;
    } else {
      EXPECT_EQ("type " + std::to_string(id / 100) + "/" + std::to_string(id % 100), s.label);
      EXPECT_EQ(1, s.state);
      EXPECT_EQ(reasonOf[id], s.reason);
      EXPECT_FALSE(s.nodes.empty());
      for (int n : s.nodes) EXPECT_TRUE(n >= first && n < first + 8) << n;
      continue;
    }
    EXPECT_EQ(dangling.count(id) ? 2 : 0, s.state);
    EXPECT_EQ(0u, reasonOf.count(id));
  }
  EXPECT_EQ(lines.size() + pointSection.size(), written);
  EXPECT_EQ(static_cast<int64_t>(written), c.result.report->facts.Kind(EKind::kElements).written);
}

// Every element not converted is marked, not only the report's first 20;
// an element whose written line refers to something the file does not
// define is marked as dangling, one with a node that does not exist as such.
TEST(ModelPage, StatesOfEveryElement) {
  Lines nodes = {NodeLine(1, 0, 0, 0, "1,1,1,0,0,0"), NodeLine(2, 5, 0, 0), NodeLine(3, 5, 4, 0),
                 NodeLine(4, 0, 4, 3)};
  Lines elements;
  auto add = [&elements](const Lines& e) { elements.insert(elements.end(), e.begin(), e.end()); };
  for (int id = 1; id <= 25; ++id) add(ElementLines(id, 1, 41, 0, {1, 2}));
  add(ElementLines(30, 2, 7, 0, {3, 3}));          // elastic link with both ends on one node
  add(ElementLines(40, 1, 1, 0, {1, 2}, 77));      // truss of a material that does not exist
  add(ElementLines(41, 1, 1, 0, {2, 999}));        // truss on a node that does not exist
  add(ElementLines(42, 1, 1, 0, {2, 3}));          // converted
  add(ElementLines(43, 5, 82, 0, {3, 4}));         // general link of a property that does not exist
  add(ElementLines(44, 2, 7, 9, {4}));             // point spring
  const std::string model = Block(402, Cat({PropertyLines("1,0,1,1,0,0"), PropertyLines("2,0,0,7,0,0")})) +
                            Block(601, MaterialLines("1,0,0,0,0,0,0")) + Block(403, nodes) + Block(404, elements);
  TempDir dir;
  const CPaged c = ConvertPaged(dir, model);
  const std::map<int, CShown> shown = ShownElements(c.page);
  std::map<int, int> states;
  for (const auto& [id, s] : shown) states[id] = s.state;
  std::map<int, int> expected;
  for (int id = 1; id <= 25; ++id) expected[id] = 1;
  expected.insert({{30, 1}, {40, 2}, {41, 3}, {42, 0}, {43, 2}, {44, 0}});
  EXPECT_EQ(expected, states);
  EXPECT_EQ("no section writes element type 41 with topology 0", shown.at(25).reason);
  EXPECT_EQ("elastic link with both ends on one node", shown.at(30).reason);
  // The report itself still lists the first 20 of a reason; the page's copy is the same object.
  const Json& reasons = c.page.report["entities"]["elements"]["not_converted"];
  ASSERT_EQ(2u, reasons.size());
  EXPECT_EQ(shown.at(25).reason, reasons[1]["reason"]);
  EXPECT_EQ(25, reasons[1]["count"]);
  EXPECT_EQ(20u, reasons[1]["numbers"].size());
  EXPECT_EQ(Json::parse(c.result.ReportJson()), c.page.report);
  // The support of node 1 and the spring at node 4, by node index.
  EXPECT_EQ((std::vector<double>{0, 3}), c.page.Array("marker_node"));
  EXPECT_EQ((std::vector<double>{0, 1}), c.page.Array("marker_kind"));
}

// The element number of a dangling line is read from the file: lines that
// cross the reader's 1 MiB pieces and a last line without its line feed.
TEST(ModelPage, DanglingLinesFoundInTheWrittenFile) {
  TempDir dir;
  std::string text;
  for (int i = 0; i < 10485; ++i) text += "; " + std::string(97, 'a') + "\n";
  text += "; " + std::string(70, 'b') + "\n";
  ASSERT_EQ((size_t{1} << 20) - 3, text.size());
  text += "  4711, BEAM  ,     1,     1,     1,     2\n  4712, BEAM  ,     1,     1,     2,     3";
  WriteFile(dir.File("m.qsx"), text);
  CPageModel page;
  const uint16_t beam = page.Type("BEAM", EPageDraw::kLine);
  for (int32_t id : {4711, 4712, 4713, 10487}) page.AddElement(id, beam, 1, 1, std::vector<int32_t>{1, 2});
  CDanglingList dangling;
  for (const CDangling& d : {CDangling{"*ELEMENT", 10487, "node", "1"}, CDangling{"*ELEMENT", 10488, "material", "1"},
                             CDangling{"*CONLOAD", 3, "node", "9"}})
    dangling.push_back(d);
  MarkDangling(page, dangling, DefaultEnv(), dir.File("m.qsx"));
  std::vector<int> states;
  for (const CPageElement& e : page.elements) states.push_back(static_cast<int>(e.state));
  EXPECT_EQ((std::vector<int>{2, 2, 0, 0}), states);
}

// The header's facts and texts: the model's title (not UTF-8: replacement
// characters), units, how far reading got, the status and message lines of
// the result, and the report as --report-json gives it.
TEST(ModelPage, HeaderFacts) {
  const std::string model = Block(100, {"  Frame \xFF<b>  ", "8.3", "1,2"}) +
                            Block(403, {NodeLine(1, 0, 0, 0), NodeLine(2, 1, 0, 0)}) + Block(404, {"1,2"});
  TempDir dir;
  const CPaged c = ConvertPaged(dir, model);
  const Json& meta = c.page.meta;
  EXPECT_EQ("Frame \xEF\xBF\xBD<b>", meta["title"]);
  EXPECT_EQ("kN, m", meta["units"]);
  EXPECT_EQ("stopped at line 14 after a format error", meta["reading"]);
  EXPECT_EQ(c.result.modelPath, meta["model"]);
  EXPECT_EQ(0, meta["status"]);
  EXPECT_EQ(Json(c.result.messages), meta["messages"]);
  EXPECT_EQ(Json::parse(c.result.ReportJson()), c.page.report);
  EXPECT_NE(std::string::npos, c.page.html.find("<h1 id=\"hd-title\">Frame \xEF\xBF\xBD&lt;b&gt;</h1>"));

  TempDir whole;
  const CPaged d = ConvertPaged(whole, Block(403, {NodeLine(1, 0, 0, 0)}), false);
  EXPECT_EQ("to the end of the file (4 lines)", d.page.meta["reading"]);
  EXPECT_EQ("", d.page.meta["title"]);
  EXPECT_EQ("", d.page.meta["units"]);
  EXPECT_EQ(nullptr, d.result.report);  // not asked for; the page has its own
  EXPECT_EQ("ok", d.page.meta["report"]);
}

// Where the page goes and what it changes: nothing of the .qsx, the message
// lines or the status, but a page that cannot be written.
TEST(ModelPage, FilesAndStatuses) {
  const std::string model = Block(403, {NodeLine(1, 0, 0, 0), NodeLine(2, 1, 0, 0)}) + "stray line\n";
  const struct {
    const char* name;
    const char* model;      // the model path in the folder
    const char* outputDir;  // "" beside the model
    int status;
    const char* page;      // the page's path in the folder, "" none
    const char* reading;   // the page's reading fact
    const char* error;     // a part of the errors
  } cases[] = {
      {"beside the model", "m.hvt", "", kStatusDone, "m.html", "to the end of the file (6 lines)", ""},
      {"into the output folder", "m.hvt", "out", kStatusDone, "out/m.html", "to the end of the file (6 lines)", ""},
      {"a missing model has none", "gone.hvt", "", kStatusMissing, "", "", "model file not found"},
      {"a model that cannot be opened", "folder.hvt", "", kStatusFailed, "folder.html",
       "the model file could not be opened", "Can't open"},
      {"a page that cannot be written", "blocked.hvt", "", kStatusFileError, "", "",
       "could not write the page @/blocked.html"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir plain, paged;
    for (const TempDir* d : {&plain, &paged}) {
      fs::create_directories(d->File("out"));
      fs::create_directories(d->File("folder.hvt"));
      WriteFile(d->File("m.hvt"), model);
      WriteFile(d->File("blocked.hvt"), model);
    }
    fs::create_directories(paged.File("blocked.html"));
    auto convert = [&c](const TempDir& d, bool html) {
      CConvertOptions options;
      if (*c.outputDir) options.outputDir = d.File(c.outputDir);
      options.html = html;
      return Convert(d.File(c.model), options);
    };
    const CConvertResult a = convert(plain, false), b = convert(paged, true);
    EXPECT_EQ(c.status, b.status) << b.errors;
    EXPECT_EQ(*c.page ? paged.File(c.page) : "", b.pagePath);
    std::string error = c.error;
    if (const size_t at = error.find('@'); at != std::string::npos) error.replace(at, 1, paged.Path());
    EXPECT_NE(std::string::npos, b.errors.find(error)) << b.errors;
    // The rest as without the page.
    const std::string qsx = (*c.outputDir ? std::string(c.outputDir) + "/" : "") +
                            std::string(c.model).substr(0, std::string(c.model).find('.')) + ".qsx";
    EXPECT_EQ(Exists(plain.File(qsx)), Exists(paged.File(qsx)));
    EXPECT_TRUE(ReadFile(plain.File(qsx)) == ReadFile(paged.File(qsx)));
    std::vector<std::string> messages = a.messages;
    for (std::string& m : messages)
      if (const size_t at = m.find(plain.Path()); at != std::string::npos) m.replace(at, plain.Path().size(), paged.Path());
    EXPECT_EQ(messages, b.messages);
    if (*c.page) {
      const CPageData page(ReadFile(b.pagePath));
      EXPECT_EQ(c.reading, page.meta["reading"]);
      EXPECT_EQ(c.status, page.meta["status"]);
    }
    // Nothing else in the folder: no partial page, no temporary file.
    std::set<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator(paged.Path())) left.insert(fs::relative(e.path(), paged.Path()).string());
    for (const char* known : {"out", "folder.hvt", "m.hvt", "blocked.hvt", "blocked.html", "blocked.qsx", "m.qsx",
                              "m.html", "out/m.qsx", "out/m.html", "folder.html"})
      left.erase(known);
    EXPECT_TRUE(left.empty()) << *left.begin();
  }
}

}  // namespace
