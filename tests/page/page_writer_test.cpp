// The model page writer: texts (UTF-8 repair, escaping), base64, and the data
// blocks decoded here independently of the page's script and compared with
// the input they came from.
#include "page/page_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/page/page_decode.h"

namespace {

using hvx::CPageModel;
using hvx::EPageDraw;
using hvx::EPageMarker;
using hvx::EPageState;
using Json = nlohmann::json;

const std::string kFffd = "\xEF\xBF\xBD";

TEST(PageText, Utf8RepairReplacesEachMaximalInvalidSubpart) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"plain ASCII, tab\tand\nlines", "plain ASCII, tab\tand\nlines"},
      {"Tr\xC3\xA4ger \xE6\xA2\x81 \xF0\x9F\x8F\x97", "Tr\xC3\xA4ger \xE6\xA2\x81 \xF0\x9F\x8F\x97"},
      {"m\xFF", "m" + kFffd},                                   // a byte that never occurs
      {"\xC3(", kFffd + "("},                                   // lead byte without its continuation
      {"\xC0\xAF", kFffd + kFffd},                              // overlong: neither byte starts a sequence
      {"\xE0\x80\xAF", kFffd + kFffd + kFffd},                  // overlong three-byte form
      {"\xED\xA0\x80", kFffd + kFffd + kFffd},                  // a surrogate
      {"\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd},      // above U+10FFFF
      {"ab\xE2\x82", "ab" + kFffd},                             // cut off at the end: one replacement
      {"\xE2\x82x", kFffd + "x"},                               // cut off before ASCII
      {"\xF0\x9F\x8F", kFffd},                                  // four-byte form cut off
      {std::string("a\0b\x1b", 4), "a" + kFffd + "b" + kFffd},  // C0 controls
  };
  for (const auto& c : cases) EXPECT_EQ(hvx::ValidUtf8(c.in), c.out) << c.in;
}

TEST(PageText, HtmlTextEscapesMarkupCharacters) {
  EXPECT_EQ(hvx::HtmlText("<script>alert(1)</script>"), "&lt;script&gt;alert(1)&lt;/script&gt;");
  EXPECT_EQ(hvx::HtmlText("\"><img src=x onerror=alert(1)>"), "&quot;&gt;&lt;img src=x onerror=alert(1)&gt;");
  EXPECT_EQ(hvx::HtmlText("a & 'b'\xFF"), "a &amp; &#39;b&#39;" + kFffd);
}

TEST(PageText, Base64OfTheStandardVectors) {
  const char* cases[][2] = {{"", ""},
                            {"f", "Zg=="},
                            {"fo", "Zm8="},
                            {"foo", "Zm9v"},
                            {"foob", "Zm9vYg=="},
                            {"fooba", "Zm9vYmE="},
                            {"foobar", "Zm9vYmFy"},
                            {"\xFF\xFE\xFD", "//79"}};
  for (const auto& c : cases) {
    std::string out = "x";
    hvx::AppendBase64(out, c[0], std::strlen(c[0]));
    EXPECT_EQ(out, std::string("x") + c[1]);
  }
}

// ---- decoding the page, as a browser would ----

struct CPage : hvxtest::CPageData {
  explicit CPage(const CPageModel& m, bool secondThread = true) : CPageData(hvx::ModelPage(m, {secondThread})) {}
};

CPageModel SmallModel() {
  CPageModel m;
  m.modelPath = "models/small.hvt";
  m.title = "Small";
  // Ids in no order, with gaps: the ids come back through their runs.
  const int32_t ids[] = {5, 6, 7, 100, 101, 3};
  for (int i = 0; i < 6; ++i) m.AddNode(ids[i], i, 2.0 * i, -1.0 * i);
  m.markers = {{100, EPageMarker::kSupport}, {3, EPageMarker::kSpring}, {42, EPageMarker::kSupport}};
  const uint16_t beam = m.Type("BEAM", EPageDraw::kLine), plate = m.Type("PLATE", EPageDraw::kPolygon);
  using N = std::vector<int32_t>;
  m.AddElement(10, beam, 7, 3, N{5, 6});
  m.AddElement(11, beam, 7, 4, N{6, 7}, EPageState::kDangling);
  m.AddElement(12, plate, 8, 9, N{5, 6, 7, 100});
  m.AddElement(13, beam, 7, 3, N{101, 999});  // node 999 does not exist
  m.AddElement(20, beam, 0, 0, N{3, 5}, EPageState::kNotConverted, m.Reason("no section writes it"));
  return m;
}

TEST(PageData, ArraysDecodeToTheInput) {
  const CPageModel m = SmallModel();
  const CPage page(m);
  const Json& meta = page.meta;

  const auto nodeIds = CPage::Runs(page.Array("node_ids"));
  ASSERT_EQ(nodeIds, std::vector<double>(m.nodeIds.begin(), m.nodeIds.end()));
  const auto xyz = page.Array("xyz");
  for (size_t i = 0; i < xyz.size(); ++i)
    EXPECT_DOUBLE_EQ(xyz[i] + meta["centre"][i % 3].get<double>(), m.nodeXyz[i]) << i;
  // The box of x 0..5, y 0..10, z -5..0 has its middle at (2.5, 5, -2.5).
  EXPECT_EQ(meta["centre"], Json({2.5, 5.0, -2.5}));

  // Markers on existing nodes only.
  EXPECT_EQ(page.Array("marker_node"), (std::vector<double>{3, 5}));
  EXPECT_EQ(page.Array("marker_kind"), (std::vector<double>{0, 1}));
  EXPECT_EQ(meta["markers_dropped"], 1);

  // Element connectivity back to node ids; the missing node as the largest u16.
  ASSERT_EQ(meta["arrays"]["elem_nodes"]["type"], "u16");
  const auto elemIds = CPage::Runs(page.Array("elem_ids"));
  EXPECT_EQ(elemIds, (std::vector<double>{10, 11, 12, 13, 20}));
  const auto kind = page.Array("elem_kind"), nodes = page.Array("elem_nodes");
  const auto mat = page.Array("elem_mat"), sec = page.Array("elem_sec");
  size_t at = 0;
  for (size_t e = 0; e < m.elements.size(); ++e) {
    const auto& el = m.elements[e];
    const Json& k = meta["kinds"][static_cast<size_t>(kind[e])];
    EXPECT_EQ(k[0], el.type);
    EXPECT_EQ(k[1], el.nodeCount);
    EXPECT_EQ(k[3], el.reason);
    const EPageState state = el.id == 13 ? EPageState::kMissingNode : el.state;
    EXPECT_EQ(k[2], static_cast<int>(state)) << el.id;
    for (unsigned i = 0; i < el.nodeCount; ++i, ++at) {
      const int32_t id = m.elementNodes[el.firstNode + i];
      if (id == 999)
        EXPECT_EQ(nodes[at], 0xFFFF);
      else
        EXPECT_EQ(nodeIds[static_cast<size_t>(nodes[at])], id);
    }
    EXPECT_EQ(meta["materials"][static_cast<size_t>(mat[e])], el.material);
    EXPECT_EQ(meta["sections"][static_cast<size_t>(sec[e])], el.section);
  }
  EXPECT_EQ(at, nodes.size());
  EXPECT_EQ(meta["missing"], Json::parse(R"([{"id": 13, "nodes": [101, 999]}])"));
  EXPECT_EQ(meta["missing_count"], 1);
  EXPECT_EQ(meta["type_counts"], Json({4, 1}));
  EXPECT_EQ(meta["types"],
            Json::parse(R"([{"label": "BEAM", "draw": "line"}, {"label": "PLATE", "draw": "polygon"}])"));
  EXPECT_EQ(meta["reasons"], Json({"no section writes it"}));
}

TEST(PageData, FarFromTheOriginKeepsSmallDifferences) {
  // Millimetres, 5000 km out: float32 of the absolute values would lose the 0.5 mm.
  CPageModel m;
  m.AddNode(1, 5.0e9, -3.0e9, 100.0);
  m.AddNode(2, 5.0e9 + 0.5, -3.0e9 + 1000.25, 100.0);
  const CPage page(m);
  const auto xyz = page.Array("xyz");
  EXPECT_EQ(xyz[3] - xyz[0], 0.5);
  EXPECT_EQ(xyz[4] - xyz[1], 1000.25);
}

TEST(PageData, SparseIdsNonFiniteNodesAndWideIndices) {
  CPageModel m;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // 70000 nodes need u32 indices; ids spread over the whole range use the sorted index.
  for (int32_t i = 0; i < 70000; ++i) m.AddNode(i * 30000 - 2000000000, i, 0, 0);
  m.nodeXyz[3 * 5] = nan;
  m.nodeXyz[3 * 6 + 2] = std::numeric_limits<double>::infinity();
  const uint16_t t = m.Type("TRUSS", EPageDraw::kLine);
  m.AddElement(1, t, 1, 1, std::vector<int32_t>{-2000000000, 69999 * 30000 - 2000000000});
  m.AddElement(2, t, 1, 1, std::vector<int32_t>{-2000000000 + 1, 0});  // neither exists
  const CPage one(m, false), two(m, true);
  EXPECT_EQ(one.html, two.html);  // the second thread changes nothing
  EXPECT_EQ(one.meta["nonfinite"], 2);
  EXPECT_EQ(one.meta["centre"][0], 69999 / 2.0);
  ASSERT_EQ(one.meta["arrays"]["elem_nodes"]["type"], "u32");
  EXPECT_EQ(one.Array("elem_nodes"), (std::vector<double>{0, 69999, 0xFFFFFFFF, 0xFFFFFFFF}));
  EXPECT_EQ(one.meta["arrays"]["node_ids"]["count"], 2 * 70000);  // one run per node
  EXPECT_TRUE(std::isnan(one.Array("xyz")[15]));
}

TEST(PageData, ElementNodeListOutsideTheArrayCountsAsEmpty) {
  CPageModel m;
  m.AddNode(1, 0, 0, 0);
  const uint16_t t = m.Type("BEAM", EPageDraw::kLine);
  m.AddElement(1, t, 1, 1, std::vector<int32_t>{1, 1});
  m.elements[0].firstNode = 1;  // runs one past the end
  const CPage page(m);
  EXPECT_EQ(page.meta["kinds"], Json::parse("[[0, 0, 0, -1]]"));
  EXPECT_EQ(page.meta["arrays"]["elem_nodes"]["count"], 0);
}

TEST(PageData, NodesWithoutCoordinatesAreNotFinite) {
  CPageModel m;
  m.AddNode(1, 1, 2, 3);
  m.nodeIds.push_back(2);  // no coordinates given
  const CPage page(m);
  EXPECT_EQ(page.meta["nonfinite"], 1);
  const auto xyz = page.Array("xyz");
  ASSERT_EQ(xyz.size(), 6u);
  EXPECT_EQ(xyz[0], 0);
  EXPECT_TRUE(std::isnan(xyz[3]) && std::isnan(xyz[5]));
}

TEST(PageData, ManyMaterialsGoAsValues) {
  CPageModel m;
  m.AddNode(1, 0, 0, 0);
  const uint16_t t = m.Type("SPRING", EPageDraw::kPoint);
  for (int32_t i = 0; i < 70000; ++i) m.AddElement(i + 1, t, i * 7 - 100000, 3, std::vector<int32_t>{1});
  const CPage page(m);
  EXPECT_TRUE(page.meta["materials"].is_null());
  EXPECT_EQ(page.meta["arrays"]["elem_mat"]["type"], "i32");
  EXPECT_EQ(page.Array("elem_mat")[69999], 69999 * 7 - 100000);
  EXPECT_EQ(page.meta["sections"], Json({3}));
  EXPECT_EQ(page.meta["arrays"]["elem_sec"]["type"], "u8");
}

// ---- texts from the model in the page ----

TEST(PageText, HostileTextsStayText) {
  CPageModel m;
  const std::string evil[] = {"<script>alert(1)</script>", "\"><img src=x onerror=alert(1)>"};
  for (const std::string& text : evil) {
    m.title = m.modelPath = m.units = m.date = m.reading = text;
    m.messages = {text, "</script><!--<script>"};
    m.types = {{text, EPageDraw::kLine}};
    m.reasons = {text};
    m.reportJson = R"({"model": "</script><script>alert(2)</script>", "status": 0})";
    const std::string html = hvx::ModelPage(m);
    EXPECT_EQ(html.find("<script>alert"), std::string::npos);
    EXPECT_EQ(html.find("<img"), std::string::npos);
    EXPECT_EQ(html.find("<!--"), std::string::npos);
    // Every script element the page opens is closed by its own end tag.
    size_t opens = 0, closes = 0;
    for (size_t p = html.find("<script"); p != std::string::npos; p = html.find("<script", p + 1)) ++opens;
    for (size_t p = html.find("</script>"); p != std::string::npos; p = html.find("</script>", p + 1)) ++closes;
    EXPECT_EQ(opens, closes);
    EXPECT_NE(html.find("<h1 id=\"hd-title\">" + hvx::HtmlText(text) + "</h1>"), std::string::npos);
    const CPage page(m);
    EXPECT_EQ(page.meta["title"], text);
    EXPECT_EQ(page.meta["messages"][1], "</script><!--<script>");
    EXPECT_EQ(page.report["model"], "</script><script>alert(2)</script>");
  }
}

TEST(PageText, ReportThatIsNotAJsonObject) {
  const struct {
    const char* text;
    const char* state;
  } cases[] = {{"", "none"}, {"[1, 2]", "invalid"}, {"{\"model\": ", "invalid"}, {"{\"a\": \"\xFF\"}", "ok"}};
  for (const auto& c : cases) {
    CPageModel m;
    m.reportJson = c.text;
    const CPage page(m);
    EXPECT_EQ(page.meta["report"], c.state) << c.text;
    if (std::string(c.state) == "ok")
      EXPECT_EQ(page.report["a"], kFffd);
    else
      EXPECT_TRUE(page.report.is_null());
  }
}

TEST(PageText, HeaderFactsAndTemplateMarkers) {
  CPageModel m;
  m.modelPath = "C:\\models\\frame.hvt";
  m.title = "Frame \xE6\xA2\x81";
  m.exitStatus = 4;
  m.seconds = 1.23456;
  const std::string html = hvx::ModelPage(m);
  EXPECT_EQ(html.find("{{"), std::string::npos);
  EXPECT_NE(html.find("<title>Frame \xE6\xA2\x81 \xE2\x80\x94 frame.hvt \xC2\xB7 halvex2qsx</title>"),
            std::string::npos);
  EXPECT_NE(html.find(">4 \xC2\xB7 a file could not be written<"), std::string::npos);
  EXPECT_NE(html.find(">1.23 s<"), std::string::npos);
  // Nothing remote, inline code by hash only.
  const size_t csp = html.find("Content-Security-Policy\" content=\"");
  ASSERT_NE(csp, std::string::npos);
  const std::string policy = html.substr(csp, html.find('>', csp) - csp);
  EXPECT_NE(policy.find("default-src 'none'; script-src 'sha256-"), std::string::npos);
  EXPECT_EQ(policy.find("unsafe"), std::string::npos);
  EXPECT_EQ(policy.find("http"), std::string::npos);
}

// Types and reasons are found by their text however many there are, also
// after entries were put in the lists directly.
TEST(PageData, TypesAndReasonsAreAddedOnce) {
  CPageModel m;
  m.types = {{"BEAM", EPageDraw::kLine}};
  m.reasons = {"first"};
  EXPECT_EQ(0, m.Type("BEAM", EPageDraw::kLine));
  EXPECT_EQ(1, m.Type("BEAM", EPageDraw::kPolygon));  // same label, other drawing
  EXPECT_EQ(0, m.Reason("first"));
  for (int i = 0; i < 5000; ++i) {
    const std::string text = "type " + std::to_string(i);
    EXPECT_EQ(i + 2, m.Type(text, EPageDraw::kPoint));
    EXPECT_EQ(i + 1, m.Reason(text));
  }
  EXPECT_EQ(1001, m.Reason("type 1000"));
  EXPECT_EQ(1002, m.Type("type 1000", EPageDraw::kPoint));
  m.reasons.push_back("appended");
  EXPECT_EQ(5001, m.Reason("appended"));
  EXPECT_EQ(5002u, m.types.size());
  EXPECT_EQ(5002u, m.reasons.size());
}

}  // namespace
