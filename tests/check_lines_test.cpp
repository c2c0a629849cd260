// The reference check reads the lines of nodes, elements and loads by their
// leading numbers where they have the plain shape the writer gives them, and
// any other line by all its fields: both ways must find the same whatever
// the lines look like and however the text is cut into pieces; and the check
// fed on its thread with pieces it takes without a copy finds what the text
// has.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "check/qsxcheck.h"
#include "api/check_feed.h"

namespace {

struct CResult {
  hvx::CDanglingList found;
  hvx::CQsxCheckStats stats;
  hvx::EQsxVerdict verdict;
};

void ExpectSame(const CResult& a, const CResult& b, const std::string& what) {
  EXPECT_TRUE(a.found == b.found) << what;
  EXPECT_EQ(a.found.References(), b.found.References()) << what;
  EXPECT_EQ(a.stats.lines, b.stats.lines) << what;
  EXPECT_EQ(a.stats.bytes, b.stats.bytes) << what;
  EXPECT_EQ(a.stats.commandLines, b.stats.commandLines) << what;
  EXPECT_EQ(a.stats.longLines, b.stats.longLines) << what;
  EXPECT_EQ(a.stats.uncheckedReferences, b.stats.uncheckedReferences) << what;
  EXPECT_EQ(a.verdict, b.verdict) << what;
}

CResult Finish(hvx::CQsxChecker& c) {
  CResult r;
  r.found = c.Finish();
  r.stats = c.Stats();
  r.verdict = c.Verdict();
  return r;
}

// The text in pieces cut after some line ends and, unless wholeLines, at
// some other places.
std::vector<std::string> Pieces(const std::string& text, std::mt19937& rng, bool wholeLines) {
  std::vector<std::string> pieces;
  size_t from = 0;
  for (size_t p = 0; p < text.size(); ++p) {
    if ((text[p] == '\n' && rng() % 4 == 0) || (!wholeLines && rng() % 40 == 0)) {
      pieces.push_back(text.substr(from, p + 1 - from));
      from = p + 1;
    }
  }
  pieces.push_back(text.substr(from));
  return pieces;
}

// The text with 18 zeros put before the digits of every field 1 that is a
// whole number, outside *GROUP (whose field 1 is a name): the same numbers,
// but more digits than the leading numbers are read by, so that every line is
// read by all its fields. bytes: how many bytes were added.
std::string Widened(const std::string& text, long long& bytes) {
  std::string out;
  std::string section;
  bytes = 0;
  for (size_t from = 0; from < text.size();) {
    size_t end = text.find('\n', from);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(from, end - from);
    from = end;
    if (line[0] == '*') {
      section = line.substr(0, line.find_first_of(" ,;\r\n"));
    } else if (section != "*GROUP") {
      // Field 1 trimmed, from b to e.
      const std::string field = line.substr(0, std::min(line.find(','), line.find('\n')));
      const size_t b = field.find_first_not_of(" \t\r");
      const size_t e = field.find_last_not_of(" \t\r") + 1;
      const size_t digits = b == std::string::npos ? e : b + (field[b] == '-');
      if (digits < e && field.find_first_not_of("0123456789", digits) >= e) {
        line.insert(digits, 18, '0');
        bytes += 18;
      }
    }
    out += line;
  }
  return out;
}

// Read by all fields, by plain lines as a whole and in pieces.
void ExpectSameEveryWay(const std::string& text, uint32_t seed, size_t pendingBytes = hvx::CQsxChecker::kPendingBytes) {
  std::mt19937 rng(seed);
  hvx::CQsxChecker general(pendingBytes), plain(pendingBytes), pieces(pendingBytes);
  long long added;
  general.Feed(Widened(text, added));
  plain.Feed(text);
  for (const std::string& piece : Pieces(text, rng, false)) pieces.Feed(piece);
  CResult g = Finish(general);
  EXPECT_EQ(static_cast<long long>(text.size()) + added, g.stats.bytes);
  g.stats.bytes -= added;
  ExpectSame(g, Finish(plain), "plain lines, seed " + std::to_string(seed) + ":\n" + text);
  ExpectSame(g, Finish(pieces), "plain lines in pieces, seed " + std::to_string(seed) + ":\n" + text);
}

// Shapes of fields a line of the long sections may have, plain or not.
const char* const kFields[] = {
    "1",    "  5",  "17  ", " 0 ", "-3", "3-", "",   "  ",  "\t4", "4\t", "5\r", "x",  "1.5", "1e3",
    "+7",   "- 7",  "12 13", "123456789012345678", "1234567890123456789", "-999999999999999999",
    "BEAM", "BEAM  ", " TRUSS", "PLATE ", "PLSTRS", "PLSTRN", "SOLID", "SOLID ", "beam", "REF", "0.58",
};

const char* const kTypes[] = {"TRUSS", "BEAM", "PLATE", "PLSTRS", "PLSTRN", "SOLID"};

std::string RandomLine(std::mt19937& rng) {
  std::string line;
  const int fields = static_cast<int>(rng() % 14);
  for (int f = 0; f < fields; ++f) {
    if (f > 0) line += ',';
    if (f == 1 && rng() % 2 == 0) {
      // An element type, padded as the writer pads it or not.
      line += std::string(rng() % 2, ' ') + kTypes[rng() % std::size(kTypes)] + std::string(rng() % 3, ' ');
    } else if (rng() % 4 != 0) {
      // Mostly small numbers and empty slots, so that definitions and
      // references meet.
      line += std::string(rng() % 4, ' ') + std::to_string(rng() % 16);
    } else {
      line += kFields[rng() % std::size(kFields)];
    }
  }
  return line;
}

TEST(CheckLines, EveryWayOfReadingFindsTheSame) {
  const char* const sections[] = {"*NODE", "*ELEMENT", "*CONLOAD", "*BEAMLOAD", "*PRESSURE", "*MATERIAL",
                                  "*SECTION", "*THICKNESS", "*GROUP", "*FRAME-RLS", "*UNKNOWN", "; note"};
  std::mt19937 rng(20261206);
  for (uint32_t seed = 0; seed < 300; ++seed) {
    std::string text;
    const int lines = 1 + static_cast<int>(rng() % 60);
    for (int i = 0; i < lines; ++i) {
      if (rng() % 8 == 0) text += std::string(sections[rng() % std::size(sections)]) + "\n";
      else text += RandomLine(rng) + (rng() % 10 == 0 ? "\r\n" : "\n");
    }
    if (rng() % 3 == 0) text += RandomLine(rng);  // no final line feed
    ExpectSameEveryWay(text, seed);
  }
}

TEST(CheckLines, ElementsBeforeAndAfterTheirDefinitions) {
  const std::string nodes = "*NODE\n  1, 0, 0, 0\n  2, 1, 0, 0\n  3, 1, 1, 0\n  4, 0, 1, 0\n";
  const std::string elements =
      "*ELEMENT\n"
      "     1, TRUSS ,     1,     1,     1,     2, 0\n"
      "     2, BEAM  ,     2,     1,     2,     9, REF, 0, 0, 1\n"
      "     3, PLATE ,     1,     1,     1,     2,     3,     0,     2\n"
      "     4, PLSTRS,     1,     7,     1,     2,     3,     4,     1\n"
      "     5, SOLID ,     1,     0,     1,     2,     3,     4,     5,     6,     0,     0\n"
      "     6, SOLID ,     1,     x,     1,     2,     3,     4,     0,     0,     0,     8\n"
      "     7, BEAM  ,     1,     1,     1\n"
      "     8, BEAM  ,     1,     1,     1, 99999999999999999999\n"
      "     9, PLSTRN,     3,     1,    11,    12,    13,    14,     1\n";
  const std::string defs = "*MATERIAL\n 1, STEEL\n 2, X\n*SECTION\n 1, DBUSER\n*THICKNESS\n 1, VALUE\n";
  for (const std::string& text : {nodes + elements + defs, elements + nodes + defs, defs + elements, elements})
    ExpectSameEveryWay(text + "*ENDDATA\n", 1);
}

TEST(CheckLines, PendingLimitIsMetAtTheSameReference) {
  std::string text = "*CONLOAD\n";
  for (int i = 0; i < 400; ++i) text += std::to_string(1000 + 7 * i) + ", 0, 0, -3\n";
  text += "*ELEMENT\n";
  for (int i = 0; i < 400; ++i) text += std::to_string(i) + ", BEAM, " + std::to_string(i % 5) + ", 3, 1, 2\n";
  for (const size_t budget : {size_t{64}, size_t{500}, size_t{1500}}) ExpectSameEveryWay(text, 7, budget);
}

TEST(CheckLines, LongLinesAreReadFromTheText) {
  const std::string longField(hvx::CQsxChecker::kMaxKeptLine, ' ');
  ExpectSameEveryWay("*NODE\n  1," + longField + "0\n" + longField + "2, 0\n*CONLOAD\n 3, 0\n", 3);
}

TEST(CheckLines, FeedOnItsThreadTakesPieces) {
  std::string text = "*NODE\n";
  for (int i = 1; i <= 5000; ++i) text += "  " + std::to_string(i) + ", 0, 0, 0\n";
  text += "*ELEMENT\n";
  for (int i = 1; i <= 5000; ++i)
    text += std::to_string(i) + ", BEAM  , 1, 1, " + std::to_string(i) + ", " + std::to_string(i + 3) + "\n";
  text += "*MATERIAL\n 1, STEEL\n*ENDDATA\n";
  hvx::CCheckFeed feed;
  std::mt19937 rng(5);
  for (std::string piece : Pieces(text, rng, true)) {
    if (rng() % 3 == 0) {
      feed.Write(piece.data(), piece.size());
    } else {
      feed.Take(piece);
      EXPECT_TRUE(piece.empty());
    }
  }
  const hvx::CDanglingList fed = feed.Finish();
  const hvx::CDanglingList whole = hvx::CheckQsxText(text);
  EXPECT_TRUE(fed == whole);
  // Section 1 of the beams is not defined, nor are nodes 5001 to 5003.
  EXPECT_EQ(whole.References(), 5000 + 3);
}

}  // namespace
