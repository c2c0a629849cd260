// The tool's own texts: each translation is a drop-in for the English one
// and fits its Windows code page; the summary line counts what was passed
// over, in the words of each language.
#include "api/tool_text.h"
#include "api/status.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

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

std::multiset<std::string> Placeholders(const std::string& text) {
  static const std::regex placeholder("\\{[1-9]\\}");
  std::multiset<std::string> found;
  for (std::sregex_iterator m(text.begin(), text.end(), placeholder), end; m != end; ++m) found.insert(m->str());
  return found;
}

TEST(ToolTexts, TranslationsKeepThePlaceholdersAndFitTheirCodePage) {
  const char* const codePages[] = {"", "CP932", "CP949", "CP936"};
  for (int lang = 1; lang < 4; ++lang) {
    iconv_t cd = iconv_open(codePages[lang], "UTF-8");
    for (int id = 0; id < static_cast<int>(EText::kCount); ++id) {
      const CToolText& t = ToolTexts()[id];
      SCOPED_TRACE("text " + std::to_string(id) + " in language " + std::to_string(lang));
      EXPECT_EQ(id, static_cast<int>(t.id));
      ASSERT_TRUE(t.text[lang] && *t.text[lang]);
      std::string english = t.text[0];
      english = english.substr(english.find('|') + 1);  // the plural form, where there are two
      std::string text = t.text[lang];
      EXPECT_EQ(Placeholders(english), Placeholders(text));
      EXPECT_EQ(std::string::npos, text.find('|')) << "only English has two forms";
      if (cd == reinterpret_cast<iconv_t>(-1)) continue;
      std::string out(text.size() * 2, '\0');
      char *src = text.data(), *dst = out.data();
      size_t srcLeft = text.size(), dstLeft = out.size();
      EXPECT_NE(static_cast<size_t>(-1), iconv(cd, &src, &srcLeft, &dst, &dstLeft)) << codePages[lang];
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
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
