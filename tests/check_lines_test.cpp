// The reference check reads the lines of nodes, elements and loads by their
// leading numbers where they have the plain shape the writer gives them, and
// any other line by all its fields: both ways must find the same whatever
// the lines look like (the check cases' inputs, lines of odd shapes, random
// lines) and however the text is cut into pieces; and the check fed on its
// thread, with pieces it copies or takes, finds what the whole text has.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "api/check_feed.h"
#include "check/qsxcheck.h"
#include "tests/testutil.h"

namespace {

// Everything a finished checker tells but its findings, bytes less `added`.
std::string Stats(const hvx::CQsxChecker& c, long long added) {
  const hvx::CQsxCheckStats& s = c.Stats();
  std::ostringstream o;
  o << s.bytes - added << " bytes, " << s.lines << " lines, " << s.commandLines << " command lines, " << s.longLines
    << " long, " << s.uncheckedReferences << " unchecked, end " << s.sawEndData << ", verdict "
    << static_cast<int>(c.Verdict());
  return o.str();
}

// The text with 18 zeros put before the digits of every field 1 that is a
// whole number, outside *GROUP (whose field 1 is a name): the same numbers,
// but more digits than the leading numbers are read by, so that every line is
// read by all its fields. bytes: how many bytes were added.
std::string Widened(const std::string& text, long long& bytes) {
  std::string out, section;
  bytes = 0;
  for (size_t from = 0; from < text.size();) {
    const size_t end = std::min(text.find('\n', from), text.size() - 1) + 1;
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

// Read by all fields, by plain lines as a whole, and by plain lines in pieces
// cut after some line ends and at random places (about one in `seed % 50 + 1`
// bytes, down to pieces of a byte).
void ExpectSameEveryWay(const std::string& text, uint32_t seed, size_t pending = hvx::CQsxChecker::kPendingBytes) {
  SCOPED_TRACE("seed " + std::to_string(seed) + ": " + text.substr(0, 300));
  std::mt19937 rng(seed);
  hvx::CQsxChecker general(pending), plain(pending), pieces(pending);
  long long added;
  general.Feed(Widened(text, added));
  plain.Feed(text);
  for (size_t from = 0, p = 0; p < text.size(); ++p) {
    if ((text[p] == '\n' && rng() % 4 == 0) || rng() % (seed % 50 + 1) == 0 || p + 1 == text.size()) {
      pieces.Feed(std::string_view(text).substr(from, p + 1 - from));
      from = p + 1;
    }
  }
  const hvx::CDanglingList g = general.Finish();
  const std::string stats = Stats(general, added);
  // Text fed after the end is not read, and the list is handed out once.
  general.Feed("*NODE\n     7, 1.0, 2.0, 3.0\nSPRING 1 7 99999\n");
  EXPECT_EQ(stats, Stats(general, added));
  EXPECT_EQ(0u, general.Finish().References());
  for (hvx::CQsxChecker* c : {&plain, &pieces}) {
    const hvx::CDanglingList found = c->Finish();
    EXPECT_TRUE(g == found) << (c == &plain ? "plain lines" : "plain lines in pieces");
    EXPECT_EQ(g.References(), found.References());
    EXPECT_EQ(stats, Stats(*c, 0));
  }
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
  std::vector<std::string> texts;
  for (const auto& dir : std::filesystem::directory_iterator(hvxtest::SourceDir() + "/tests/check_cases"))
    if (hvxtest::Exists((dir.path() / "input.qsx").string()))
      texts.push_back(hvxtest::ReadFile((dir.path() / "input.qsx").string()));
  // Elements of every shape (tests/tables/element-shapes.qsx: nodes, elements,
  // definitions), before and after their definitions.
  const std::string shapes = hvxtest::ReadFile(hvxtest::SourceDir() + "/tests/tables/element-shapes.qsx");
  const size_t e = shapes.find("*ELEMENT"), d = shapes.find("*MATERIAL");
  ASSERT_TRUE(e < d && d != std::string::npos);
  const std::string nodes = shapes.substr(0, e), elements = shapes.substr(e, d - e), defs = shapes.substr(d);
  for (const std::string& text : {nodes + elements + defs, elements + nodes + defs, defs + elements, elements})
    texts.push_back(text + "*ENDDATA\n");
  // The limit of references waiting for the end met at the same reference.
  std::string waiting = "*CONLOAD\n";
  for (int i = 0; i < 400; ++i) waiting += std::to_string(1000 + 7 * i) + ", 0, 0, -3\n";
  waiting += "*ELEMENT\n";
  for (int i = 0; i < 400; ++i) waiting += std::to_string(i) + ", BEAM, " + std::to_string(i % 5) + ", 3, 1, 2\n";
  for (const size_t budget : {size_t{64}, size_t{500}, size_t{1500}}) ExpectSameEveryWay(waiting, budget, budget);
  // Lines longer than are kept.
  const std::string longField(hvx::CQsxChecker::kMaxKeptLine, ' ');
  texts.push_back("*NODE\n  1," + longField + "0\n" + longField + "2, 0\n*CONLOAD\n 3, 0\n");
  // Random lines in random sections.
  const char* const sections[] = {"*NODE", "*ELEMENT", "*CONLOAD", "*BEAMLOAD", "*PRESSURE", "*MATERIAL",
                                  "*SECTION", "*THICKNESS", "*GROUP", "*FRAME-RLS", "*UNKNOWN", "; note"};
  std::mt19937 rng(20261206);
  for (int n = 0; n < 300; ++n) {
    std::string text;
    const int lines = 1 + static_cast<int>(rng() % 60);
    for (int i = 0; i < lines; ++i) {
      if (rng() % 8 == 0) text += std::string(sections[rng() % std::size(sections)]) + "\n";
      else text += RandomLine(rng) + (rng() % 10 == 0 ? "\r\n" : "\n");
    }
    if (rng() % 3 == 0) text += RandomLine(rng);  // no final line feed
    texts.push_back(text);
  }
  for (uint32_t i = 0; i < texts.size(); ++i) ExpectSameEveryWay(texts[i], i);
}

// Group lists are read by their own reader, which takes numbers eight digits
// at a time: it must read every token as the field reader of other lines
// does, whole or in pieces.
TEST(CheckLines, GroupListsReadNumbersAsOtherListsDo) {
  std::mt19937 rng(7);
  std::string tokens;
  for (int i = 0; i < 2500; ++i) {
    std::string t;
    const int kind = static_cast<int>(rng() % 10);
    if (kind == 0) t.push_back('-');
    // Tokens longer than 32 characters are no numbers, in whatever pieces.
    const int len = 1 + static_cast<int>(kind == 3 ? 32 + rng() % 30 : rng() % 22);
    for (int k = 0; k < len; ++k) t += static_cast<char>('0' + rng() % 10);
    if (kind == 1) t.insert(rng() % t.size(), 1, "x:/+-"[rng() % 5]);
    if (kind == 2) t = std::to_string(1000000 + i);  // runs
    tokens += t + (rng() % 4 == 0 ? "\t" : " ");
  }
  const std::string group = "*NODE\n 1, 0, 0, 0\n*GROUP\n G, " + tokens + ", \n";
  const std::string rigid = "*NODE\n 1, 0, 0, 0\n*RIGIDLINK\n  1, 123456, " + tokens + ", \n";
  ASSERT_LT(rigid.size(), hvx::CQsxChecker::kMaxKeptLine);
  // The same entries but for their sections.
  hvx::CDanglingList g = hvx::CheckQsxText(group), r;
  for (hvx::CDangling d : hvx::CheckQsxText(rigid)) d.section = "*GROUP", r.push_back(d);
  EXPECT_TRUE(g == r);
  EXPECT_GT(g.size(), 1000u);
  for (uint32_t seed : {0u, 4u, 12u, 39u}) ExpectSameEveryWay(group, seed);
}

// The feed that checks a file while it is written finds what the check of
// the whole text finds, with pieces copied and pieces taken, also when the
// writer runs ahead of the checker; text written after the end is not the
// file's.
TEST(CheckLines, FeedOnItsThreadFindsWhatTheWholeTextHas) {
  std::string text = "*NODE\n";
  for (int n = 1; n <= 200000; n += 3) text += "  " + std::to_string(n) + ", 0, 0, 0\n";
  text += "*ELEMENT\n";
  for (int e = 1; e <= 100000; ++e)
    text += "  " + std::to_string(e) + ", BEAM, 1, 1, " + std::to_string(e) + ", " + std::to_string(e + 1) + "\n";
  text += "*GROUP\n G, ";
  for (int n = 1; n <= 200000; ++n) text += std::to_string(n) + " ";
  text += ",\n*MATERIAL\n1, USER\n*ENDDATA\n";
  ASSERT_GT(text.size(), hvx::CCheckFeed::kMaxPendingBytes);
  const hvx::CDanglingList whole = hvx::CheckQsxText(text);
  ASSERT_GT(whole.size(), 1000u);

  std::mt19937 rng(3);
  hvx::CCheckFeed feed;
  for (size_t p = 0; p < text.size();) {
    std::string piece = text.substr(p, rng() % 2 ? 1 + rng() % 300 : 1 + rng() % 70000);
    p += piece.size();
    if (rng() % 3 == 0) {
      feed.Write(piece.data(), piece.size());
    } else {
      feed.Take(piece);
      EXPECT_TRUE(piece.empty());
    }
  }
  feed.End();
  feed.Write("*NODE\n 5, 0, 0, 0\n", 18);
  const hvx::CDanglingList fed = feed.Finish();
  EXPECT_FALSE(feed.Failed());
  EXPECT_EQ(0, feed.Unchecked());
  EXPECT_TRUE(fed == whole);
}

}  // namespace
