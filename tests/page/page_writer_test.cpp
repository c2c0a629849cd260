// The model page writer, where the browser test (tests/page/browser_test.py,
// which shows hostile texts, decodes the arrays and reads the header) cannot
// look: UTF-8 repair and escaping byte by byte, the header's template and
// policy, the status's tone for every status, reports that are no JSON
// object, the second thread, and the lists of types and reasons.
#include "page/page_writer.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/page/page_blocks.h"

namespace {

using hvx::CPageModel;
using hvx::EPageDraw;
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

// Large enough for the second thread and for splitting the encoding of an
// array (elem_nodes, 2.4 MB), with sparse ids (the writer's sorted index).
TEST(PageData, TheSecondThreadChangesNothing) {
  CPageModel m;
  for (int32_t i = 0; i < 100000; ++i) m.AddNode(i * 20000 - 2000000000, i, 0.5 * i, 0);
  const uint16_t t = m.Type("TRUSS", EPageDraw::kLine);
  for (int32_t i = 0; i < 300000; ++i)
    m.AddElement(i + 1, t, i % 5, i % 3, std::vector<int32_t>{(i % 100000) * 20000 - 2000000000, 7});
  const std::string one = hvx::ModelPage(m, {false}), two = hvx::ModelPage(m, {true});
  EXPECT_TRUE(one == two) << one.size() << " and " << two.size() << " bytes";
  EXPECT_EQ(hvxtest::CPageData(two).meta["arrays"]["elem_nodes"], Json::parse(R"({"type": "u32", "count": 600000})"));
}

TEST(PageData, ElementNodeListOutsideTheArrayCountsAsEmpty) {
  CPageModel m;
  m.AddNode(1, 0, 0, 0);
  const uint16_t t = m.Type("BEAM", EPageDraw::kLine);
  m.AddElement(1, t, 1, 1, std::vector<int32_t>{1, 1});
  m.elements[0].firstNode = 1;  // runs one past the end
  const hvxtest::CPageData page(hvx::ModelPage(m));
  EXPECT_EQ(page.meta["kinds"], Json::parse("[[0, 0, 0, -1]]"));
  EXPECT_EQ(page.meta["arrays"]["elem_nodes"]["count"], 0);
}

TEST(PageText, ReportThatIsNotAJsonObject) {
  const struct {
    const char* text;
    const char* state;
  } cases[] = {{"", "none"}, {"[1, 2]", "invalid"}, {"{\"model\": ", "invalid"}, {"{\"a\": \"\xFF\"}", "ok"}};
  for (const auto& c : cases) {
    CPageModel m;
    m.reportJson = c.text;
    const hvxtest::CPageData page(hvx::ModelPage(m));
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
  m.seconds = 1.23456;
  const std::string html = hvx::ModelPage(m);
  EXPECT_EQ(html.find("{{"), std::string::npos);
  EXPECT_NE(html.find("<title>Frame \xE6\xA2\x81 \xE2\x80\x94 frame.hvt \xC2\xB7 halvex2qsx</title>"),
            std::string::npos);
  EXPECT_NE(html.find(">1.23 s<"), std::string::npos);
  // Nothing remote, inline code by hash only.
  const size_t csp = html.find("Content-Security-Policy\" content=\"");
  ASSERT_NE(csp, std::string::npos);
  const std::string policy = html.substr(csp, html.find('>', csp) - csp);
  EXPECT_NE(policy.find("default-src 'none'; script-src 'sha256-"), std::string::npos);
  EXPECT_EQ(policy.find("unsafe"), std::string::npos);
  EXPECT_EQ(policy.find("http"), std::string::npos);
}

// The status's tone: a success only for status 0 with nothing lost, a
// warning for a conversion that lost something, else a failure; its text
// escaped.
TEST(PageText, StatusTone) {
  const struct {
    int status;
    bool lossy;
    const char* tone;
  } cases[] = {{0, false, "ok"}, {0, true, "warn"}, {5, true, "warn"}, {6, false, "warn"},
               {2, false, "bad"}, {3, false, "bad"}, {4, true, "bad"}};
  for (const auto& c : cases) {
    CPageModel m;
    m.exitStatus = c.status;
    m.lossy = c.lossy;
    m.statusText = "file <not> written";
    const std::string dd = "<dd id=\"hd-status\" class=\"" + std::string(c.tone) + "\">" + std::to_string(c.status) +
                           " \xC2\xB7 file &lt;not&gt; written</dd>";
    EXPECT_NE(hvx::ModelPage(m).find(dd), std::string::npos) << c.status << (c.lossy ? " lossy" : "");
  }
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
    EXPECT_EQ(i + 2, m.Type("type " + std::to_string(i), EPageDraw::kPoint));
    EXPECT_EQ(i + 1, m.Reason("type " + std::to_string(i)));
  }
  EXPECT_EQ(1001, m.Reason("type 1000"));
  EXPECT_EQ(1002, m.Type("type 1000", EPageDraw::kPoint));
  m.reasons.push_back("appended");
  EXPECT_EQ(5001, m.Reason("appended"));
  EXPECT_EQ(5002u, m.types.size());
  EXPECT_EQ(5002u, m.reasons.size());
}

}  // namespace
