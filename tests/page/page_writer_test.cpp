// The model page writer: texts (UTF-8 repair, escaping), base64, the header,
// and what of the data blocks needs no decoding of the arrays.
#include "page/page_writer.h"

#include <gtest/gtest.h>

#include <cstring>
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

// ---- the data blocks: the browser test decodes the arrays with the page's own
// script (tests/page/browser_test.py, encoding cases); here what needs no decoding.

struct CPage : hvxtest::CPageData {
  explicit CPage(const CPageModel& m, bool secondThread = true) : CPageData(hvx::ModelPage(m, {secondThread})) {}
};

// Large enough for the second thread and for splitting the encoding of an
// array (elem_nodes, 2.4 MB), with sparse ids (the writer's sorted index).
TEST(PageData, TheSecondThreadChangesNothing) {
  CPageModel m;
  for (int32_t i = 0; i < 100000; ++i) m.AddNode(i * 20000 - 2000000000, i, 0.5 * i, 0);
  const uint16_t t = m.Type("TRUSS", EPageDraw::kLine);
  for (int32_t i = 0; i < 300000; ++i)
    m.AddElement(i + 1, t, i % 5, i % 3, std::vector<int32_t>{(i % 100000) * 20000 - 2000000000, 7});
  const std::string one = hvx::ModelPage(m, {false}), two = hvx::ModelPage(m, {true});
  EXPECT_EQ(one.size(), two.size());
  EXPECT_TRUE(one == two);
  EXPECT_EQ(CPage(m).meta["arrays"]["elem_nodes"], Json::parse(R"({"type": "u32", "count": 600000})"));
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
  m.statusText = "file <not> written";
  m.seconds = 1.23456;
  const std::string html = hvx::ModelPage(m);
  EXPECT_EQ(html.find("{{"), std::string::npos);
  EXPECT_NE(html.find("<title>Frame \xE6\xA2\x81 \xE2\x80\x94 frame.hvt \xC2\xB7 halvex2qsx</title>"),
            std::string::npos);
  // The status's text is the model's, escaped; the page's script reads it from the data.
  EXPECT_NE(html.find("<dd id=\"hd-status\" class=\"bad\">4 \xC2\xB7 file &lt;not&gt; written<"), std::string::npos);
  EXPECT_EQ(CPage(m).meta["status_text"], "file <not> written");
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
// warning for a conversion that lost something, else a failure.
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
    m.statusText = "text";
    const std::string dd = "<dd id=\"hd-status\" class=\"" + std::string(c.tone) + "\">" + std::to_string(c.status) +
                           " \xC2\xB7 text</dd>";
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
