// The translations: every identifier the sources look up is in the catalogue,
// each translation (the catalogue's and the tool's own texts) is a drop-in
// for the English text, the language follows
// the locale, the translated dialog scripts change only texts, and the dialogs
// shown are the nearest to the user's language.
#include "resources/catalogue.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "api/tool_text.h"
#include "plugin/dialog_language.h"
#include "tests/case_files.h"
#include "tests/testutil.h"

using namespace hvx;

namespace {

// The printf conversions of a text in order, each as written ("%-5.2ld"),
// "%%" being none; "?" for a '%' that starts no complete conversion.
std::vector<std::string> Conversions(const std::string& t) {
  std::vector<std::string> out;
  const auto at = [&](size_t i, std::string_view set) { return i < t.size() && set.find(t[i]) != set.npos; };
  const auto number = [&](size_t& i) {
    if (at(i, "*")) return void(++i);
    while (at(i, "0123456789")) ++i;
  };
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] != '%') continue;
    const size_t start = i++;
    if (at(i, "%")) continue;
    while (at(i, "-+ #0'")) ++i;
    number(i);
    if (at(i, ".")) number(++i);
    if (at(i, "hl") && at(i + 1, t.substr(i, 1))) ++i;
    if (at(i, "hlLjzt")) ++i;
    out.push_back(at(i, "diouxXeEfFgGaAcspn") ? t.substr(start, i - start + 1) : "?");
  }
  return out;
}

TEST(Catalogue, ConversionCheckCatchesChangedArguments) {
  for (const hvxtest::CaseRow& r : hvxtest::CaseRows("conversions.txt", 3)) {
    const bool same = Conversions(r.fields[0]) == Conversions(r.fields[1]);
    EXPECT_EQ(r.fields[2], same ? "same" : "differ") << "conversions.txt:" << r.line;
  }
}

// Identifiers in the sources, and the two filters the Windows dialog asks for.
std::set<std::string> IdentifiersInSources() {
  std::set<std::string> ids = {"IDS_HALVEX_Model_File_Filter", "IDS_HALVEX_Result_File_Filter"};
  const std::regex literal("\"(IDS_HALVEX_[A-Za-z0-9_]+)\"");
  for (const char* folder : {"base", "cli", "api", "plugin", "platform", "reader", "writer"})
    for (const auto& e : std::filesystem::recursive_directory_iterator(hvxtest::SourceDir() + "/" + folder)) {
      const std::string text = e.is_regular_file() ? hvxtest::ReadFile(e.path().string()) : "";
      for (std::sregex_iterator m(text.begin(), text.end(), literal), end; m != end; ++m) ids.insert((*m)[1]);
    }
  return ids;
}

// Descriptions may change between the '|' of a filter, patterns may not.
std::vector<std::string> FilterPatterns(const std::string& s) {
  std::vector<std::string> fields(1);
  for (char c : s) c == '|' ? void(fields.emplace_back()) : fields.back().push_back(c);
  for (size_t i = 0; i < fields.size(); i += 2) fields[i] = "description";
  return fields;
}

// The placeholders of a tool text ("{1}" to "{9}").
std::multiset<std::string> Placeholders(const std::string& text) {
  static const std::regex placeholder("\\{[1-9]\\}");
  std::multiset<std::string> found;
  for (std::sregex_iterator m(text.begin(), text.end(), placeholder), end; m != end; ++m) found.insert(m->str());
  return found;
}

// A Japanese, Korean or Chinese Windows gets the texts in code page 932, 949
// or 936: each translation of the catalogue and of the tool's own texts must
// fit there (else its users read English), and no double-byte character may
// carry a '|' byte that would split a filter.
TEST(Catalogue, EveryTranslationMatchesTheEnglishText) {
  const std::set<std::string> used = IdentifiersInSources();
  EXPECT_GT(used.size(), 8u);
  for (const std::string& id : used) EXPECT_GE(FindMessage(id.c_str()), 0) << id << " is not in the catalogue";
  const char* const codePages[] = {"", "CP932", "CP949", "CP936"};
  for (int lang = kJapanese; lang < kLanguageCount; ++lang) {
    iconv_t cd = iconv_open(codePages[lang], "UTF-8");
    const bool none = cd == reinterpret_cast<iconv_t>(-1);
    if (none) GTEST_LOG_(WARNING) << "no " << codePages[lang] << " converter: not checked";
    // The text in the code page ("" when it does not fit), or itself without a converter.
    const auto converted = [&](std::string text) {
      std::string out(text.size() * 2, '\0');
      char *src = text.data(), *dst = out.data();
      size_t srcLeft = text.size(), dstLeft = out.size();
      if (none) return text;
      if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) return std::string();
      return out.substr(0, out.size() - dstLeft);
    };
    for (const Message& m : Messages()) {
      SCOPED_TRACE(std::string(m.id) + " in language " + std::to_string(lang));
      ASSERT_TRUE(m.text[lang] && *m.text[lang]);
      const std::string english = m.text[kEnglish], text = m.text[lang], out = converted(text);
      EXPECT_EQ(Conversions(english), Conversions(text));
      EXPECT_EQ(english.back() == '\n', text.back() == '\n');
      EXPECT_EQ(FilterPatterns(english), FilterPatterns(text));
      EXPECT_NE("", out) << codePages[lang];
      EXPECT_EQ(std::count(text.begin(), text.end(), '|'), std::count(out.begin(), out.end(), '|'));
    }
    for (int id = 0; id < static_cast<int>(EText::kCount); ++id) {
      const CToolText& t = ToolTexts()[id];
      SCOPED_TRACE("tool text " + std::to_string(id) + " in language " + std::to_string(lang));
      EXPECT_EQ(id, static_cast<int>(t.id));
      ASSERT_TRUE(t.text[lang] && *t.text[lang]);
      const std::string english = t.text[kEnglish], text = t.text[lang];
      // The plural form, where English has two.
      EXPECT_EQ(Placeholders(english.substr(english.find('|') + 1)), Placeholders(text));
      EXPECT_EQ(std::string::npos, text.find('|')) << "only English has two forms";
      EXPECT_NE("", converted(text)) << codePages[lang];
    }
    if (!none) iconv_close(cd);
  }
}

TEST(Catalogue, LanguageFromTheEnvironmentAndOfTheDialogs) {
  const std::vector<std::string> names = {"English", "Japanese", "Korean", "Chinese"};  // by Language
  const auto hex = [](const std::string& s) { return static_cast<uint16_t>(std::stoul(s, nullptr, 16)); };
  for (const hvxtest::CaseRow& r : hvxtest::CaseRows("languages.txt", 3)) {
    SCOPED_TRACE("languages.txt:" + std::to_string(r.line));
    std::vector<std::string> v(1);  // LC_ALL|LC_MESSAGES|LANG, or the dialogs' LANGIDs|the user's
    for (char c : r.fields[1]) c == '|' ? void(v.emplace_back()) : v.back().push_back(c);
    if (r.fields[0] == "dialog") {
      std::vector<uint16_t> available;
      std::istringstream in(v[0]);
      for (std::string id; in >> id;) available.push_back(hex(id));
      EXPECT_EQ(hex(r.fields[2]), hvx::ChooseDialogLanguage(available, hex(v.at(1))));
      continue;
    }
    const auto var = [&](size_t i) { return v.at(i) == "-" ? nullptr : v[i].c_str(); };
    const Language got = r.fields[0] == "environment" ? LanguageOfEnvironment(var(0), var(1), var(2))
                         : r.fields[0] == "locale"    ? LanguageOfLocale(r.fields[1].c_str())
                                                      : LanguageOfLangId(hex(r.fields[1]));
    EXPECT_EQ(r.fields[2], names.at(got));
  }
}

// A dialog script without comments, preprocessor lines, blank lines and its
// LANGUAGE statement, every string literal emptied.
std::string Structure(const std::string& rc) {
  const std::string noTexts = std::regex_replace(rc, std::regex("\"[^\"\n]*\""), "\"\"");
  return std::regex_replace(noTexts, std::regex("^[ \t]*((#|//|LANGUAGE).*)?\n", std::regex::multiline), "");
}

TEST(Dialogs, TranslationsChangeOnlyTexts) {
  const std::string dir = hvxtest::SourceDir() + "/resources/";
  const std::string english = Structure(hvxtest::ReadFile(dir + "dialogs_en.rc"));
  ASSERT_NE(std::string::npos, english.find("DIALOGEX"));
  const std::string main = hvxtest::ReadFile(dir + "dialogs.rc");
  for (const std::string name : {"dialogs_ja.rc", "dialogs_ko.rc", "dialogs_zh.rc"}) {
    EXPECT_EQ(english, Structure(hvxtest::ReadFile(dir + name))) << name;
    EXPECT_NE(std::string::npos, main.find("#include \"resources/" + name + "\"")) << name;
  }
}

}  // namespace
