// halvex2qsx --check FILE...: the reference check of QSX files on the command
// line. Each dangling reference, or run of missing numbers on one line, is one
// line on `out`:
//   FILE:LINE: SECTION: missing KIND NUMBER                 (numbers)
//   FILE:LINE: SECTION: missing KIND "NAME"                 (names)
//   FILE:LINE: SECTION: missing KINDs FIRST to LAST (N)     (a run of N numbers)
//   FILE:LINE: SECTION: missing KINDs FIRST to LAST step S (N)
// then one closing line per file ("FILE: N dangling references", counting each
// number of a run, "FILE: no dangling references" or "FILE: not a QSX file
// (WHY)"). A file that cannot be opened is reported on `err`.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace hvx {

enum ECheckExit {
  kCheckClean = 0,
  kCheckUsage = 1,
  kCheckUnreadable = 2,  // not QSX text (empty, binary, no command line) or a read error
  kCheckMissing = 3,     // a file does not exist or cannot be opened
  kCheckDangling = 5,
};

// Checks each file; returns the highest status of all files. With jobs above
// 1 up to that many files are checked at once, their output still in the
// order of the files. No file is started once stopped() says so.
int RunCheckCommand(const std::vector<std::string>& files, std::FILE* out, std::FILE* err, unsigned jobs = 1,
                    const std::function<bool()>& stopped = {});

}  // namespace hvx
