// Reference check of QSX command text: reads any QSX text (not the store that
// produced it) and lists every reference to something the text does not
// define: element nodes, materials, sections and thicknesses; load targets and
// load case names; group members; hinge, link and spring properties; spectrum
// and time functions; time-history and spectrum case names; boundary groups.
//
// The text may arrive in pieces of any size (lines may cross pieces) and may be
// anything: binary, empty, without a final line feed, with CRLF line ends or
// with very long lines. Memory is bounded by what is read, not by the numbers
// written in it: a kept line is cut at kMaxKeptLine bytes (group member lists
// are read as a stream and never cut); missing numbers that follow each other
// on one line (5 6 7 ..., or 10 20 30 ...) are held and reported as one run;
// unresolved references wait in a compact list of at most about
// pendingBytes. References may point forward: they are resolved by Finish.
//
// One checker per text and per thread; no shared state.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "check/dangling.h"

namespace hvx {

class CPieceNumbers;

// What the text looked like as a whole.
enum class EQsxVerdict {
  kQsx,         // text with at least one command line
  kEmpty,       // no bytes at all
  kBinary,      // holds NUL bytes
  kNoCommands,  // text, but no line starts with "*" and a letter
};

// Short lowercase description of a verdict ("QSX text", "empty", ...).
const char* QsxVerdictText(EQsxVerdict v);

struct CQsxCheckStats {
  long long bytes = 0;
  long long lines = 0;
  long long commandLines = 0;
  long long longLines = 0;           // lines cut at kMaxKeptLine (group lists excepted)
  long long uncheckedReferences = 0; // references beyond the pending-reference limit
  bool sawEndData = false;           // a "*ENDDATA" command line was read
};

class CQsxChecker {
 public:
  static constexpr size_t kMaxKeptLine = 64 * 1024;
  // References waiting for the end of the text take a few bytes each (a run
  // of numbers takes one entry); past this many bytes new ones are counted as
  // unchecked instead.
  static constexpr size_t kPendingBytes = size_t{48} << 20;

  // counting: the checker only counts (see Counted) and takes pieces by
  // their numbers where it can.
  explicit CQsxChecker(size_t pendingBytes = kPendingBytes, bool counting = false);
  ~CQsxChecker();
  CQsxChecker(const CQsxChecker&) = delete;
  CQsxChecker& operator=(const CQsxChecker&) = delete;

  // Takes the next piece of the text.
  void Feed(std::string_view chunk);
  // Takes the next piece of the text with the numbers of its lines, recorded
  // as they were formatted. A counting checker uses the numbers instead of
  // the text where they are whole lines of the section it is in, and counts
  // the references of those lines without listing them; otherwise the text
  // is read.
  void Feed(std::string_view chunk, const CPieceNumbers& numbers);
  // A counting checker takes the next piece of the text by the numbers of its
  // lines alone (whole lines of the section it is in; bytes: the size of
  // their text). False (nothing taken) when it cannot: the text must be fed
  // instead.
  bool FeedNumbers(const CPieceNumbers& numbers, size_t bytes);
  // Ends the text and returns the dangling references in file order: one
  // entry per reference site, or per run of missing numbers on one line.
  // Call once; Feed must not be called afterwards.
  CDanglingList Finish();

  // Valid after Finish: the dangling references, each number of a run
  // counted. Those Finish listed, and for a counting checker those of the
  // lines it took by their numbers as well; the same figure as a checker
  // that reads the whole text gives (but for references beyond the pending
  // limit, which that one counts as unchecked).
  long long Counted() const;
  // Valid after Finish.
  EQsxVerdict Verdict() const;
  const CQsxCheckStats& Stats() const;

 private:
  struct CImpl;
  std::unique_ptr<CImpl> m_impl;
};

// The whole check on one text held in memory.
CDanglingList CheckQsxText(std::string_view text);

}  // namespace hvx
