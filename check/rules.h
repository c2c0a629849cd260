// The rules of the reference check: one row per section keyword saying what
// the fields of its data lines define and refer to, and the tables some of
// its line readers go by (element types, time-history graph rows, initial
// force targets). Rows and kinds are kept as numbers (a byte each) in the
// list of dangling references.
#pragma once

#include <array>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace hvx::qsxcheck {

enum EKind : uint8_t {
  kNode, kElement, kMaterial, kSection, kThickness, kLoadCase, kThCase, kSpCase, kGroup,
  kBndrGroup, kHingeProp, kLinkProp, kSpringProp, kSpecFunc, kTimeFunc, kGenLink, kElasticLink,
  kKindCount
};

inline constexpr std::string_view kKindNames[kKindCount] = {
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

inline constexpr CRule kRules[] = {
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
inline constexpr int kRuleCount = static_cast<int>(std::size(kRules));
static_assert(kRuleCount < 256, "a row number is kept in one byte");

// Element lines: nodes and the property they refer to by element type.
struct CElementType {
  std::string_view name;
  int nodes;
  EKind property;   // kKindCount: none
  bool zeroIsNone;  // a 0 in any node slot is an unused corner
};
inline constexpr CElementType kElementTypes[] = {
    {"TRUSS", 2, kSection, false},     {"BEAM", 2, kSection, false},      {"PLSTRS", 4, kThickness, false},
    {"PLATE", 4, kThickness, false},   {"PLSTRN", 4, kThickness, false},  {"SOLID", 8, kKindCount, true},
};

// Time-history graph rows: what field 5 names by class (field 1) and type
// (field 2).
struct CGraphRow {
  long long cls, typeFrom, typeTo;
  EKind kind;
};
inline constexpr CGraphRow kGraphRows[] = {
    {0, 2, 2, kNode},    {0, 3, 7, kElement}, {0, 9, 10, kElement}, {0, 8, 8, kGenLink},
    {1, 2, 2, kNode},    {1, 3, 4, kElement}, {1, 6, 6, kGenLink},
};

// *INI-EFORCE: what field 2 names by the type in field 1.
struct CForceTarget {
  std::string_view type;
  EKind kind;
};
inline constexpr CForceTarget kForceTargets[] = {
    {"TRUSS", kElement}, {"BEAM", kElement}, {"E-LINK", kElasticLink}, {"G-LINK", kGenLink}};

// The row of kRules for a command keyword; -1 for a section the check passes
// over.
inline int RuleOf(std::string_view keyword) {
  for (int r = 0; r < kRuleCount; ++r)
    if (keyword == kRules[r].keyword) return r;
  return -1;
}

// The row of kElementTypes for an element line's type field; -1 for none.
inline int TypeRow(std::string_view name) {
  for (int i = 0; i < static_cast<int>(std::size(kElementTypes)); ++i)
    if (name == kElementTypes[i].name) return i;
  return -1;
}

}  // namespace hvx::qsxcheck
