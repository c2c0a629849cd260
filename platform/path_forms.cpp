#include "platform/path_forms.h"

#include <vector>

namespace hvx {
namespace {

constexpr const wchar_t* kExtendedPrefix = L"\\\\?\\";
constexpr const wchar_t* kExtendedUncPrefix = L"\\\\?\\UNC\\";
constexpr const wchar_t* kDevicePrefix = L"\\\\.\\";

bool StartsWith(const std::wstring& s, const wchar_t* prefix) { return s.rfind(prefix, 0) == 0; }
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// The names of a path after `root` characters, "." dropped, ".." taking the
// name before it away (never the root), joined by "\".
std::wstring Tidied(const std::wstring& path, size_t root) {
  std::vector<std::wstring> names;
  std::wstring name;
  const auto endName = [&] {
    if (name == L"..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != L".") {
      names.push_back(name);
    }
    name.clear();
  };
  for (size_t i = root; i < path.size(); ++i) {
    if (IsSeparator(path[i]))
      endName();
    else
      name += path[i];
  }
  endName();
  std::wstring out;
  for (size_t i = 0; i < names.size(); ++i) out += (i == 0 ? L"" : L"\\") + names[i];
  // A path that ended in a separator names a folder; it keeps the separator.
  if (!path.empty() && IsSeparator(path.back()) && !out.empty()) out += L'\\';
  return out;
}

}  // namespace

std::wstring ExtendedLengthPath(const std::wstring& path) {
  if (path.size() < kExtendedLengthFrom || StartsWith(path, kExtendedPrefix) || StartsWith(path, kDevicePrefix))
    return path;
  // C:\ or C:/
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2]))
    return kExtendedPrefix + path.substr(0, 2) + L"\\" + Tidied(path, 3);
  // \\server\share\...: server and share are kept as they are.
  if (IsSeparator(path[0]) && IsSeparator(path[1]) && path.size() > 2 && !IsSeparator(path[2])) {
    size_t at = 2;
    for (int part = 0; part < 2 && at < path.size(); ++part) {
      while (at < path.size() && !IsSeparator(path[at])) ++at;
      if (part == 0) ++at;
    }
    std::wstring share = path.substr(2, at - 2);
    for (wchar_t& c : share)
      if (c == L'/') c = L'\\';
    return kExtendedUncPrefix + share + L"\\" + Tidied(path, at);
  }
  return path;
}

std::wstring WithoutExtendedPrefix(const std::wstring& path) {
  if (StartsWith(path, kExtendedUncPrefix)) return L"\\\\" + path.substr(8);
  if (StartsWith(path, kExtendedPrefix)) return path.substr(4);
  return path;
}

std::optional<std::string> EightBitPath(const std::wstring& path, const ExactAnsiFn& exact,
                                        const ShortFormFn& shortForm) {
  if (std::optional<std::string> text = exact(path)) return text;
  const std::optional<std::wstring> shortPath = shortForm(path);
  if (!shortPath) return std::nullopt;
  return exact(*shortPath);
}

}  // namespace hvx
