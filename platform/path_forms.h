// Forms of Windows paths that need no Windows function, so that they are
// tested on every platform: the extended-length form the wide file functions
// take beyond MAX_PATH, and the 8-bit text of a path that the plug-in hands
// to its host. Paths here are wide strings (UTF-16 on Windows).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace hvx {

// From this length on (in UTF-16 units) a path gets the extended-length form:
// MAX_PATH (260) less the 12 characters of an 8.3 file name, the limit below
// which the system takes the path of a folder.
inline constexpr size_t kExtendedLengthFrom = 248;

// The extended-length form of an absolute path of kExtendedLengthFrom or more
// characters: "\\?\C:\a\b" for "C:\a\b", "\\?\UNC\server\share\a" for
// "\\server\share\a". The system does not tidy a path in that form, so "/"
// becomes "\", repeated separators are folded and "." and ".." resolved here.
// Shorter paths, relative ones, and paths already beginning "\\?\" or "\\.\"
// come back unchanged.
std::wstring ExtendedLengthPath(const std::wstring& path);

// A path without the "\\?\" or "\\?\UNC\" of its extended-length form.
std::wstring WithoutExtendedPrefix(const std::wstring& path);

// The text of a path in the ANSI code page, or nothing when one of its
// characters has no exact counterpart there.
using ExactAnsiFn = std::function<std::optional<std::string>(const std::wstring&)>;
// The short (8.3) form of an existing file's path, or nothing when the file
// cannot be found. A folder or file without a short name keeps its long name
// in it (a volume may have short names turned off).
using ShortFormFn = std::function<std::optional<std::wstring>(const std::wstring&)>;

// The 8-bit text of a path for the host: the path itself in the ANSI code
// page when it fits, else its short form when that fits; nothing otherwise.
std::optional<std::string> EightBitPath(const std::wstring& path, const ExactAnsiFn& exact,
                                        const ShortFormFn& shortForm);

}  // namespace hvx
