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
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

namespace hvx {

class CPieceNumbers;

// One entry of the dangling references of a text: a single reference to
// something the text does not define, or a run of missing numbers on one line.
struct CDangling {
  std::string_view section;  // command keyword of the section holding it, e.g. "*ELEMENT"
  long long line = 0;        // 1-based line number in the text
  std::string_view kind;     // what is missing: "node", "element", "material", "load case", ...
  std::string name;          // a single reference: the missing number or name, as text; a run: ""
  // A run: count missing numbers first, first + step, ..., last (count at
  // least kMinRun, step not 0), referred to in this order on one line. A
  // single reference has count 1 and first, last and step 0.
  long long count = 1;
  long long first = 0;
  long long last = 0;
  long long step = 0;

  // Fewer missing numbers in a row are single references.
  static constexpr long long kMinRun = 3;
  bool IsRun() const { return count > 1; }
  bool operator==(const CDangling&) const = default;
};

// A run as text: "nodes 5 to 99 (95)", "elements 10 to 50 step 10 (5)".
std::string RunText(const CDangling& run);

// Section and kind rows of the last two entries of a CDanglingList, on which
// the next entry builds (-1: none, or given as texts).
struct CDanglingRows {
  int section = -1, kind = -1;    // the last entry's
  int section2 = -1, kind2 = -1;  // the one before, when its rows differ
};

// The dangling references of a text in file order, held in a few bytes per
// entry and read back by iteration (an input iterator that decodes one entry
// at a time). The section and kind texts of an entry read from a list stay
// valid as long as the list.
class CDanglingList {
 public:
  class const_iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = CDangling;
    using difference_type = std::ptrdiff_t;
    using pointer = const CDangling*;
    using reference = const CDangling&;

    const CDangling& operator*() const { return m_entry; }
    const CDangling* operator->() const { return &m_entry; }
    const_iterator& operator++();
    const_iterator operator++(int) {
      const_iterator old = *this;
      ++*this;
      return old;
    }
    bool operator==(const const_iterator& o) const { return m_pos == o.m_pos; }

   private:
    friend class CDanglingList;
    friend struct CDanglingCodec;
    std::string_view m_bytes;  // the list's entries
    size_t m_pos = 0;   // start of the entry held
    size_t m_next = 0;  // start of the next one
    long long m_line = 0;
    CDanglingRows m_rows;
    CDangling m_entry;
  };

  const_iterator begin() const;
  const_iterator end() const;
  bool empty() const { return m_entries == 0; }
  // Entries: a run counts once.
  size_t size() const { return m_entries; }
  // Dangling references: each number of a run counts.
  long long References() const { return m_references; }
  // Bytes held.
  size_t Bytes() const { return m_used; }

  void push_back(const CDangling& d);
  void assign(size_t n, const CDangling& d);
  void clear();

  // Same entries in the same order.
  bool operator==(const CDanglingList& o) const;

 private:
  friend struct CDanglingCodec;
  std::string m_bytes;  // entries, then room for more
  size_t m_used = 0;    // bytes of the entries
  size_t m_entries = 0;
  long long m_references = 0;
  long long m_line = 0;  // line of the last entry, on which the next builds
  CDanglingRows m_rows;
};

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

  // plainLines: the lines of nodes, elements and loads are read by their
  // leading numbers where their shape allows; false reads every line by all
  // its fields (the findings are the same: for tests). counting: the
  // checker only counts (see Counted) and takes pieces by their numbers
  // where it can.
  explicit CQsxChecker(size_t pendingBytes = kPendingBytes, bool plainLines = true, bool counting = false);
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

// Whether numbers holds what the check reads from the lines of text, all of
// them data lines of a section of their shape (for tests of what records
// the numbers).
bool NumbersMatchText(std::string_view text, const CPieceNumbers& numbers);

}  // namespace hvx
