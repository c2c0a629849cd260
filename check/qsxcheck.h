// Reference check of QSX command text: reads any QSX text (not the store that
// produced it) and lists every reference to something the text does not
// define: element nodes, materials, sections and thicknesses; load targets and
// load case names; group members; hinge, link and spring properties; spectrum
// and time functions; time-history and spectrum case names; boundary groups.
//
// The text may arrive in pieces of any size (lines may cross pieces) and may be
// anything: binary, empty, without a final line feed, with CRLF line ends or
// with very long lines. Memory per line is bounded (a kept line is cut at
// kMaxKeptLine bytes; group member lists are read as a stream and never cut).
// References may point forward: they are resolved by Finish.
//
// One checker per text and per thread; no shared state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace hvx {

// A reference to something the text does not define.
struct CDangling {
  std::string section;  // command keyword of the section holding it, e.g. "*ELEMENT"
  long long line = 0;   // 1-based line number in the text
  std::string kind;     // what is missing: "node", "element", "material", "load case", ...
  std::string name;     // the missing number or name, as text
};

bool operator==(const CDangling& a, const CDangling& b);

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

  CQsxChecker();
  ~CQsxChecker();
  CQsxChecker(const CQsxChecker&) = delete;
  CQsxChecker& operator=(const CQsxChecker&) = delete;

  // Takes the next piece of the text.
  void Feed(std::string_view chunk);
  // Ends the text and returns the dangling references in file order, one per
  // reference site. Call once; Feed must not be called afterwards.
  std::vector<CDangling> Finish();

  // Valid after Finish.
  EQsxVerdict Verdict() const;
  const CQsxCheckStats& Stats() const;

 private:
  struct CImpl;
  std::unique_ptr<CImpl> m_impl;
};

// The whole check on one text held in memory.
std::vector<CDangling> CheckQsxText(std::string_view text);

}  // namespace hvx
