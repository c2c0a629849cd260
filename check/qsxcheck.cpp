// Reference check of QSX text. One pass over the lines: each data line is read
// by the rule of the section it stands in (the last command line), which says
// what its fields define and refer to. A reference to something already
// defined is dropped at once; the rest wait in file order, in a compact list,
// and are looked up again at the end, so forward references resolve. Missing
// numbers that follow each other on one line wait as one run.
#include "check/qsxcheck.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <climits>
#include <cstring>
#include <functional>
#include <iterator>
#include <unordered_set>
#include <vector>

#include "base/piece_numbers.h"
#include "check/numberset.h"

namespace hvx {

namespace {

// ---- what is defined and referred to ----

enum EKind : uint8_t {
  kNode, kElement, kMaterial, kSection, kThickness, kLoadCase, kThCase, kSpCase, kGroup,
  kBndrGroup, kHingeProp, kLinkProp, kSpringProp, kSpecFunc, kTimeFunc, kGenLink, kElasticLink,
  kKindCount
};

constexpr std::string_view kKindNames[kKindCount] = {
    "node", "element", "material", "section", "thickness", "load case", "time history case",
    "spectrum case", "group", "boundary group", "hinge property", "link property",
    "spring property", "spectrum function", "time function", "general link", "elastic link"};

enum class EUse : uint8_t {
  kNone,
  kDefNumber,   // defines the number in the field
  kDefName,     // defines the name in the field
  kRefNumber,   // refers to the number in the field
  kRefNonZero,  // refers to the number in the field unless it is 0 (an empty slot)
  kRefName,     // refers to the name in the field
  kRefList,     // refers to each of the blank-separated numbers in the field
};

// What one field of a line defines or refers to.
struct CUse {
  uint8_t field = 0;  // 1-based
  EUse use = EUse::kNone;
  EKind kind = kKindCount;
};

constexpr CUse Def(uint8_t f, EKind k) { return {f, EUse::kDefNumber, k}; }
constexpr CUse DefName(uint8_t f, EKind k) { return {f, EUse::kDefName, k}; }
constexpr CUse Ref(uint8_t f, EKind k) { return {f, EUse::kRefNumber, k}; }
constexpr CUse RefNonZero(uint8_t f, EKind k) { return {f, EUse::kRefNonZero, k}; }
constexpr CUse RefName(uint8_t f, EKind k) { return {f, EUse::kRefName, k}; }
constexpr CUse RefList(uint8_t f, EKind k) { return {f, EUse::kRefList, k}; }

// When the uses of a row apply to a data line.
enum class ETest : uint8_t {
  kAlways,
  kLetter2,     // field 2 begins with a letter (a type name, not a number)
  kFuncName,    // field 1 begins with "FUNC="; the rest of it is field 1
  kCaseName,    // field 1 begins with "NAME="; the rest of it is field 1
  kHingeName,   // field 1 is a property name: a letter first, not YES or NO
};

// Lines a section needs more than its fields' uses for.
enum class EReader : uint8_t {
  kNone,
  kElement,        // nodes and property by element type
  kNlProp,         // a property head line: NAME, APPLICATION, ... (3 fields or more)
  kSpectrumCase,   // NAME= line, then the function line
  kHistoryCase,    // NAME= line, then a sequence line naming the case before
  kGroupDamping,   // name and type every fifth field
  kLinkGroup,      // boundary group of *NL-LINK, at field 8 or 14 by iRCS
  kHistoryGraph,   // what field 5 names, by class and type
  kInitialForces,  // element, elastic link or general link by type
  kAnalysisType,   // NAME= line saying RS or TH, then the case it names
  kEquations,      // node fields by method
  kGroup,          // NAME, node list, element list: read as a stream
};

// One row per section keyword: what its data lines define and refer to.
struct CRule {
  std::string_view keyword;
  std::array<CUse, 5> uses{};  // in field order; applied when the test holds
  ETest test = ETest::kAlways;
  EReader reader = EReader::kNone;  // runs after the uses
  CUse head{};                      // a field of the command line itself
  bool endsData = false;

  // Its data lines use the number of field 1 alone, as a definition or a
  // reference: they may be read without splitting the rest.
  constexpr bool PlainFirst() const {
    return test == ETest::kAlways && reader == EReader::kNone && uses[0].field == 1 &&
           (uses[0].use == EUse::kDefNumber || uses[0].use == EUse::kRefNumber) && uses[1].use == EUse::kNone;
  }
};

constexpr CRule kRules[] = {
    {"*NODE", {Def(1, kNode)}},
    {"*ELEMENT", {Def(1, kElement)}, ETest::kAlways, EReader::kElement},
    {"*MATERIAL", {Def(1, kMaterial)}},
    {"*SECTION", {Def(1, kSection)}, ETest::kLetter2},
    {"*THICKNESS", {Def(1, kThickness)}, ETest::kLetter2},
    {"*NL-PROP", {}, ETest::kAlways, EReader::kNlProp},
    {"*HVX-NL-PROP", {RefName(1, kLinkProp)}},
    {"*GSPRTYPE", {DefName(1, kSpringProp)}},
    {"*CONSTRAINT", {Ref(1, kNode)}},
    {"*RIGIDLINK", {Ref(1, kNode), RefList(3, kNode)}},
    {"*FRAME-RLS", {Ref(1, kElement)}, ETest::kLetter2},
    {"*OFFSET", {Ref(1, kElement)}},
    {"*STLDCASE", {DefName(1, kLoadCase)}},
    {"*USE-STLD", {}, ETest::kAlways, EReader::kNone, RefName(2, kLoadCase)},
    {"*CONLOAD", {Ref(1, kNode)}},
    {"*PRESSURE", {Ref(1, kElement)}},
    {"*PRESTRESS", {Ref(1, kElement)}},
    {"*BEAMLOAD", {Ref(1, kElement)}},
    {"*BSTEMPER", {Ref(1, kElement)}},
    {"*ELTEMPER", {Ref(1, kElement)}},
    {"*SPDISP", {Ref(1, kNode)}},
    {"*SFUNCTION", {DefName(1, kSpecFunc)}, ETest::kFuncName},
    {"*SPLDCASE", {}, ETest::kAlways, EReader::kSpectrumCase},
    {"*TFUNCTION", {DefName(1, kTimeFunc)}, ETest::kFuncName},
    {"*THLDCASE", {}, ETest::kAlways, EReader::kHistoryCase},
    {"*DYN-SLOAD", {RefName(1, kThCase), RefName(2, kLoadCase), RefName(3, kTimeFunc)}},
    {"*GROUND-ACC",
     {RefName(1, kThCase), RefName(2, kTimeFunc), RefName(5, kTimeFunc), RefName(8, kTimeFunc)}},
    {"*DYN-NLOAD", {Ref(1, kNode), RefName(2, kThCase), RefName(3, kTimeFunc)}},
    {"*GROUP", {}, ETest::kAlways, EReader::kGroup},
    {"*BNDR-GROUP", {DefName(1, kBndrGroup)}},
    {"*GROUP-DAMP", {}, ETest::kAlways, EReader::kGroupDamping},
    {"*INIFORCE", {Ref(1, kElement)}},
    {"*IHINGE-PROP", {DefName(1, kHingeProp), RefNonZero(5, kMaterial), RefNonZero(6, kSection)},
     ETest::kHingeName},
    {"*IHINGE-ASSIGN", {Ref(1, kElement), RefName(2, kHingeProp)}},
    {"*NL-LINK",
     {Def(1, kGenLink), Ref(2, kNode), Ref(3, kNode), RefName(4, kLinkProp), RefName(5, kHingeProp)},
     ETest::kAlways, EReader::kLinkGroup},
    {"*GSPRING", {Ref(1, kNode), RefName(2, kSpringProp), RefName(3, kBndrGroup)}},
    {"*NODALMASS", {Ref(1, kNode)}},
    {"*SPRING", {Ref(1, kNode), RefName(8, kBndrGroup)}},
    {"*ELASTICLINK", {Def(1, kElasticLink), Ref(2, kNode), Ref(3, kNode), RefName(15, kBndrGroup)}},
    {"*TH-GRAPH", {}, ETest::kAlways, EReader::kHistoryGraph},
    {"*TH-ANITIME", {RefName(1, kThCase)}},
    {"*HVX-MN-TH-OUTPUT", {Ref(1, kElement)}},
    {"*LOCALAXIS", {Ref(1, kNode)}},
    {"*INI-EFORCE", {}, ETest::kAlways, EReader::kInitialForces},
    {"*HVX-ANALTYPE", {}, ETest::kAlways, EReader::kAnalysisType},
    {"*HVX-CONSTRAINT", {}, ETest::kAlways, EReader::kEquations},
    {"*HVX-NLCTRL", {RefName(2, kThCase)}, ETest::kCaseName},
    {"*ENDDATA", {}, ETest::kAlways, EReader::kNone, {}, true},
};
constexpr int kRuleCount = static_cast<int>(std::size(kRules));
static_assert(kRuleCount < 256, "a row number is kept in one byte");

// Element lines: nodes and the property they refer to by element type.
struct CElementType {
  std::string_view name;
  int nodes;
  EKind property;   // kKindCount: none
  bool zeroIsNone;  // a 0 in any node slot is an unused corner
};
constexpr CElementType kElementTypes[] = {
    {"TRUSS", 2, kSection, false},     {"BEAM", 2, kSection, false},      {"PLSTRS", 4, kThickness, false},
    {"PLATE", 4, kThickness, false},   {"PLSTRN", 4, kThickness, false},  {"SOLID", 8, kKindCount, true},
};

// Time-history graph rows: what field 5 names by class (field 1) and type
// (field 2).
struct CGraphRow {
  long long cls, typeFrom, typeTo;
  EKind kind;
};
constexpr CGraphRow kGraphRows[] = {
    {0, 2, 2, kNode},    {0, 3, 7, kElement}, {0, 9, 10, kElement}, {0, 8, 8, kGenLink},
    {1, 2, 2, kNode},    {1, 3, 4, kElement}, {1, 6, 6, kGenLink},
};

// *INI-EFORCE: what field 2 names by the type in field 1.
struct CForceTarget {
  std::string_view type;
  EKind kind;
};
constexpr CForceTarget kForceTargets[] = {
    {"TRUSS", kElement}, {"BEAM", kElement}, {"E-LINK", kElasticLink}, {"G-LINK", kGenLink}};

int RuleOf(std::string_view keyword) {
  for (int r = 0; r < kRuleCount; ++r)
    if (keyword == kRules[r].keyword) return r;
  return -1;
}

// ---- fields ----

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool StartsWithLetter(std::string_view f) { return !f.empty() && IsLetter(f[0]); }

// A whole field as a decimal integer (the field is already trimmed). Short
// fields, the usual case, are read by hand; long ones by from_chars, which
// reports overflow.
bool ParseInt(std::string_view f, long long& v) {
  const size_t n = f.size();
  if (n == 0) return false;
  const bool neg = f[0] == '-';
  size_t i = neg ? 1 : 0;
  if (i == n || n - i > 18) {
    if (i == n) return false;
    const auto r = std::from_chars(f.data(), f.data() + n, v);
    return r.ec == std::errc() && r.ptr == f.data() + n;
  }
  long long x = 0;
  for (; i < n; ++i) {
    const unsigned d = static_cast<unsigned char>(f[i]) - unsigned{'0'};
    if (d > 9) return false;
    x = x * 10 + d;
  }
  v = neg ? -x : x;
  return true;
}

// Comma-separated fields of one line, trimmed. The first kKept fields are
// kept once split and may be asked for in any order; later ones are split on
// demand, so beyond kKept the field asked for must not go back.
class CFields {
 public:
  static constexpr int kKept = 16;

  explicit CFields(std::string_view line) : m_line(line), m_rest(line) {}
  // Field n (1-based); empty when the line has fewer.
  std::string_view At(int n) {
    if (!Reach(n)) return {};
    if (n <= kKept) return m_line.substr(m_begin[n - 1], m_size[n - 1]);
    return n == m_count ? m_last : std::string_view{};
  }
  // True when the line has at least n fields.
  bool Has(int n) { return Reach(n); }

 private:
  bool Reach(int n) {
    while (m_count < n) {
      if (m_done) return false;
      m_last = Next();
      if (m_count < kKept) {
        // Kept as places in the line, which need no clearing per line.
        m_begin[m_count] = static_cast<uint32_t>(m_last.data() - m_line.data());
        m_size[m_count] = static_cast<uint32_t>(m_last.size());
      }
      ++m_count;
    }
    return true;
  }
  std::string_view Next() {
    const char* p = m_rest.data();
    const char* const e = p + m_rest.size();
    while (p < e && IsBlank(*p)) ++p;
    const char* b = p;
    while (p < e && *p != ',') ++p;
    const char* q = p;
    while (q > b && IsBlank(q[-1])) --q;
    if (p == e) m_done = true;
    else ++p;
    m_rest = std::string_view(p, static_cast<size_t>(e - p));
    return std::string_view(b, static_cast<size_t>(q - b));
  }

  std::string_view m_line;  // at most kMaxKeptLine bytes
  std::string_view m_rest;
  bool m_done = false;
  int m_count = 0;  // fields split so far
  std::string_view m_last;
  uint32_t m_begin[kKept];
  uint32_t m_size[kKept];
};

// The fields of a line read once from left to right, for the lines of the
// long sections (nodes, elements, loads). It takes only the plain shape of a
// field, blanks around at most 18 digits with an optional minus sign; on
// anything else it answers false and the line is read again by CFields,
// before any field of it has been used, so both ways find the same.
class CPlainFields {
 public:
  explicit CPlainFields(std::string_view line) : m_p(line.data()), m_end(line.data() + line.size()) {}
  // The next field as a number, as ParseInt reads it; false when it has
  // another shape or the line has no more fields.
  [[gnu::always_inline]] bool Int(long long& v) {
    const char* p = m_p;
    const char* const e = m_end;
    if (!p) return false;
    if constexpr (std::endian::native == std::endian::little) {
      // The usual field of the long sections, a few spaces, up to seven
      // digits and a comma, read as two words; anything else is read below.
      if (e - p >= 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        const uint64_t blank = w ^ 0x2020202020202020;
        const char* q = p + (blank ? std::countr_zero(blank) / 8 : 8);
        if (e - q >= 8) {
          std::memcpy(&w, q, 8);
          const int n = LeadingDigits(w);
          if (n > 0 && n < 8 && q[n] == ',') {
            v = static_cast<long long>(DigitsValue(w, n));
            m_p = q + n + 1;
            return true;
          }
        }
      }
    }
    p = SkipBlanks(p, e);
    const bool neg = p < e && *p == '-';
    if (neg) ++p;
    const char* const digits = p;
    uint64_t x = 0;  // wraps past 19 digits, which are refused below
    if constexpr (std::endian::native == std::endian::little) {
      // Up to eight digits at once while eight bytes remain.
      if (e - p >= 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        const int n = LeadingDigits(w);
        if (n > 0) {
          x = DigitsValue(w, n);
          p += n;
        }
      }
    }
    for (unsigned d; p < e && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9; ++p) x = x * 10 + d;
    if (p == digits || p - digits > 18) return false;
    if (p < e && *p != ',') p = SkipBlanks(p, e);
    if (!Next(p)) return false;
    v = neg ? -static_cast<long long>(x) : static_cast<long long>(x);
    return true;
  }
  // The next field when it is the eight bytes of w (a blank, a word, blanks
  // and the comma, as the writer lines them up); false (nothing read) else.
  bool Word(uint64_t w) {
    if (!m_p || m_end - m_p < 8) return false;
    uint64_t v;
    std::memcpy(&v, m_p, 8);
    if (v != w) return false;
    m_p += 8;
    return true;
  }
  // The next field as text, trimmed; false when the line has no more fields.
  bool Text(std::string_view& t) {
    const char* p = m_p;
    const char* const e = m_end;
    if (!p) return false;
    p = SkipBlanks(p, e);
    const char* const b = p;
    while (p < e && *p != ',') ++p;
    const char* q = p;
    while (q > b && IsBlank(q[-1])) --q;
    t = std::string_view(b, static_cast<size_t>(q - b));
    return Next(p);
  }

 private:
  // Digits at the start of eight bytes read as a little-endian word.
  static int LeadingDigits(uint64_t w) {
    const uint64_t t = w - 0x3030303030303030;
    // High bit of each byte that is not a digit; a borrow or carry reaches
    // only the bytes after such a byte.
    const uint64_t other = (t | (t + 0x7676767676767676)) & 0x8080808080808080;
    return other ? std::countr_zero(other) / 8 : 8;
  }
  // The value of the first n (1 to 8) bytes of w, all digits.
  static uint32_t DigitsValue(uint64_t w, int n) {
    uint64_t d = (w - 0x3030303030303030) << (8 * (8 - n));  // as the last n of eight digits
    d = (d * 10) + (d >> 8);
    d = (((d & 0x000000FF000000FF) * 0x000F424000000064) + (((d >> 16) & 0x000000FF000000FF) * 0x0000271000000001)) >>
        32;
    return static_cast<uint32_t>(d);
  }
  // The first byte from p on that is not blank: spaces first, the usual
  // blank of fields written to a width.
  static const char* SkipBlanks(const char* p, const char* e) {
    while (p < e && *p == ' ') ++p;
    while (p < e && IsBlank(*p)) ++p;
    return p;
  }
  // Moves past the comma at p, or to no field at the line's end; false for
  // anything else at p.
  bool Next(const char* p) {
    if (p == m_end) {
      m_p = nullptr;
      return true;
    }
    if (*p != ',') return false;
    m_p = p + 1;
    return true;
  }

  const char* m_p;  // start of the next field; null past the last one
  const char* m_end;
};

// The leading fields of a line as the lines of the long sections are read:
// field 1 a number; when field 2 names an element type, field 3 (material),
// field 4 (property, or any text for a type without one, kept as 0) and the
// type's node fields as numbers, into v[0], v[1], v[2], v[3...]. Returns the
// leading fields read (field 2 counts when it is a type); type is the row of
// kElementTypes, or -1.
constexpr int kMaxLeadingFields = 12;
// The type fields of kElementTypes as the converter writes them (" BEAM  ,"),
// as little-endian words.
constexpr std::array<uint64_t, std::size(kElementTypes)> kTypeWords = [] {
  std::array<uint64_t, std::size(kElementTypes)> words{};
  for (size_t i = 0; i < words.size(); ++i) {
    char field[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ','};
    for (size_t k = 0; k < kElementTypes[i].name.size() && k < 6; ++k) field[1 + k] = kElementTypes[i].name[k];
    for (int k = 7; k >= 0; --k) words[i] = words[i] << 8 | static_cast<unsigned char>(field[k]);
  }
  return words;
}();

int ReadLeadingFields(std::string_view line, long long* v, int& type) {
  type = -1;
  CPlainFields f(line);
  if (!f.Int(v[0])) return 0;
  std::string_view name;
  if constexpr (std::endian::native == std::endian::little) {
    for (int i = 0; i < static_cast<int>(kTypeWords.size()) && type < 0; ++i)
      if (f.Word(kTypeWords[i])) type = i;
  }
  if (type < 0) {
    if (!f.Text(name)) return 1;
    for (int i = 0; i < static_cast<int>(std::size(kElementTypes)); ++i)
      if (name == kElementTypes[i].name) type = i;
    if (type < 0) return 1;
  }
  const CElementType& t = kElementTypes[type];
  if (!f.Int(v[1])) return 2;
  v[2] = 0;
  if (t.property != kKindCount ? !f.Int(v[2]) : !f.Text(name)) return 3;
  for (int i = 0; i < t.nodes; ++i)
    if (!f.Int(v[3 + i])) return 4 + i;
  return 4 + t.nodes;
}

bool StripPrefix(std::string_view& f, std::string_view prefix) {
  if (f.substr(0, prefix.size()) != prefix) return false;
  f = Trim(f.substr(prefix.size()));
  return true;
}

// Eight ASCII digits at p (which must hold eight bytes) as their value, when
// they are eight digits (the bytes are read as one little-endian word).
bool EightDigits(const char* p, uint64_t& value) {
  if constexpr (std::endian::native != std::endian::little) return false;
  uint64_t v;
  std::memcpy(&v, p, 8);
  if ((((v & 0xF0F0F0F0F0F0F0F0) | (((v + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) >> 4))) != 0x3333333333333333)
    return false;
  v -= 0x3030303030303030;
  v = (v * 10) + (v >> 8);  // pairs of digits in the low byte of each 16-bit lane
  v = (((v & 0x000000FF000000FF) * 0x000F424000000064) + (((v >> 16) & 0x000000FF000000FF) * 0x0000271000000001)) >> 32;
  value = static_cast<uint32_t>(v);
  return true;
}

// ---- arithmetic of runs, without overflow ----

// a - b, when it fits.
bool Difference(long long a, long long b, long long& d) {
  if ((b > 0 && a < LLONG_MIN + b) || (b < 0 && a > LLONG_MAX + b)) return false;
  d = a - b;
  return true;
}

// first + i * step for a number known to lie on the run (so in range).
long long RunNumber(long long first, long long step, long long i) {
  return static_cast<long long>(static_cast<uint64_t>(first) +
                                static_cast<uint64_t>(i) * static_cast<uint64_t>(step));
}

// The place of n on the run first, first + step, ... last, if it is on it.
bool RunIndex(long long first, long long last, long long step, long long n, long long& i) {
  uint64_t d, s;
  if (step > 0) {
    if (n < first || n > last) return false;
    d = static_cast<uint64_t>(n) - static_cast<uint64_t>(first);
    s = static_cast<uint64_t>(step);
  } else {
    if (n > first || n < last) return false;
    d = static_cast<uint64_t>(first) - static_cast<uint64_t>(n);
    s = uint64_t{0} - static_cast<uint64_t>(step);
  }
  if (d % s != 0) return false;
  i = static_cast<long long>(d / s);
  return true;
}

struct CNameHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};
using CNameSet = std::unordered_set<std::string, CNameHash, std::equal_to<>>;

}  // namespace

// ---- the compact list ----
//
// Each entry: a flags byte; the line as a zigzag varint difference from the
// last entry's line; section and kind (nothing when both are the last entry's,
// else a row number byte each, or both as length-prefixed texts); then a name
// (length-prefixed), a number (zigzag varint) or a run (first, last, step as
// zigzag varints, count as a varint).
struct CDanglingCodec {
  enum : uint8_t {
    kFormName = 0,
    kFormNumber = 1,
    kFormRun = 2,
    kFormMask = 3,
    kSameRows = 4,   // section and kind rows of the last entry
    kTexts = 8,      // section and kind as texts, not rows
    kRowsBack = 16,  // section and kind rows of the entry before the last
    kLineSame = 32,  // on the last entry's line (no line difference follows)
    kLineNext = 64,  // on the line after it (no line difference follows)
  };

  // Rows flag of an entry with rows (s, k) after entries with rows r.
  static uint8_t RowsFlag(const CDanglingRows& r, int s, int k) {
    if (s == r.section && k == r.kind) return kSameRows;
    if (s == r.section2 && k == r.kind2) return kRowsBack;
    return 0;
  }
  // Rows after an entry with rows (s, k); (-1, -1) for texts.
  static void Step(CDanglingRows& r, int s, int k) {
    if (s == r.section && k == r.kind) return;
    r.section2 = r.section;
    r.kind2 = r.kind;
    r.section = s;
    r.kind = k;
  }
  // Line flag of a line difference, or 0 when the difference follows.
  static uint8_t LineFlag(long long step) { return step == 0 ? kLineSame : step == 1 ? kLineNext : 0; }

  // An entry as stored: section and kind as rows of the tables (-1: texts).
  struct CEntry {
    long long line = 0;
    int section = -1, kind = -1;
    std::string_view sectionText, kindText;
    uint8_t form = kFormName;
    std::string_view name;
    long long first = 0, last = 0, step = 0, count = 1;
  };

  static std::string_view Bytes(const CDanglingList& list) { return {list.m_bytes.data(), list.m_used}; }
  // Line and rows after the last entry of the list: where the next builds.
  static long long LastLine(const CDanglingList& list) { return list.m_line; }
  static const CDanglingRows& LastRows(const CDanglingList& list) { return list.m_rows; }

  static uint64_t GetVarint(std::string_view in, size_t& pos) {
    uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
      const auto b = static_cast<uint8_t>(in[pos++]);
      v |= static_cast<uint64_t>(b & 0x7f) << shift;
      if (!(b & 0x80)) return v;
    }
  }
  static long long GetSigned(std::string_view in, size_t& pos) {
    const uint64_t u = GetVarint(in, pos);
    return static_cast<long long>((u >> 1) ^ (uint64_t{0} - (u & 1)));
  }
  static std::string_view GetText(std::string_view in, size_t& pos) {
    const auto n = static_cast<size_t>(GetVarint(in, pos));
    const std::string_view s(in.data() + pos, n);
    pos += n;
    return s;
  }

  // Values are written at p, which has room for them, and p moves on.
  static constexpr size_t kMaxVarint = 10;
  static void PutVarint(char*& p, uint64_t v) {
    while (v >= 0x80) {
      *p++ = static_cast<char>((v & 0x7f) | 0x80);
      v >>= 7;
    }
    *p++ = static_cast<char>(v);
  }
  static void PutSigned(char*& p, long long v) {
    PutVarint(p, (static_cast<uint64_t>(v) << 1) ^ (v < 0 ? ~uint64_t{0} : 0));
  }
  static void PutText(char*& p, std::string_view s) {
    PutVarint(p, s.size());
    if (!s.empty()) std::memcpy(p, s.data(), s.size());
    p += s.size();
  }
  // Room for n more bytes after the list's entries: the storage grows by
  // doubling and is written in place, the bytes in use counted apart.
  static char* Room(CDanglingList& list, size_t n) {
    std::string& b = list.m_bytes;
    if (b.size() - list.m_used < n) b.resize(std::max(b.size() * 2, list.m_used + n + 256));
    return b.data() + list.m_used;
  }

  // A single number by rows: Put of the usual entry, without its branches.
  static void PutNumber(CDanglingList& list, long long line, int section, int kind, long long value) {
    char* const start = Room(list, 3 + 2 * kMaxVarint);
    char* p = start + 1;
    uint8_t flags = kFormNumber | RowsFlag(list.m_rows, section, kind);
    const long long lineStep = static_cast<long long>(static_cast<uint64_t>(line) - static_cast<uint64_t>(list.m_line));
    flags |= LineFlag(lineStep);
    *start = static_cast<char>(flags);
    if (!(flags & (kLineSame | kLineNext))) PutSigned(p, lineStep);
    if (!(flags & (kSameRows | kRowsBack))) {
      *p++ = static_cast<char>(section);
      *p++ = static_cast<char>(kind);
    }
    PutSigned(p, value);
    list.m_used += static_cast<size_t>(p - start);
    list.m_line = line;
    Step(list.m_rows, section, kind);
    ++list.m_entries;
    ++list.m_references;
  }

  static void Put(CDanglingList& list, const CEntry& e) {
    uint8_t flags = e.form;
    const bool texts = e.section < 0 || e.kind < 0;
    if (texts) flags |= kTexts;
    else flags |= RowsFlag(list.m_rows, e.section, e.kind);
    const long long lineStep = static_cast<long long>(static_cast<uint64_t>(e.line) - static_cast<uint64_t>(list.m_line));
    flags |= LineFlag(lineStep);
    size_t room = 3 + 5 * kMaxVarint;
    if (texts) room += 2 * kMaxVarint + e.sectionText.size() + e.kindText.size();
    if (e.form == kFormName) room += kMaxVarint + e.name.size();
    char* const start = Room(list, room);
    char* p = start;
    *p++ = static_cast<char>(flags);
    if (!(flags & (kLineSame | kLineNext))) PutSigned(p, lineStep);
    if (texts) {
      PutText(p, e.sectionText);
      PutText(p, e.kindText);
    } else if (!(flags & (kSameRows | kRowsBack))) {
      *p++ = static_cast<char>(e.section);
      *p++ = static_cast<char>(e.kind);
    }
    switch (e.form) {
      case kFormName: PutText(p, e.name); break;
      case kFormNumber: PutSigned(p, e.first); break;
      default:
        PutSigned(p, e.first);
        PutSigned(p, e.last);
        PutSigned(p, e.step);
        PutVarint(p, static_cast<uint64_t>(e.count));
        break;
    }
    list.m_used += static_cast<size_t>(p - start);
    list.m_line = e.line;
    Step(list.m_rows, texts ? -1 : e.section, texts ? -1 : e.kind);
    ++list.m_entries;
    list.m_references += e.form == kFormRun ? e.count : 1;
  }

  // Reads the entry at pos; line and rows carry the last entries' and are
  // updated.
  static void Get(std::string_view in, size_t& pos, long long& line, CDanglingRows& rows, CEntry& e) {
    const auto flags = static_cast<uint8_t>(in[pos++]);
    const long long step = flags & kLineSame ? 0 : flags & kLineNext ? 1 : GetSigned(in, pos);
    line = static_cast<long long>(static_cast<uint64_t>(line) + static_cast<uint64_t>(step));
    e.line = line;
    int section, kind;
    if (flags & kTexts) {
      section = kind = -1;
      e.sectionText = GetText(in, pos);
      e.kindText = GetText(in, pos);
    } else {
      if (flags & kSameRows) {
        section = rows.section;
        kind = rows.kind;
      } else if (flags & kRowsBack) {
        section = rows.section2;
        kind = rows.kind2;
      } else {
        section = static_cast<uint8_t>(in[pos++]);
        kind = static_cast<uint8_t>(in[pos++]);
      }
      // Rows read back are those put, so in their tables.
      if (section >= 0 && section < kRuleCount && kind >= 0 && kind < kKindCount) {
        e.sectionText = kRules[section].keyword;
        e.kindText = kKindNames[kind];
      }
    }
    Step(rows, section, kind);
    e.section = section;
    e.kind = kind;
    e.form = flags & kFormMask;
    e.name = {};
    e.first = e.last = e.step = 0;
    e.count = 1;
    switch (e.form) {
      case kFormName: e.name = GetText(in, pos); break;
      case kFormNumber: e.first = GetSigned(in, pos); break;
      default:
        e.first = GetSigned(in, pos);
        e.last = GetSigned(in, pos);
        e.step = GetSigned(in, pos);
        e.count = static_cast<long long>(GetVarint(in, pos));
        break;
    }
  }

  static void Load(CDanglingList::const_iterator& it) {
    const std::string_view in = it.m_bytes;
    if (it.m_pos >= in.size()) return;
    size_t pos = it.m_pos;
    CEntry e;
    Get(in, pos, it.m_line, it.m_rows, e);
    it.m_next = pos;
    CDangling& d = it.m_entry;
    d.section = e.sectionText;
    d.line = e.line;
    d.kind = e.kindText;
    d.count = e.count;
    d.first = d.last = d.step = 0;
    switch (e.form) {
      case kFormName: d.name.assign(e.name); break;
      case kFormNumber: d.name = std::to_string(e.first); break;
      default:
        d.name.clear();
        d.first = e.first;
        d.last = e.last;
        d.step = e.step;
        break;
    }
  }
};

namespace {
using CEntry = CDanglingCodec::CEntry;
}  // namespace

static_assert(std::input_iterator<CDanglingList::const_iterator>);

CDanglingList::const_iterator CDanglingList::begin() const {
  const_iterator it;
  it.m_bytes = CDanglingCodec::Bytes(*this);
  CDanglingCodec::Load(it);
  return it;
}

CDanglingList::const_iterator CDanglingList::end() const {
  const_iterator it;
  it.m_bytes = CDanglingCodec::Bytes(*this);
  it.m_pos = m_used;
  return it;
}

CDanglingList::const_iterator& CDanglingList::const_iterator::operator++() {
  m_pos = m_next;
  CDanglingCodec::Load(*this);
  return *this;
}

void CDanglingList::push_back(const CDangling& d) {
  CEntry e;
  e.line = d.line;
  e.sectionText = d.section;
  e.kindText = d.kind;
  if (d.IsRun()) {
    e.form = CDanglingCodec::kFormRun;
    e.first = d.first;
    e.last = d.last;
    e.step = d.step;
    e.count = d.count;
  } else {
    e.name = d.name;
  }
  CDanglingCodec::Put(*this, e);
}

void CDanglingList::assign(size_t n, const CDangling& d) {
  clear();
  for (size_t i = 0; i < n; ++i) push_back(d);
}

void CDanglingList::clear() { *this = CDanglingList(); }

bool CDanglingList::operator==(const CDanglingList& o) const {
  if (m_entries != o.m_entries || m_references != o.m_references) return false;
  return std::equal(begin(), end(), o.begin(), o.end());
}

std::string RunText(const CDangling& run) {
  std::string s(run.kind);
  s += !s.empty() && s.back() == 's' ? "es " : "s ";
  s += std::to_string(run.first) + " to " + std::to_string(run.last);
  if (run.step != 1) s += " step " + std::to_string(run.step);
  return s + " (" + std::to_string(run.count) + ")";
}

const char* QsxVerdictText(EQsxVerdict v) {
  switch (v) {
    case EQsxVerdict::kQsx: return "QSX text";
    case EQsxVerdict::kEmpty: return "empty";
    case EQsxVerdict::kBinary: return "binary: holds NUL bytes";
    case EQsxVerdict::kNoCommands: return "no command lines";
  }
  return "";
}

// ---- the checker ----

namespace {
constexpr size_t kMaxToken = 32;
}  // namespace

struct CQsxChecker::CImpl {
  explicit CImpl(size_t budget) : pendingBudget(budget) {}

  CNumberSet numbers[kKindCount];
  CNameSet names[kKindCount];
  long long lastFound[kKindCount] = {};
  bool lastFoundSet[kKindCount] = {};
  CDanglingList pending;
  size_t pendingBudget;
  CQsxCheckStats stats;
  bool nul = false;
  bool finished = false;
  bool plainLines = true;
  bool counting = false;
  // A counting checker's references of lines taken by their numbers that
  // wait for the end: number << 5 | kind, and how many lines refer to it.
  CFlatCounts deferred;
  // The same for the small numbers materials and properties usually have,
  // counted in place.
  static constexpr long long kDenseDeferred = 4096;
  std::vector<long long> denseDeferred[kKindCount];
  long long counted = 0;  // valid after Finish

  // Missing numbers of one kind on the current line that follow each other
  // by a fixed step, not yet in the pending list.
  struct COpenRun {
    bool active = false;
    long long line = 0;
    int section = 0;
    EKind kind = kNode;
    long long first = 0, last = 0, step = 0, count = 0;
  } run;

  // Line assembly.
  long long lineNo = 0;
  bool inLine = false;
  bool streamLine = false;  // the current line goes through the group reader
  size_t lineLen = 0;
  std::string carry;

  // Section state.
  int section = -1;      // row of kRules; -1: a section whose lines are passed over
  int afterHead = 0;     // data lines since the last head line of the section
  EKind headKind = kKindCount;  // *HVX-ANALTYPE: kind named by the line after NAME=

  // Group line reader.
  int gField = 0;
  std::string gName;
  char gTok[kMaxToken];
  size_t gTokLen = 0;
  bool gTokCut = false;

  // ---- definitions and references ----
  void DefNum(EKind k, std::string_view f) {
    long long v;
    if (ParseInt(f, v)) numbers[k].Add(v);
  }
  void DefName(EKind k, std::string_view f) {
    if (!f.empty()) names[k].emplace(f);
  }
  bool PendingFull() const { return pending.Bytes() >= pendingBudget; }
  // The pending list in blocks of about kBlockBytes, each with the numbers
  // its entries refer to, so that Finish passes over a block whose numbers
  // are all defined by then without reading its entries again (the
  // references of a long section to what a later one defines).
  static constexpr size_t kBlockBytes = size_t{64} << 10;
  static constexpr size_t kKeySlots = 1024;
  static constexpr size_t kMaxKeys = 4096;  // per block; beyond, the block is read again
  static constexpr long long kKeyRange = 1LL << 57;  // numbers kept with a kind in 64 bits
  static constexpr uint64_t kNoKey = ~uint64_t{0};
  struct CPendingBlock {
    size_t begin = 0;     // its first entry in the pending list
    long long line = 0;   // line and rows on which that entry builds
    CDanglingRows rows;
    bool decode = false;  // holds a name, a run, or more numbers than kept
    std::vector<uint64_t> keys;  // number << 5 | kind of its single references
  };
  std::vector<CPendingBlock> blocks;
  std::vector<uint64_t> blockSlots = std::vector<uint64_t>(kKeySlots, kNoKey);  // the last block's keys
  void AddPending(const CEntry& e) {
    if (e.form == CDanglingCodec::kFormNumber && e.section >= 0 && e.kind >= 0) {
      AddPendingNumber(e.line, e.section, e.kind, e.first);
      return;
    }
    CPendingBlock& b = CurrentBlock();
    b.decode = true;
    CDanglingCodec::Put(pending, e);
  }
  // A single missing number of a section and kind by rows.
  void AddPendingNumber(long long line, int section, int kind, long long v) {
    CPendingBlock& b = CurrentBlock();
    if (!b.decode) {
      if (v >= -kKeyRange && v < kKeyRange) {
        // Kept about once: a key met lately, by its slot, is not kept again.
        const uint64_t key = (static_cast<uint64_t>(v) << 5) | static_cast<uint64_t>(kind);
        uint64_t& slot = blockSlots[static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 54)];
        if (slot != key) {
          slot = key;
          if (b.keys.size() >= kMaxKeys) b.decode = true;
          else b.keys.push_back(key);
        }
      } else {
        b.decode = true;
      }
    }
    CDanglingCodec::PutNumber(pending, line, section, kind, v);
  }
  CPendingBlock& CurrentBlock() {
    if (blocks.empty() || pending.Bytes() - blocks.back().begin >= kBlockBytes) OpenBlock();
    return blocks.back();
  }

  void OpenBlock() {
    CPendingBlock b;
    b.begin = pending.Bytes();
    b.line = CDanglingCodec::LastLine(pending);
    b.rows = CDanglingCodec::LastRows(pending);
    blocks.push_back(std::move(b));
    std::fill(blockSlots.begin(), blockSlots.end(), kNoKey);
  }
  bool AllDefined(const CPendingBlock& b) const {
    if (b.decode) return false;
    for (const uint64_t key : b.keys)
      if (!numbers[key & 31].Has(static_cast<long long>(key) >> 5)) return false;
    return true;
  }
  CEntry Site(EKind k) const {
    CEntry e;
    e.line = lineNo;
    e.section = section;
    e.kind = k;
    return e;
  }
  void FlushRun() {
    if (!run.active) return;
    if (run.count == 1) {
      // The usual entry: one number missing so far.
      AddPendingNumber(run.line, run.section, run.kind, run.first);
      run.active = false;
      return;
    }
    CEntry e;
    e.line = run.line;
    e.section = run.section;
    e.kind = run.kind;
    e.first = run.first;
    if (run.count > 1) {
      e.form = CDanglingCodec::kFormRun;
      e.last = run.last;
      e.step = run.step;
      e.count = run.count;
    } else {
      e.form = CDanglingCodec::kFormNumber;
    }
    AddPending(e);
    run.active = false;
  }
  // A missing number: it extends the open run when it follows its last
  // number by the run's step. A run of two that the number does not extend
  // gives up its first number, so that 1 5 6 7 holds 5 6 7 as a run.
  void PendingNumber(EKind k, long long v) {
    if (run.active && run.line == lineNo && run.section == section && run.kind == k) {
      long long d;
      if (run.count == 1) {
        if (Difference(v, run.first, d) && d != 0) {
          run.step = d;
          run.last = v;
          run.count = 2;
          return;
        }
      } else if (Difference(v, run.last, d) && d == run.step) {
        run.last = v;
        ++run.count;
        return;
      } else if (run.count == 2 && Difference(v, run.last, d) && d != 0 && !PendingFull()) {
        CEntry e = Site(k);
        e.line = run.line;
        e.form = CDanglingCodec::kFormNumber;
        e.first = run.first;
        AddPending(e);
        run.first = run.last;
        run.last = v;
        run.step = d;
        return;
      }
    }
    FlushRun();
    if (PendingFull()) {
      ++stats.uncheckedReferences;
      return;
    }
    run.active = true;
    run.line = lineNo;
    run.section = section;
    run.kind = k;
    run.first = run.last = v;
    run.step = 0;
    run.count = 1;
  }
  void RefNumber(EKind k, long long v) {
    // Elements of a model share few materials and sections: the last number
    // found of each kind is kept aside.
    if (lastFoundSet[k] && lastFound[k] == v) return;
    if (numbers[k].Has(v)) {
      lastFound[k] = v;
      lastFoundSet[k] = true;
      return;
    }
    PendingNumber(k, v);
  }
  void RefNum(EKind k, std::string_view f) {
    long long v;
    if (ParseInt(f, v)) RefNumber(k, v);
  }
  void RefNumNonZero(EKind k, std::string_view f) {
    long long v;
    if (ParseInt(f, v) && v != 0) RefNumber(k, v);
  }
  void RefName(EKind k, std::string_view f) {
    if (f.empty() || names[k].find(f) != names[k].end()) return;
    FlushRun();
    if (PendingFull()) {
      ++stats.uncheckedReferences;
      return;
    }
    CEntry e = Site(k);
    e.form = CDanglingCodec::kFormName;
    e.name = f;
    AddPending(e);
  }
  // Blank-separated numbers of one field.
  void RefNumList(EKind k, std::string_view f) {
    while (!f.empty()) {
      size_t i = 0;
      while (i < f.size() && !IsBlank(f[i])) ++i;
      RefNum(k, f.substr(0, i));
      while (i < f.size() && IsBlank(f[i])) ++i;
      f.remove_prefix(i);
    }
  }
  void Apply(const CUse& u, std::string_view f) {
    switch (u.use) {
      case EUse::kNone: break;
      case EUse::kDefNumber: DefNum(u.kind, f); break;
      case EUse::kDefName: DefName(u.kind, f); break;
      case EUse::kRefNumber: RefNum(u.kind, f); break;
      case EUse::kRefNonZero: RefNumNonZero(u.kind, f); break;
      case EUse::kRefName: RefName(u.kind, f); break;
      case EUse::kRefList: RefNumList(u.kind, f); break;
    }
  }

  // ---- lines ----
  void CommandLine(std::string_view line) {
    size_t i = 1;
    while (i < line.size() && !IsBlank(line[i]) && line[i] != ',' && line[i] != ';') ++i;
    if (line.size() > 1 && IsLetter(line[1])) ++stats.commandLines;
    section = RuleOf(line.substr(0, i));
    afterHead = 0;
    headKind = kKindCount;
    if (section < 0) return;
    const CRule& r = kRules[section];
    if (r.endsData) stats.sawEndData = true;
    if (r.head.use != EUse::kNone) {
      CFields f(line);
      Apply(r.head, f.At(r.head.field));
    }
  }

  // The use of field 1 of a PlainFirst rule, v its number.
  void ApplyFirst(const CRule& r, long long v) {
    if (r.uses[0].use == EUse::kDefNumber) numbers[r.uses[0].kind].Add(v);
    else RefNumber(r.uses[0].kind, v);
  }
  // The uses of an element line read by ReadLeadingFields, in the order of
  // the uses of its rule and ElementLine.
  void ApplyElement(const CElementType& t, const long long* v) {
    numbers[kElement].Add(v[0]);
    RefNumber(kMaterial, v[1]);
    if (t.property != kKindCount) RefNumber(t.property, v[2]);
    for (int i = 0; i < t.nodes; ++i)
      if (!((t.zeroIsNone || i == 3) && v[3 + i] == 0)) RefNumber(kNode, v[3 + i]);
  }
  // A data line whose numbers can be read without splitting it into all its
  // fields: the first field of a PlainFirst rule, an element line whose
  // fields are plain numbers where numbers are read. False (nothing used)
  // for any other line.
  bool PlainLine(const CRule& r, std::string_view line) {
    long long v[kMaxLeadingFields];
    if (r.reader == EReader::kElement) {
      int type;
      const int fields = ReadLeadingFields(line, v, type);
      if (type < 0 || fields < 4 + kElementTypes[type].nodes) return false;
      ApplyElement(kElementTypes[type], v);
      return true;
    }
    if (!r.PlainFirst() || !CPlainFields(line).Int(v[0])) return false;
    ApplyFirst(r, v[0]);
    return true;
  }

  // The kElementTypes row of an element line's type field; -1 for none.
  static int TypeRow(std::string_view name) {
    for (int i = 0; i < static_cast<int>(std::size(kElementTypes)); ++i)
      if (name == kElementTypes[i].name) return i;
    return -1;
  }
  // The rows of the type fields recorded numbers name.
  static const std::array<int, kElementLineKinds>& TypeRows() {
    static const auto rows = [] {
      std::array<int, kElementLineKinds> r{};
      for (size_t i = 0; i < r.size(); ++i) r[i] = TypeRow(kElementKinds[i].name);
      return r;
    }();
    return rows;
  }
  // A reference of a line taken by its numbers to number v of kind k,
  // counted at the end.
  void Defer(EKind k, long long v) {
    if (v >= 0 && v < kDenseDeferred) {
      std::vector<long long>& counts = denseDeferred[k];
      if (counts.empty()) counts.resize(kDenseDeferred);
      ++counts[static_cast<size_t>(v)];
      return;
    }
    deferred.Add(static_cast<long long>(static_cast<uint64_t>(v) << 5 | static_cast<uint64_t>(k)), 1);
  }
  // Whole data lines of the section being read, by the numbers recorded as
  // they were formatted: used as PlainLine uses the numbers it reads, but
  // material and property references are only counted. False (nothing
  // used) when the lines cannot be taken so.
  bool FeedNumbers(const CPieceNumbers& n, size_t bytes) {
    if (!counting || inLine || section < 0 || n.Lines() == 0) return false;
    const CRule& r = kRules[section];
    if (n.Shape() == CPieceNumbers::EShape::kFirstNumbers) {
      if (!r.PlainFirst()) return false;
      if (r.uses[0].use == EUse::kDefNumber) {
        for (const CPieceNumbers::CRange& range : n.Numbers()) numbers[r.uses[0].kind].AddRange(range.first, range.last);
        lineNo += static_cast<long long>(n.Lines());
      } else {
        for (const CPieceNumbers::CRange& range : n.Numbers())
          for (long long v = range.first; v <= range.last; ++v) {
            ++lineNo;
            RefNumber(r.uses[0].kind, v);
          }
      }
    } else if (n.Shape() == CPieceNumbers::EShape::kElements && r.reader == EReader::kElement) {
      const auto& rows = TypeRows();
      for (size_t t = 0; t < rows.size(); ++t) {
        const uint8_t fewest = n.FewestFields(static_cast<CPieceNumbers::EType>(t));
        if (fewest != CPieceNumbers::kNoLines && (rows[t] < 0 || fewest < kElementTypes[rows[t]].nodes)) return false;
      }
      for (const CPieceNumbers::CRange& range : n.Numbers()) numbers[kElement].AddRange(range.first, range.last);
      const CNumberSet& nodes = numbers[kNode];
      n.ForEachElement([&](CPieceNumbers::EType t, int32_t material, int32_t property, const int32_t* f, uint32_t) {
        const CElementType& e = kElementTypes[rows[static_cast<size_t>(t)]];
        ++lineNo;
        Defer(kMaterial, material);
        if (e.property != kKindCount) Defer(e.property, property);
        // Nodes are defined before the elements: most are found at once.
        for (int k = 0; k < e.nodes; ++k)
          if (!((e.zeroIsNone || k == 3) && f[k] == 0) && !nodes.Has(f[k])) RefNumber(kNode, f[k]);
      });
    } else {
      return false;
    }
    stats.bytes += static_cast<long long>(bytes);
    return true;
  }

  void DataLine(std::string_view line) {
    if (section < 0) return;
    const CRule& r = kRules[section];
    if (plainLines && PlainLine(r, line)) return;
    CFields f(line);
    std::string_view first = f.At(1);
    bool applies = true;
    switch (r.test) {
      case ETest::kAlways: break;
      case ETest::kLetter2: applies = StartsWithLetter(f.At(2)); break;
      case ETest::kFuncName: applies = StripPrefix(first, "FUNC="); break;
      case ETest::kCaseName: applies = StripPrefix(first, "NAME="); break;
      case ETest::kHingeName: applies = StartsWithLetter(first) && first != "YES" && first != "NO"; break;
    }
    if (applies) {
      for (const CUse& u : r.uses) {
        if (u.use == EUse::kNone) break;
        Apply(u, u.field == 1 ? first : f.At(u.field));
      }
    }
    switch (r.reader) {
      case EReader::kNone:
      case EReader::kGroup: break;
      case EReader::kElement: ElementLine(f); break;
      case EReader::kNlProp: {
        const std::string_view app = f.At(2);
        if (f.Has(3) && (app.empty() || app == "ELEMENT" || app == "FORCE")) DefName(kLinkProp, first);
        break;
      }
      case EReader::kSpectrumCase:
        if (StripPrefix(first, "NAME=")) {
          DefName(kSpCase, first);
          afterHead = 0;
        } else if (++afterHead == 1) {
          // The line after NAME= lists the case's functions.
          for (int i = 1; f.Has(i); ++i) RefName(kSpecFunc, f.At(i));
        } else if (!f.Has(2)) {
          // A line of one field is a function line of a case without NAME=.
          RefName(kSpecFunc, first);
        }
        break;
      case EReader::kHistoryCase:
        if (StripPrefix(first, "NAME=")) {
          DefName(kThCase, first);
          afterHead = 0;
        } else if (++afterHead == 1 && f.At(9) == "TH") {
          RefName(kThCase, f.At(10));
        }
        break;
      case EReader::kGroupDamping:
        for (int i = 5;; i += 5) {
          const std::string_view name = f.At(i);
          const std::string_view type = f.At(i + 1);
          if (!f.Has(i + 1)) break;
          if (type == "STRUCTURE") RefName(kGroup, name);
          else if (type == "BOUNDARY") RefName(kBndrGroup, name);
        }
        break;
      case EReader::kLinkGroup: {
        const std::string_view rcs = f.At(6);
        if (rcs == "0") RefName(kBndrGroup, f.At(8));
        else if (rcs == "1") RefName(kBndrGroup, f.At(14));
        break;
      }
      case EReader::kHistoryGraph: HistoryGraphLine(f); break;
      case EReader::kInitialForces:
        for (const CForceTarget& t : kForceTargets)
          if (first == t.type) RefNum(t.kind, f.At(2));
        break;
      case EReader::kAnalysisType:
        if (StripPrefix(first, "NAME=")) {
          const std::string_view type = f.At(2);
          headKind = type == "RS" ? kSpCase : type == "TH" ? kThCase : kKindCount;
          afterHead = 0;
        } else if (++afterHead == 1 && headKind != kKindCount) {
          RefName(headKind, first);
        }
        break;
      case EReader::kEquations: EquationLine(f); break;
    }
  }

  void ElementLine(CFields& f) {
    const std::string_view type = f.At(2);
    const CElementType* t = nullptr;
    for (const CElementType& e : kElementTypes)
      if (type == e.name) t = &e;
    if (!t) return;
    RefNum(kMaterial, f.At(3));
    if (t->property != kKindCount) RefNum(t->property, f.At(4));
    for (int i = 0; i < t->nodes; ++i) {
      // A triangle pads its fourth node with 0, a solid its unused corners.
      if (t->zeroIsNone || i == 3) RefNumNonZero(kNode, f.At(5 + i));
      else RefNum(kNode, f.At(5 + i));
    }
  }

  void HistoryGraphLine(CFields& f) {
    long long cls, type;
    if (!ParseInt(f.At(1), cls) || !ParseInt(f.At(2), type)) return;
    RefName(kThCase, f.At(4));
    for (const CGraphRow& g : kGraphRows) {
      if (g.cls != cls || type < g.typeFrom || type > g.typeTo) continue;
      RefNum(g.kind, f.At(5));
      // A relative displacement names a second node.
      if (cls == 0 && type == 2) RefNumNonZero(kNode, f.At(8));
    }
  }

  // NAME, iNODE, DIR | 1, iNODE | 2, iNODE1, iNODE2 | 3, (DIR, iNODE, DOF, COEF)...
  void EquationLine(CFields& f) {
    long long method;
    if (!ParseInt(f.At(1), method) || method == 1) {
      RefNum(kNode, f.At(2));
    } else if (method == 2) {
      RefNum(kNode, f.At(2));
      RefNum(kNode, f.At(3));
    } else if (method == 3) {
      for (int i = 3; f.Has(i); i += 4) RefNum(kNode, f.At(i));
    }
  }

  void Line(std::string_view line) {
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) return;
    if (line[0] == '*') CommandLine(line);
    else if (line[0] != ';') DataLine(line);
  }

  // ---- group lines: " NAME, n n n , e e e \n", read as a stream ----
  void GroupBegin() {
    gField = 0;
    gName.clear();
    gTokLen = 0;
    gTokCut = false;
  }
  void GroupToken() {
    if (gTokLen > 0 && !gTokCut) RefNum(gField == 1 ? kNode : kElement, std::string_view(gTok, gTokLen));
    gTokLen = 0;
    gTokCut = false;
  }
  // Reads a group list number of at most 18 digits that ends before e, as
  // ParseInt would, and moves p past it; false (p unmoved) for anything else.
  bool WholeNumber(const char*& p, const char* e) {
    const char* q = p;
    const bool neg = *q == '-';
    if (neg) ++q;
    const char* const digits = q;
    const char* const stop = digits + std::min<ptrdiff_t>(e - digits, 18);
    uint64_t x = 0, y;
    while (stop - q >= 8 && EightDigits(q, y)) {
      x = x * 100000000 + y;
      q += 8;
    }
    for (unsigned d; q < stop && (d = static_cast<unsigned char>(*q) - unsigned{'0'}) <= 9; ++q) x = x * 10 + d;
    if (q == digits || q == e || (*q != ',' && !IsBlank(*q))) return false;
    const auto v = static_cast<long long>(x);
    RefNumber(gField == 1 ? kNode : kElement, neg ? -v : v);
    p = q;
    return true;
  }
  void GroupBytes(std::string_view s) {
    const char* p = s.data();
    const char* const e = p + s.size();
    while (p < e) {
      if (gField == 0 || gField > 2) {
        // The name, or fields past the element list: only a comma matters.
        const char* c = static_cast<const char*>(std::memchr(p, ',', static_cast<size_t>(e - p)));
        const char* stop = c ? c : e;
        if (gField == 0)
          gName.append(p, std::min(static_cast<size_t>(stop - p), kMaxKeptLine - std::min(kMaxKeptLine, gName.size())));
        if (!c) return;
        if (gField == 0) DefName(kGroup, Trim(gName));
        ++gField;
        p = c + 1;
      } else if (*p == ',') {
        GroupToken();
        ++gField;
        ++p;
      } else if (IsBlank(*p)) {
        GroupToken();
        ++p;
      } else if (gTokLen == 0 && !gTokCut && WholeNumber(p, e)) {
        // The usual token: a number that starts and ends within this piece.
      } else {
        const char* q = p;
        while (q < e && *q != ',' && !IsBlank(*q)) ++q;
        const auto n = static_cast<size_t>(q - p);
        if (gTokLen + n <= kMaxToken) {
          std::memcpy(gTok + gTokLen, p, n);
          gTokLen += n;
        } else {
          gTokCut = true;
        }
        p = q;
      }
    }
  }
  void GroupEnd() {
    if (gField == 0) {
      // A line without a comma: a command or comment line, or a bare name.
      DefName(kGroup, Trim(gName));
      return;
    }
    if (gField <= 2) GroupToken();
  }

  // ---- assembly of lines from pieces ----
  void Feed(std::string_view chunk) {
    stats.bytes += static_cast<long long>(chunk.size());
    if (!nul && std::memchr(chunk.data(), 0, chunk.size())) nul = true;
    const char* p = chunk.data();
    const size_t n = chunk.size();
    size_t pos = 0;
    while (pos < n) {
      if (!inLine) {
        inLine = true;
        ++lineNo;
        lineLen = 0;
        streamLine = section >= 0 && kRules[section].reader == EReader::kGroup && p[pos] != '*' && p[pos] != ';';
        if (streamLine) GroupBegin();
      }
      const void* nl = std::memchr(p + pos, '\n', n - pos);
      const size_t end = nl ? static_cast<size_t>(static_cast<const char*>(nl) - p) : n;
      const std::string_view piece(p + pos, end - pos);
      lineLen += piece.size();
      if (streamLine) {
        GroupBytes(piece);
      } else if (nl && carry.empty()) {
        Line(piece.substr(0, std::min(piece.size(), kMaxKeptLine)));
      } else if (carry.size() < kMaxKeptLine) {
        carry.append(piece.substr(0, std::min(piece.size(), kMaxKeptLine - carry.size())));
      }
      if (!nl) break;
      EndLine();
      pos = end + 1;
    }
  }
  void EndLine() {
    if (streamLine) {
      GroupEnd();
    } else {
      if (lineLen > kMaxKeptLine) ++stats.longLines;
      if (!carry.empty()) {
        Line(carry);
        carry.clear();
      }
    }
    inLine = false;
  }

  // ---- resolution at the end ----
  std::vector<long long> defined;  // places on a run of numbers defined

  // Puts the part of run from place a to place b (excluded) into out: as a
  // run when long enough, else number by number.
  static void EmitPart(CDanglingList& out, const CEntry& run, long long a, long long b) {
    CEntry e = run;
    if (b - a >= CDangling::kMinRun) {
      e.first = RunNumber(run.first, run.step, a);
      e.last = RunNumber(run.first, run.step, b - 1);
      e.count = b - a;
      CDanglingCodec::Put(out, e);
      return;
    }
    e.form = CDanglingCodec::kFormNumber;
    e.step = e.last = 0;
    e.count = 1;
    for (long long i = a; i < b; ++i) {
      e.first = RunNumber(run.first, run.step, i);
      CDanglingCodec::Put(out, e);
    }
  }
  // The numbers of run not defined, as the runs between those defined.
  void ResolveRun(CDanglingList& out, const CEntry& run) {
    const CNumberSet& set = numbers[run.kind];
    long long from = 0;  // start of the part not yet put out
    defined.clear();
    const bool few = set.VisitIfFewer(static_cast<size_t>(run.count), [&](long long n) {
      long long i;
      if (RunIndex(run.first, run.last, run.step, n, i)) defined.push_back(i);
    });
    if (few) {
      std::sort(defined.begin(), defined.end());
      for (const long long i : defined) {
        if (i > from) EmitPart(out, run, from, i);
        from = i + 1;
      }
    } else {
      long long v = run.first;
      for (long long i = 0; i < run.count; ++i) {
        if (set.Has(v)) {
          if (i > from) EmitPart(out, run, from, i);
          from = i + 1;
        }
        if (i + 1 < run.count) v += run.step;
      }
    }
    if (run.count > from) EmitPart(out, run, from, run.count);
  }

  CDanglingList Finish() {
    if (inLine) {
      // A last line without a line feed.
      EndLine();
    }
    FlushRun();
    stats.lines = lineNo;
    CDanglingList out;
    const std::string_view bytes = CDanglingCodec::Bytes(pending);
    CEntry e;
    for (size_t i = 0; i < blocks.size(); ++i) {
      const CPendingBlock& b = blocks[i];
      if (AllDefined(b)) continue;
      const size_t end = i + 1 < blocks.size() ? blocks[i + 1].begin : bytes.size();
      long long line = b.line;
      CDanglingRows rows = b.rows;
      for (size_t pos = b.begin; pos < end;) {
        CDanglingCodec::Get(bytes, pos, line, rows, e);
        switch (e.form) {
          case CDanglingCodec::kFormName:
            if (names[e.kind].find(e.name) == names[e.kind].end()) CDanglingCodec::Put(out, e);
            break;
          case CDanglingCodec::kFormNumber:
            if (!numbers[e.kind].Has(e.first)) CDanglingCodec::Put(out, e);
            break;
          default: ResolveRun(out, e); break;
        }
      }
    }
    pending.clear();
    blocks.clear();
    counted = out.References();
    deferred.ForEach([&](long long key, long long lines) {
      if (!numbers[key & 31].Has(key >> 5)) counted += lines;
    });
    deferred.clear();
    for (int k = 0; k < kKindCount; ++k) {
      for (size_t v = 0; v < denseDeferred[k].size(); ++v)
        if (denseDeferred[k][v] != 0 && !numbers[k].Has(static_cast<long long>(v))) counted += denseDeferred[k][v];
      denseDeferred[k] = std::vector<long long>();
    }
    return out;
  }
};

CQsxChecker::CQsxChecker(size_t pendingBytes, bool plainLines, bool counting)
    : m_impl(std::make_unique<CImpl>(pendingBytes)) {
  m_impl->plainLines = plainLines;
  m_impl->counting = counting;
}
CQsxChecker::~CQsxChecker() = default;

void CQsxChecker::Feed(std::string_view chunk) {
  if (!m_impl->finished) m_impl->Feed(chunk);
}

void CQsxChecker::Feed(std::string_view chunk, const CPieceNumbers& numbers) {
  if (!chunk.empty() && chunk.back() == '\n' && FeedNumbers(numbers, chunk.size())) return;
  Feed(chunk);
}

bool CQsxChecker::FeedNumbers(const CPieceNumbers& numbers, size_t bytes) {
  return !m_impl->finished && m_impl->FeedNumbers(numbers, bytes);
}

long long CQsxChecker::Counted() const { return m_impl->counted; }

CDanglingList CQsxChecker::Finish() {
  if (m_impl->finished) return {};
  m_impl->finished = true;
  return m_impl->Finish();
}

EQsxVerdict CQsxChecker::Verdict() const {
  const CImpl& m = *m_impl;
  if (m.stats.bytes == 0) return EQsxVerdict::kEmpty;
  if (m.nul) return EQsxVerdict::kBinary;
  if (m.stats.commandLines == 0) return EQsxVerdict::kNoCommands;
  return EQsxVerdict::kQsx;
}

const CQsxCheckStats& CQsxChecker::Stats() const { return m_impl->stats; }

CDanglingList CheckQsxText(std::string_view text) {
  CQsxChecker checker;
  checker.Feed(text);
  return checker.Finish();
}

bool NumbersMatchText(std::string_view text, const CPieceNumbers& numbers) {
  const bool elements = numbers.Shape() == CPieceNumbers::EShape::kElements;
  if (!elements && numbers.Shape() != CPieceNumbers::EShape::kFirstNumbers) return false;
  // The lines with the first number each should hold.
  std::vector<std::pair<std::string_view, long long>> lines;
  for (const CPieceNumbers::CRange& r : numbers.Numbers())
    for (long long v = r.first; v <= r.last; ++v) {
      const size_t end = text.find('\n');
      if (end == std::string_view::npos) return false;
      lines.emplace_back(text.substr(0, end), v);
      text.remove_prefix(end + 1);
    }
  if (!text.empty() || lines.size() != numbers.Lines()) return false;
  long long v[kMaxLeadingFields];
  for (const auto& [line, n] : lines)
    if (line.empty() || line[0] == '*' || line[0] == ';' || line.back() == '\r' || !CPlainFields(line).Int(v[0]) ||
        v[0] != n)
      return false;
  if (!elements) return true;
  size_t i = 0;
  bool match = true;
  numbers.ForEachElement([&](CPieceNumbers::EType t, int32_t material, int32_t property, const int32_t* f,
                             uint32_t count) {
    int type;
    if (!match || i == lines.size()) {
      match = false;
      return;
    }
    const int fields = ReadLeadingFields(lines[i++].first, v, type);
    match = type >= 0 && kElementTypes[type].name == ElementKind(t).name &&
            fields >= 4 + kElementTypes[type].nodes && count >= static_cast<uint32_t>(kElementTypes[type].nodes) &&
            v[1] == material && (kElementTypes[type].property == kKindCount || v[2] == property);
    for (int k = 0; match && k < kElementTypes[type].nodes; ++k) match = v[3 + k] == f[k];
  });
  return match && i == lines.size();
}

}  // namespace hvx
