// The tool's own texts: the help's ranking of statuses, arguments put in and
// the summary line counting what was passed over, in the words of each
// language (the translations themselves: catalogue_test.cpp).
#include "api/tool_text.h"
#include "api/status.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/case_files.h"
#include "tests/testutil.h"

using namespace hvx;
using hvxtest::CaseRecord;
using hvxtest::ReadCases;

namespace {

// The help's account of the exit statuses ranks them as the tool applies
// them to a batch: a file not written first, then a missing model, a failed
// conversion, strict's finding, success; a usage error stops the run before.
TEST(ToolText, ExitStatusHelpRanksAsTheBatchDoes) {
  const std::string help = ExitStatusHelp(100000);
  EXPECT_NE(std::string::npos, help.find("the most severe status wins: 4, then 3, 2, 5, 0.")) << help;
  EXPECT_EQ(0, MoreSevere(0, 0));
  for (const auto& [a, b, worse] : {std::tuple{5, 2, 2}, {3, 4, 4}, {0, 5, 5}, {2, 3, 3}})
    EXPECT_EQ(worse, MoreSevere(a, b)) << a << " and " << b;
}

TEST(ToolTexts, ArgumentsGoInAsGiven) {
  EXPECT_EQ("The file a{2}% is not written: it is the model file b.",
            TextIn(0, EText::kNotOverwritten, {"a{2}%", "b"}));
  EXPECT_EQ("ファイル x は書き込みません: モデル ファイル y と同じファイルです。",
            TextIn(1, EText::kNotOverwritten, {"x", "y"}));
}

// Each case of tables/summary_line.txt.
TEST(ToolTexts, SummaryLineCountsWhatWasPassedOver) {
  for (const CaseRecord& c : ReadCases("summary_line.txt", {"language", "counted", "not-converted", "partly",
                                                            "unknown-blocks", "outside", "dangling", "stopped",
                                                            "no-data", "line"})) {
    SCOPED_TRACE(c.where);
    CSummary s;
    s.counted = c.Get("counted") != "no";
    s.noDataBlock = c.Has("no-data");
    s.unknownBlocks = c.Int("unknown-blocks");
    s.linesOutsideBlocks = c.Int("outside");
    s.danglingReferences = c.Int("dangling");
    s.readStoppedAtLine = c.Int("stopped", -1);
    for (const auto& [key, list] : {std::pair{"not-converted", &s.notConverted}, {"partly", &s.partlyConverted}})
      for (const std::string& kind : c.All(key))
        list->push_back({kind.substr(0, kind.find(' ')), std::stoll(kind.substr(kind.find(' ') + 1))});
    EXPECT_EQ(c.Get("line"), SummaryLineIn(c.Int("language"), s, "m.hvt"));
  }
}

}  // namespace
