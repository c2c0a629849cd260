#include "cli/check_command.h"

#include "cli/buffered_text.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdarg>
#include <memory>
#include <system_error>

#include "base/ordered_run.h"
#include "check/qsxcheck.h"
#include "platform/console.h"
#include "platform/fileops.h"
#include "api/tool_text.h"

namespace hvx {

namespace {

constexpr size_t kPiece = 64 * 1024;

// printf to a standard stream, kept with the file's other output until the
// files before it are out; the text goes out as platform/console.h writes it
// (paths are UTF-8).
#if defined(__MINGW32__)
__attribute__((format(gnu_printf, 3, 4)))
#elif defined(__GNUC__)
__attribute__((format(printf, 3, 4)))
#endif
void Put(CBufferedText& to, std::FILE* f, const char* format, ...) {
  va_list args, again;
  va_start(args, format);
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  to.Put(f, text);
}

bool IsInteger(const std::string& s) {
  long long v;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
}

struct CFileChecked {
  CBufferedText text;
  int status = kCheckClean;
};

int CheckOneFile(const std::string& path, CBufferedText& to, std::FILE* out, std::FILE* err) {
  std::FILE* f = OpenFile(path, "rb");
  if (!f) {
    const int why = errno;
    // The system's text for the error as strerror gives it, from any thread.
    if (why == ENOENT)
      Put(to, err, "halvex2qsx: %s\n", Text(EText::kNoSuchFile, {path}).c_str());
    else
      Put(to, err, "halvex2qsx: %s: %s\n", path.c_str(), std::generic_category().message(why).c_str());
    return kCheckMissing;
  }
  CQsxChecker checker;
  std::unique_ptr<char[]> buf(new char[kPiece]);
  size_t got;
  while ((got = std::fread(buf.get(), 1, kPiece, f)) > 0) checker.Feed({buf.get(), got});
  const bool readError = std::ferror(f) != 0;
  std::fclose(f);
  const CDanglingList found = checker.Finish();
  if (readError) {
    Put(to, err, "halvex2qsx: %s\n", Text(EText::kReadError, {path}).c_str());
    return kCheckUnreadable;
  }
  if (checker.Verdict() != EQsxVerdict::kQsx) {
    Put(to, out, "%s: not a QSX file (%s)\n", path.c_str(), QsxVerdictText(checker.Verdict()));
    return kCheckUnreadable;
  }
  for (const CDangling& d : found) {
    const int sn = static_cast<int>(d.section.size());
    if (d.IsRun()) {
      Put(to, out, "%s:%lld: %.*s: missing %s\n", path.c_str(), d.line, sn, d.section.data(),
                   RunText(d).c_str());
      continue;
    }
    const char* q = IsInteger(d.name) ? "" : "\"";
    Put(to, out, "%s:%lld: %.*s: missing %.*s %s%s%s\n", path.c_str(), d.line, sn, d.section.data(),
                 static_cast<int>(d.kind.size()), d.kind.data(), q, d.name.c_str(), q);
  }
  const CQsxCheckStats& st = checker.Stats();
  if (st.longLines > 0)
    Put(to, out, "%s: note: %lld lines longer than %zu bytes were read in part\n",
                 path.c_str(), st.longLines, CQsxChecker::kMaxKeptLine);
  if (st.uncheckedReferences > 0)
    Put(to, out, "%s: note: %lld references not checked (too many unresolved)\n",
                 path.c_str(), st.uncheckedReferences);
  if (!st.sawEndData)
    Put(to, out, "%s: note: no *ENDDATA line; the file may be cut off\n", path.c_str());
  if (found.empty()) {
    Put(to, out, "%s: no dangling references\n", path.c_str());
    return kCheckClean;
  }
  Put(to, out, "%s: %lld dangling reference%s\n", path.c_str(), found.References(),
               found.References() == 1 ? "" : "s");
  return kCheckDangling;
}

}  // namespace

int RunCheckCommand(const std::vector<std::string>& files, std::FILE* out, std::FILE* err, unsigned jobs,
                    const std::function<bool()>& stopped) {
  if (files.empty()) {
    CBufferedText usage;
    Put(usage, err, "halvex2qsx: %s\n", Text(EText::kNoQsxGiven).c_str());
    usage.WriteOut();
    return kCheckUsage;
  }
  int status = kCheckClean;
  RunJobsInOrder(
      files.size(), jobs,
      [&](size_t i) {
        CFileChecked c;
        c.status = CheckOneFile(files[i], c.text, out, err);
        return c;
      },
      [&](size_t, CFileChecked& c) {
        c.text.WriteOut();
        status = std::max(status, c.status);
      },
      stopped);
  std::fflush(out);
  return status;
}

}  // namespace hvx
