// The message catalogue's translations: every identifier the converter looks
// up is there in every language, and each translation is a drop-in for the
// English text (same printf conversions in the same order, same line end,
// same filter patterns, representable in its language's Windows code page).
#include "resources/catalogue.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/testutil.h"

using namespace hvxmsg;

namespace {

const char* const kLanguageNames[] = {"en", "ja", "ko", "zh"};

// The printf conversions of a text in order, each as written ("%-5.2ld");
// "%%" is none. False when a '%' does not start a complete conversion.
bool Conversions(std::string_view t, std::vector<std::string>& out) {
  out.clear();
  const auto at = [&](size_t i, std::string_view set) { return i < t.size() && set.find(t[i]) != set.npos; };
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] != '%') continue;
    const size_t start = i++;
    if (at(i, "%")) continue;
    while (at(i, "-+ #0'")) ++i;
    if (at(i, "*"))
      ++i;
    else
      while (at(i, "0123456789")) ++i;
    if (at(i, ".")) {
      ++i;
      if (at(i, "*"))
        ++i;
      else
        while (at(i, "0123456789")) ++i;
    }
    if (at(i, "hl") && i + 1 < t.size() && t[i + 1] == t[i])
      i += 2;
    else if (at(i, "hlLjztq"))
      ++i;
    if (!at(i, "diouxXeEfFgGaAcspn")) return false;
    out.emplace_back(t.substr(start, i - start + 1));
  }
  return true;
}

bool SameConversions(std::string_view english, std::string_view translation) {
  std::vector<std::string> a, b;
  return Conversions(english, a) && Conversions(translation, b) && a == b;
}

TEST(Catalogue, ConversionCheckCatchesChangedArguments) {
  const struct {
    const char* english;
    const char* translation;
    bool same;
  } cases[] = {
      {"line %d.", "%d 行目", true},
      {"line %d.", "行目", false},           // dropped
      {"line %d.", "%d 行目 %d", false},     // added
      {"%d of %s", "%s の %d", false},       // swapped
      {"%d", "%ld", false},                  // other length
      {"%d", "%i", false},                   // other type
      {"100%% %5.2f", "%5.2f 100%%", true},  // "%%" is no conversion
      {"%d", "%d 100%", false},              // '%' at the end
      {"%d", "%d %の", false},               // no conversion type
      {"%-+08.3lld %*d", "%-+08.3lld と %*d", true},
      {"%-+08.3lld %*d", "%-+08.3lld と %d", false},  // '*' takes an argument
  };
  for (const auto& c : cases) EXPECT_EQ(c.same, SameConversions(c.english, c.translation)) << c.translation;
}

// Identifiers looked up anywhere in the converter's sources, plus the two file
// filters that only the Windows dialogs use.
std::set<std::string> IdentifiersInSources() {
  std::set<std::string> ids = {"IDS_HALVEX_Model_File_Filter", "IDS_HALVEX_Result_File_Filter"};
  const std::regex literal("\"(IDS_HALVEX_[A-Za-z0-9_]+)\"");
  for (const char* folder : {"base", "cli", "host", "reader", "store", "writer", "geometry"}) {
    const std::filesystem::path dir = std::filesystem::path(hvxtest::SourceDir()) / folder;
    if (!std::filesystem::exists(dir)) continue;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
      if (!e.is_regular_file()) continue;
      const std::string text = hvxtest::ReadFile(e.path().string());
      for (std::sregex_iterator m(text.begin(), text.end(), literal), end; m != end; ++m) ids.insert((*m)[1]);
    }
  }
  return ids;
}

std::vector<std::string> SplitBars(const std::string& s) {
  std::vector<std::string> parts(1);
  for (char c : s) {
    if (c == '|')
      parts.emplace_back();
    else
      parts.back().push_back(c);
  }
  return parts;
}

TEST(Catalogue, EveryTranslationMatchesTheEnglishText) {
  const std::set<std::string> used = IdentifiersInSources();
  EXPECT_GT(used.size(), 8u);
  for (const std::string& id : used) EXPECT_GE(FindMessage(id.c_str()), 0) << id << " is not in the catalogue";

  for (const Message& m : Messages()) {
    const std::string english = m.text[kEnglish];
    for (int lang = 0; lang < kLanguageCount; ++lang) {
      SCOPED_TRACE(std::string(m.id) + " " + kLanguageNames[lang]);
      ASSERT_NE(nullptr, m.text[lang]);
      const std::string text = m.text[lang];
      ASSERT_FALSE(text.empty());
      EXPECT_TRUE(SameConversions(english, text));
      EXPECT_EQ(english.back() == '\n', text.back() == '\n');
      // Filters: descriptions may change, patterns and the field count not.
      const std::vector<std::string> e = SplitBars(english), t = SplitBars(text);
      ASSERT_EQ(e.size(), t.size());
      for (size_t i = 1; i < e.size(); i += 2) EXPECT_EQ(e[i], t[i]);
    }
  }
}

// A Japanese, Korean or Chinese Windows gets the texts in code page 932, 949
// or 936. Each translation must fit there (else its users read English), and
// no double-byte character may hide a '|' byte that would split a filter.
TEST(Catalogue, TranslationsFitTheirWindowsCodePages) {
  const char* const codePages[] = {nullptr, "CP932", "CP949", "CP936"};
  for (int lang = kJapanese; lang < kLanguageCount; ++lang) {
    iconv_t cd = iconv_open(codePages[lang], "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "no " << codePages[lang] << " converter";
    for (const Message& m : Messages()) {
      SCOPED_TRACE(std::string(m.id) + " " + kLanguageNames[lang]);
      std::string in = m.text[lang], out(in.size() * 2, '\0');
      char* src = in.data();
      char* dst = out.data();
      size_t srcLeft = in.size(), dstLeft = out.size();
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      ASSERT_NE(static_cast<size_t>(-1), iconv(cd, &src, &srcLeft, &dst, &dstLeft));
      out.resize(out.size() - dstLeft);
      EXPECT_EQ(std::count(in.begin(), in.end(), '|'), std::count(out.begin(), out.end(), '|'));
    }
    iconv_close(cd);
  }
}

TEST(Catalogue, LanguageFromTheEnvironment) {
  const struct {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    Language expected;
  } cases[] = {
      {nullptr, nullptr, nullptr, kEnglish},       {"ja_JP.UTF-8", "ko_KR.UTF-8", "zh_CN.UTF-8", kJapanese},
      {"", "ko_KR.UTF-8", "ja_JP.UTF-8", kKorean},  // empty is unset
      {nullptr, "", "zh_CN.UTF-8", kChinese},      {"C", "ja_JP.UTF-8", nullptr, kEnglish},
      {nullptr, nullptr, "POSIX", kEnglish},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, LanguageOfEnvironment(c.lcAll, c.lcMessages, c.lang))
        << (c.lcAll ? c.lcAll : "-") << " " << (c.lcMessages ? c.lcMessages : "-") << " " << (c.lang ? c.lang : "-");

  const struct {
    const char* name;
    Language expected;
  } names[] = {
      {"ja", kJapanese},         {"ja_JP", kJapanese}, {"ja_JP.utf8", kJapanese}, {"ja_JP.UTF-8@euro", kJapanese},
      {"ja_JP.eucJP", kEnglish}, {"jam_JM", kEnglish}, {"ko_KR.UTF-8", kKorean},  {"zh", kChinese},
      {"zh_CN.UTF-8", kChinese}, {"zh_SG", kChinese},  {"zh_Hans", kChinese},     {"zh-Hans-CN", kChinese},
      {"zh_TW.UTF-8", kEnglish}, {"zh_HK", kEnglish},  {"zh_Hant_TW", kEnglish},  {"C.UTF-8", kEnglish},
      {"en_US.UTF-8", kEnglish}, {"de_DE", kEnglish},
  };
  for (const auto& c : names) EXPECT_EQ(c.expected, LanguageOfLocale(c.name)) << c.name;
}

TEST(Catalogue, LanguageFromTheWindowsUiLanguage) {
  const struct {
    unsigned langId;
    Language expected;
  } cases[] = {
      {0x0411, kJapanese}, {0x0412, kKorean},  {0x0804, kChinese}, {0x1004, kChinese}, {0x0004, kChinese},
      {0x0404, kEnglish},  {0x0c04, kEnglish}, {0x7c04, kEnglish}, {0x0409, kEnglish}, {0x0407, kEnglish},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, LanguageOfLangId(c.langId)) << std::hex << c.langId;
}

// A dialog script reduced to its structure: comments, preprocessor lines and
// the LANGUAGE statement dropped, every string literal emptied.
std::string Structure(const std::string& rc) {
  std::istringstream in(rc);
  std::string out, line;
  while (std::getline(in, line)) {
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line.compare(first, 2, "//") == 0 || line[first] == '#' ||
        line.compare(first, 8, "LANGUAGE") == 0)
      continue;
    bool quoted = false;
    for (char c : line) {
      if (c == '"') quoted = !quoted;
      if (!quoted || c == '"') out += c;
    }
    out += '\n';
  }
  return out;
}

// The translated dialog templates keep the English controls, ids, styles and
// layout, and the main script includes each of them.
TEST(Dialogs, TranslationsChangeOnlyTexts) {
  const std::string dir = hvxtest::SourceDir() + "/resources/";
  const std::string english = Structure(hvxtest::ReadFile(dir + "dialogs_en.rc"));
  ASSERT_NE(std::string::npos, english.find("DIALOGEX"));
  const std::string main = hvxtest::ReadFile(dir + "dialogs.rc");
  for (const char* lang : {"ja", "ko", "zh"}) {
    const std::string name = std::string("dialogs_") + lang + ".rc";
    EXPECT_EQ(english, Structure(hvxtest::ReadFile(dir + name))) << name;
    EXPECT_NE(std::string::npos, main.find("#include \"resources/" + name + "\"")) << name;
  }
}

}  // namespace
