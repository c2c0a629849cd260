// Windows path forms that need no Windows function: the extended-length form
// of long paths (Wine does not enforce MAX_PATH, so only this shows it) and
// the 8-bit text the plug-in hands its host, with the short-name lookup
// standing in for a volume with and without short names.
#include "platform/path_forms.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using hvx::kExtendedLengthFrom;

// A folder name of n characters.
std::wstring Name(size_t n, wchar_t c = L'd') { return std::wstring(n, c); }

TEST(PathForms, ExtendedLengthForLongPathsOnly) {
  // 250 characters from the drive letter on.
  const std::wstring deep = Name(120) + L"\\" + Name(120, L'e') + L"\\m.hvt";
  const std::wstring atLimit = L"C:\\" + Name(kExtendedLengthFrom - 4) + L"\\";
  const std::wstring belowLimit = L"C:\\" + Name(kExtendedLengthFrom - 5) + L"\\";
  ASSERT_EQ(kExtendedLengthFrom, atLimit.size());
  const struct {
    const char* name;
    std::wstring in, out;
  } cases[] = {
      {"short path unchanged", L"C:\\m\\model.hvt", L"C:\\m\\model.hvt"},
      {"one below the limit unchanged", belowLimit, belowLimit},
      {"drive path at the limit", atLimit, L"\\\\?\\" + atLimit},
      {"drive path", L"C:\\" + deep, L"\\\\?\\C:\\" + deep},
      {"the last drive letters", L"Z:\\" + deep, L"\\\\?\\Z:\\" + deep},
      {"a drive letter in lower case", L"z:\\" + deep, L"\\\\?\\z:\\" + deep},
      {"slashes become backslashes", L"D:/" + Name(120) + L"/" + Name(120, L'e') + L"/m.hvt", L"\\\\?\\D:\\" + deep},
      {"repeated separators folded", L"C:\\\\" + Name(120) + L"\\\\\\" + Name(120, L'e') + L"\\m.hvt",
       L"\\\\?\\C:\\" + deep},
      {"dot and dot-dot resolved", L"C:\\.\\x\\..\\" + Name(120) + L"\\y\\z\\..\\..\\" + Name(120, L'e') + L"\\m.hvt",
       L"\\\\?\\C:\\" + deep},
      {"dot-dot stops at the drive", L"C:\\..\\..\\" + deep, L"\\\\?\\C:\\" + deep},
      {"network share", L"\\\\server\\share\\" + deep, L"\\\\?\\UNC\\server\\share\\" + deep},
      {"network share with slashes", L"//server/share/" + Name(120) + L"/" + Name(120, L'e') + L"/m.hvt",
       L"\\\\?\\UNC\\server\\share\\" + deep},
      {"dot-dot stops at the share", L"\\\\server\\share\\..\\" + deep, L"\\\\?\\UNC\\server\\share\\" + deep},
      {"already extended", L"\\\\?\\C:\\" + deep, L"\\\\?\\C:\\" + deep},
      {"device path", L"\\\\.\\C:\\" + deep, L"\\\\.\\C:\\" + deep},
      {"relative path unchanged", deep, deep},
      {"Unix path under Wine unchanged", L"/" + deep, L"/" + deep},
      {"non-ASCII names kept", L"C:\\Проекты\\" + Name(250, L'塔'), L"\\\\?\\C:\\Проекты\\" + Name(250, L'塔')},
  };
  for (const auto& c : cases) EXPECT_EQ(c.out, hvx::ExtendedLengthPath(c.in)) << c.name;
  // And back, as the short-name lookup gives its result.
  EXPECT_EQ(L"\\\\server\\share\\a", hvx::WithoutExtendedPrefix(L"\\\\?\\UNC\\server\\share\\a"));
  EXPECT_EQ(L"C:\\a", hvx::WithoutExtendedPrefix(L"\\\\?\\C:\\a"));
  EXPECT_EQ(L"C:\\a", hvx::WithoutExtendedPrefix(L"C:\\a"));
}

// A code page that holds ASCII only, and a file system whose short names are
// listed (a file not listed does not exist).
std::optional<std::string> AsciiOnly(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) {
    if (c > 0x7f) return std::nullopt;
    s += static_cast<char>(c);
  }
  return s;
}

TEST(PathForms, EightBitTextOfAPath) {
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
  const struct {
    const char* name;
    std::wstring path;
    std::optional<std::string> text;
  } cases[] = {
      {"fits the code page: itself, even with a short form", L"C:\\m\\model.hvt", "C:\\m\\model.hvt"},
      {"Cyrillic folders: the short form", L"C:\\Проекты\\мост\\model.hvt", "C:\\D0A1~1\\3C4B~1\\model.hvt"},
      {"Japanese folder and name: the short form", L"C:\\設計\\塔.hvt", "C:\\8A2B~1\\B9D4~1.HVT"},
      {"no short names on the volume: none", L"E:\\Проекты\\model.hvt", std::nullopt},
      {"folder without a short name: none", L"F:\\設計\\塔.hvt", std::nullopt},
      {"file that does not exist: none", L"C:\\Проекты\\new.hvt", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, hvx::EightBitPath(c.path, AsciiOnly, shortForm)) << c.name;
}

}  // namespace
