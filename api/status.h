// The statuses of a conversion, in one table: code, name, what it means and
// its text in the four languages. The tool's exit statuses and its help, the
// C interface's #defines (halvex.h, tied to the table by static_assert), the
// page's header and the severity order of a batch all come from here.
#pragma once

#include <string>

namespace hvx {

enum EConvertStatus : int {
  kStatusDone = 0,          // converted (message lines may still report problems)
  kStatusBadArguments = 1,  // no model path, or an output folder that is not one
  kStatusFailed = 2,        // the model could not be opened, or writing gave up
  kStatusMissing = 3,       // the model file does not exist; nothing written
  kStatusFileError = 4,     // a file could not be written (named in the errors), or it
                            // would have been the model or another input: nothing written
  kStatusLossy = 5,         // strict: written, but something was passed over or the file
                            // has dangling references
  kStatusCancelled = 6,     // the progress callback asked to stop; the folder is as it was
};

struct CStatusInfo {
  int code;
  const char* name;     // as halvex.h names it after "HALVEX_"
  int severity;         // a batch's status is the most severe of its models'
  const char* meaning;  // the help's words for the exit status; nullptr: not an exit status of the tool
  const char* text[4];  // short text: English, Japanese, Korean, Simplified Chinese
};
inline constexpr int kStatusCount = 7;
// kStatusCount entries, in the order of their codes.
const CStatusInfo* StatusTable();
// The entry of a code; the one of kStatusFailed for a code out of range.
const CStatusInfo& StatusInfo(int code);
// The status's short text in a language (0 to 3).
std::string StatusText(int code, int language = 0);

// The status of several conversions: the more severe of the two.
int MoreSevere(int a, int b);

// The help's paragraph on exit statuses, wrapped to width columns.
std::string ExitStatusHelp(size_t width);

}  // namespace hvx
