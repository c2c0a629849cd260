// Windows path forms that need no Windows function: the extended-length form
// of long paths (Wine does not enforce MAX_PATH, so only this shows it) and
// the 8-bit text the plug-in hands its host, with the short-name lookup
// standing in for a volume with and without short names.
#include "platform/path_forms.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <map>

#include "tests/case_files.h"
#include "tests/testutil.h"

namespace {

// A path of a case: UTF-8, with "<Nc>" for N characters c.
std::wstring Wide(const std::string& s) {
  std::wstring w, out;
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    auto c = static_cast<wchar_t>(n == 1 ? b : b & (0x3F >> (n - 1)));
    for (int k = 1; k < n; ++k) c = static_cast<wchar_t>((c << 6) | (s[i + k] & 0x3F));
    w += c;
    i += n;
  }
  for (size_t i = 0, end; i < w.size(); ++i) {
    if (w[i] != L'<' || (end = w.find(L'>', i)) == w.npos || !iswdigit(w[i + 1])) {
      out += w[i];
      continue;
    }
    out.append(std::stoul(w.substr(i + 1)), w[end - 1]);
    i = end;
  }
  return out;
}

// A code page that holds ASCII only.
std::optional<std::string> AsciiOnly(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) {
    if (c > 0x7f) return std::nullopt;
    s += static_cast<char>(c);
  }
  return s;
}

// Each case of tables/path_forms.txt, on a file system whose short names are
// listed (a file not listed does not exist).
TEST(PathForms, ExtendedLengthAndEightBitForms) {
  const std::map<std::wstring, std::wstring> shortNames = {
      {L"C:\\Проекты\\мост\\model.hvt", L"C:\\D0A1~1\\3C4B~1\\model.hvt"},
      {L"C:\\設計\\塔.hvt", L"C:\\8A2B~1\\B9D4~1.HVT"},
      // A volume with short names turned off keeps the long names.
      {L"E:\\Проекты\\model.hvt", L"E:\\Проекты\\model.hvt"},
      // Short names on the file's volume, but not for the folder.
      {L"F:\\設計\\塔.hvt", L"F:\\設計\\B9D4~1.HVT"},
  };
  const hvx::ShortFormFn shortForm = [&](const std::wstring& p) -> std::optional<std::wstring> {
    const auto it = shortNames.find(p);
    if (it == shortNames.end()) return std::nullopt;
    return it->second;
  };
  for (const hvxtest::CaseRecord& c : hvxtest::ReadCases("path_forms.txt", {"extended", "strip", "eight-bit", "to"},
                                                         false)) {
    SCOPED_TRACE(c.where);
    const std::string to = c.Get("to");
    ASSERT_EQ(1, c.Has("extended") + c.Has("strip") + c.Has("eight-bit"));
    const std::wstring from = Wide(c.Get("extended") + c.Get("strip") + c.Get("eight-bit"));
    if (c.Has("eight-bit")) {
      EXPECT_EQ(to == "@NONE" ? std::nullopt : std::optional(to), hvx::EightBitPath(from, AsciiOnly, shortForm));
    } else {
      EXPECT_EQ(Wide(to), c.Has("strip") ? hvx::WithoutExtendedPrefix(from) : hvx::ExtendedLengthPath(from));
    }
  }
}

}  // namespace
