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

using namespace hvx;

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

TEST(ToolTexts, SummaryLineCountsWhatWasPassedOver) {
  CSummary kinds;
  kinds.counted = true;
  kinds.notConverted = {{"elements", 1}, {"static_loads", 3}};
  kinds.partlyConverted = {{"constraint_equations", 2}};
  CSummary ones;
  ones.counted = true;
  ones.unknownBlocks = 1;
  ones.linesOutsideBlocks = 1;
  ones.danglingReferences = 1;
  ones.notConverted = {{"hinge_properties", 1}};
  CSummary many = ones;
  many.unknownBlocks = 2;
  many.linesOutsideBlocks = 12;
  many.danglingReferences = 1000;
  many.readStoppedAtLine = 0;
  many.notConverted = {{"properties", 2}};
  CSummary empty;
  empty.counted = true;
  empty.noDataBlock = true;
  empty.linesOutsideBlocks = 3;
  CSummary clean;
  clean.counted = true;
  CSummary notRead = empty;
  notRead.counted = false;
  const struct {
    int language;
    const CSummary& summary;
    const char* line;
  } cases[] = {
      {0, kinds,
       "m.hvt: not converted: 1 element, 3 static loads; partly converted: 2 constraint equations "
       "(see --report)\n"},
      {0, ones,
       "m.hvt: not converted: 1 hinge property; 1 unknown block; 1 line outside blocks; "
       "1 dangling reference (see --report)\n"},
      {0, many,
       "m.hvt: not converted: 2 properties; 2 unknown blocks; 12 lines outside blocks; "
       "reading stopped at line 0; 1000 dangling references (see --report)\n"},
      {0, empty, "m.hvt: no Halvex data block found; 3 lines outside blocks (see --report)\n"},
      {0, clean, ""},
      {0, notRead, ""},
      {1, kinds, "m.hvt: 変換されなかったもの: 要素 1 件、静的荷重 3 件; 一部だけ変換されたもの: 拘束式 2 件 (詳しくは --report)\n"},
      {2, ones,
       "m.hvt: 변환되지 않음: 힌지 속성 1개; 알 수 없는 블록 1개; 블록 밖의 줄 1개; "
       "정의되지 않은 대상에 대한 참조 1개 (자세한 내용은 --report)\n"},
      {3, empty, "m.hvt: 未找到 Halvex 数据块; 数据块外的行 3 行（详见 --report）\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(c.line, SummaryLineIn(c.language, c.summary, "m.hvt"));
  }
}

}  // namespace
