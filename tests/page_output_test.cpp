// The model page of a conversion (CConvertOptions::html): the header's facts
// and how dangling lines are found (where the page goes and what it changes:
// tables/api.txt). What the page shows is
// checked in the browser, with the page's own script (tests/page/browser_test.py).
#include <gtest/gtest.h>

#include <sstream>

#include "api/conversion.h"
#include "api/page_output.h"
#include "api/report_output.h"
#include "tests/page/page_blocks.h"
#include "tests/testutil.h"

using namespace hvx;
using namespace hvxtest;

namespace {

std::string NodeLine(int id, double x, double y, double z, const std::string& flags = "0,0,0,0,0,0") {
  std::ostringstream s;
  s << id << ",1,0,0,0," << flags << "," << x << "," << y << "," << z << ",0";
  return s.str();
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

// The header's facts from the conversion: the model's title (not UTF-8:
// replacement characters), units and how far reading got; without a report
// asked for, the page carries its own. The browser test compares the rest
// (messages, status, the report) with what the tool printed.
TEST(ModelPage, HeaderFacts) {
  const std::string model = Block(100, {"  Frame \xFF<b>  ", "8.3", "1,2"}) +
                            Block(403, {NodeLine(1, 0, 0, 0), NodeLine(2, 1, 0, 0)}) + Block(404, {"1,2"});
  TempDir dir;
  const CPaged c = ConvertPaged(dir, model);
  EXPECT_EQ("Frame \xEF\xBF\xBD<b>", c.page.meta["title"]);
  EXPECT_NE(std::string::npos, c.page.html.find("<h1 id=\"hd-title\">Frame \xEF\xBF\xBD&lt;b&gt;</h1>"));
  EXPECT_EQ("kN, m", c.page.meta["units"]);
  EXPECT_EQ("stopped at line 14 after a format error", c.page.meta["reading"]);
  EXPECT_EQ(true, c.page.meta["lossy"]);  // reading stopped: a warning, not a success

  TempDir whole;
  const CPaged d = ConvertPaged(whole, Block(403, {NodeLine(1, 0, 0, 0)}), false);
  EXPECT_EQ("to the end of the file (4 lines)", d.page.meta["reading"]);
  EXPECT_EQ(false, d.page.meta["lossy"]);
  EXPECT_EQ("", d.page.meta["title"]);
  EXPECT_EQ("", d.page.meta["units"]);
  EXPECT_EQ(nullptr, d.result.report);  // not asked for; the page has its own
  EXPECT_EQ("ok", d.page.meta["report"]);

  // The last unit of each table, and codes past them.
  for (const auto& [units, text] : {std::pair{"5,6", "kips, in"}, std::pair{"6,7", ""}, std::pair{"0,6", "kips, ?"}}) {
    TempDir u;
    const CPaged p = ConvertPaged(u, Block(100, {"T", "8.3", units}) + Block(403, {NodeLine(1, 0, 0, 0)}));
    EXPECT_EQ(text, p.page.meta["units"]) << units;
  }
}

}  // namespace
