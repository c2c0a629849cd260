// Reference check of QSX text. One pass over the lines: each data line is read
// by the rule of the section it stands in (the last command line), which may
// define a number or name of some kind and may refer to others. A reference to
// something already defined is dropped at once; the rest wait in file order and
// are looked up again at the end, so forward references resolve.
#include "check/qsxcheck.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <unordered_set>

namespace hvx {

namespace {

enum EKind : uint8_t {
  kNode, kElement, kMaterial, kSection, kThickness, kLoadCase, kThCase, kSpCase, kGroup,
  kBndrGroup, kHingeProp, kLinkProp, kSpringProp, kSpecFunc, kTimeFunc, kGenLink, kElasticLink,
  kKindCount
};

const char* const kKindNames[kKindCount] = {
    "node", "element", "material", "section", "thickness", "load case", "time history case",
    "spectrum case", "group", "boundary group", "hinge property", "link property",
    "spring property", "spectrum function", "time function", "general link", "elastic link"};

// Sections whose data lines define or refer to something; every other command
// keyword is kOther and its data lines are passed over.
enum ESec : uint8_t {
  kOther, kSNode, kSElement, kSMaterial, kSSection, kSThickness, kSNlProp, kSHvxNlProp,
  kSGsprType, kSConstraint, kSRigidLink, kSFrameRls, kSOffset, kSStldCase, kSUseStld,
  kSConLoad, kSPressure, kSPrestress, kSBeamLoad, kSBsTemper, kSElTemper, kSSpDisp,
  kSSfunction, kSSpldCase, kSTfunction, kSThldCase, kSDynSload, kSGroundAcc, kSDynNload,
  kSGroup, kSBndrGroup, kSGroupDamp, kSIniForce, kSIhingeProp, kSIhingeAssign, kSNlLink,
  kSGspring, kSNodalMass, kSSpring, kSElasticLink, kSThGraph, kSThAnitime, kSMnThOutput,
  kSLocalAxis, kSIniEforce, kSHvxAnaltype, kSHvxConstraint, kSHvxNlctrl, kSEndData, kSecCount
};

const char* const kSecNames[kSecCount] = {
    "", "*NODE", "*ELEMENT", "*MATERIAL", "*SECTION", "*THICKNESS", "*NL-PROP",
    "*HVX-NL-PROP", "*GSPRTYPE", "*CONSTRAINT", "*RIGIDLINK", "*FRAME-RLS", "*OFFSET",
    "*STLDCASE", "*USE-STLD", "*CONLOAD", "*PRESSURE", "*PRESTRESS", "*BEAMLOAD", "*BSTEMPER",
    "*ELTEMPER", "*SPDISP", "*SFUNCTION", "*SPLDCASE", "*TFUNCTION", "*THLDCASE",
    "*DYN-SLOAD", "*GROUND-ACC", "*DYN-NLOAD", "*GROUP", "*BNDR-GROUP", "*GROUP-DAMP",
    "*INIFORCE", "*IHINGE-PROP", "*IHINGE-ASSIGN", "*NL-LINK", "*GSPRING", "*NODALMASS",
    "*SPRING", "*ELASTICLINK", "*TH-GRAPH", "*TH-ANITIME", "*HVX-MN-TH-OUTPUT", "*LOCALAXIS",
    "*INI-EFORCE", "*HVX-ANALTYPE", "*HVX-CONSTRAINT", "*HVX-NLCTRL", "*ENDDATA"};

ESec SectionOf(std::string_view keyword) {
  for (int s = 1; s < kSecCount; ++s)
    if (keyword == kSecNames[s]) return static_cast<ESec>(s);
  return kOther;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

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

// Comma-separated fields of one line, trimmed, taken one after another.
class CFields {
 public:
  explicit CFields(std::string_view line) : m_rest(line) {}
  std::string_view Next() {
    if (m_done) return {};
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
  // Field n (1-based), counting from the start of the line; fields already
  // taken are not revisited, so n must grow across calls.
  std::string_view At(int n) {
    std::string_view f;
    while (m_taken < n) {
      if (m_done) return {};
      f = Next();
      ++m_taken;
    }
    return f;
  }
  bool Done() const { return m_done; }

 private:
  std::string_view m_rest;
  bool m_done = false;
  int m_taken = 0;
};

// Open-addressing hash set of 64-bit numbers (linear probing, at most half
// full): one probe sequence in one array, no node per number.
class CFlatSet {
 public:
  size_t size() const { return m_count; }
  bool empty() const { return m_count == 0; }
  void insert(long long n) {
    if (n == kEmpty) {
      if (!m_hasEmpty) ++m_count;
      m_hasEmpty = true;
      return;
    }
    if (2 * (m_count + 1) > m_slots.size()) Grow();
    long long& s = m_slots[Find(n)];
    if (s == kEmpty) {
      s = n;
      ++m_count;
    }
  }
  bool count(long long n) const {
    if (n == kEmpty) return m_hasEmpty;
    return !m_slots.empty() && m_slots[Find(n)] == n;
  }
  template <class F>
  void ForEach(F f) const {
    if (m_hasEmpty) f(kEmpty);
    for (const long long v : m_slots)
      if (v != kEmpty) f(v);
  }
  void clear() {
    m_slots.clear();
    m_count = 0;
    m_hasEmpty = false;
  }

 private:
  static constexpr long long kEmpty = INT64_MIN;
  // The slot holding n, or the empty slot where n would go.
  size_t Find(long long n) const {
    const size_t mask = m_slots.size() - 1;
    size_t i = static_cast<size_t>((static_cast<uint64_t>(n) * 0x9E3779B97F4A7C15ull) >> 20) & mask;
    while (m_slots[i] != kEmpty && m_slots[i] != n) i = (i + 1) & mask;
    return i;
  }
  void Grow() {
    std::vector<long long> old(m_slots.empty() ? 16 : m_slots.size() * 2, kEmpty);
    old.swap(m_slots);
    for (const long long v : old)
      if (v != kEmpty) m_slots[Find(v)] = v;
  }
  std::vector<long long> m_slots;
  size_t m_count = 0;
  bool m_hasEmpty = false;
};

// Defined numbers of one kind. A few thousand sit in a hash set; beyond that a
// bitmap in pages of 65536 numbers over the 32-bit range takes over, its pages
// created on first use up to a limit. The hash set keeps what falls outside
// (numbers beyond 32 bits, pages beyond the limit). A number whose page exists
// is always in the page.
class CNumberSet {
 public:
  void Add(long long n) {
    if (m_pages.empty()) {
      m_sparse.insert(n);
      if (m_sparse.size() >= kSmall) ToBitmap();
      return;
    }
    if (!AddToPage(n)) m_sparse.insert(n);
  }
  bool Has(long long n) const {
    if (!m_pages.empty() && n >= INT32_MIN && n <= INT32_MAX) {
      const uint32_t u = static_cast<uint32_t>(static_cast<int32_t>(n));
      if (const uint64_t* page = m_pages[u >> 16].get())
        return (page[(u & 0xffff) >> 6] >> (u & 63)) & 1;
    }
    return !m_sparse.empty() && m_sparse.count(n) != 0;
  }

 private:
  static constexpr size_t kSmall = 4096;
  static constexpr size_t kPageWords = 65536 / 64;
  static constexpr size_t kMaxPages = 1024;  // 8 MiB of bitmap per kind

  void ToBitmap() {
    m_pages.resize(size_t{1} << 16);
    CFlatSet rest;
    m_sparse.ForEach([&](long long n) {
      if (!AddToPage(n)) rest.insert(n);
    });
    m_sparse = std::move(rest);
  }
  bool AddToPage(long long n) {
    if (n < INT32_MIN || n > INT32_MAX) return false;
    const uint32_t u = static_cast<uint32_t>(static_cast<int32_t>(n));
    std::unique_ptr<uint64_t[]>& page = m_pages[u >> 16];
    if (!page) {
      if (m_pageCount >= kMaxPages) return false;
      page.reset(new uint64_t[kPageWords]());
      ++m_pageCount;
    }
    page[(u & 0xffff) >> 6] |= uint64_t{1} << (u & 63);
    return true;
  }

  std::vector<std::unique_ptr<uint64_t[]>> m_pages;
  size_t m_pageCount = 0;
  CFlatSet m_sparse;
};

// A reference not resolved when it was read (24 bytes): a number, or a name
// kept in the arena. Elements come before the materials and sections they
// name, so a big model has about two of these per element.
struct CPending {
  long long line;
  union {
    long long number;
    struct {
      uint32_t nameOff;
      uint32_t nameLen;
    };
  };
  uint8_t sec;
  uint8_t kind;
  bool isName;
};
static_assert(sizeof(CPending) == 24);

constexpr size_t kMaxPending = size_t{8} << 20;
constexpr size_t kMaxNameArena = size_t{64} << 20;
constexpr size_t kMaxToken = 32;

}  // namespace

bool operator==(const CDangling& a, const CDangling& b) {
  return a.section == b.section && a.line == b.line && a.kind == b.kind && a.name == b.name;
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

struct CQsxChecker::CImpl {
  CNumberSet numbers[kKindCount];
  std::unordered_set<std::string> names[kKindCount];
  long long lastFound[kKindCount] = {};
  bool lastFoundSet[kKindCount] = {};
  std::vector<CPending> pending;
  std::string arena;
  CQsxCheckStats stats;
  bool nul = false;
  bool finished = false;

  // Line assembly.
  long long lineNo = 0;
  bool inLine = false;
  bool streamLine = false;  // the current line goes through the group reader
  size_t lineLen = 0;
  std::string carry;

  // Section state.
  ESec sec = kOther;
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
  void RefNumber(EKind k, long long v) {
    // Elements of a model share few materials and sections: the last number
    // found of each kind is kept aside.
    if (lastFoundSet[k] && lastFound[k] == v) return;
    if (numbers[k].Has(v)) {
      lastFound[k] = v;
      lastFoundSet[k] = true;
      return;
    }
    if (pending.size() >= kMaxPending) {
      ++stats.uncheckedReferences;
      return;
    }
    CPending& r = pending.emplace_back();
    r.line = lineNo;
    r.number = v;
    r.sec = static_cast<uint8_t>(sec);
    r.kind = k;
    r.isName = false;
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
    if (f.empty() || names[k].count(std::string(f))) return;
    if (pending.size() >= kMaxPending || arena.size() + f.size() > kMaxNameArena) {
      ++stats.uncheckedReferences;
      return;
    }
    CPending& r = pending.emplace_back();
    r.line = lineNo;
    r.nameOff = static_cast<uint32_t>(arena.size());
    r.nameLen = static_cast<uint32_t>(f.size());
    r.sec = static_cast<uint8_t>(sec);
    r.kind = k;
    r.isName = true;
    arena.append(f);
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

  // ---- lines ----
  void CommandLine(std::string_view line) {
    size_t i = 1;
    while (i < line.size() && !IsBlank(line[i]) && line[i] != ',' && line[i] != ';') ++i;
    const std::string_view keyword = line.substr(0, i);
    if (line.size() > 1 && IsLetter(line[1])) ++stats.commandLines;
    sec = SectionOf(keyword);
    afterHead = 0;
    headKind = kKindCount;
    if (sec == kSEndData) stats.sawEndData = true;
    if (sec == kSUseStld) {
      CFields f(line);
      RefName(kLoadCase, f.At(2));
    }
  }

  static bool StripPrefix(std::string_view& f, std::string_view prefix) {
    if (f.substr(0, prefix.size()) != prefix) return false;
    f = Trim(f.substr(prefix.size()));
    return true;
  }

  void DataLine(std::string_view line) {
    CFields f(line);
    switch (sec) {
      case kSNode: DefNum(kNode, f.At(1)); break;
      case kSElement: ElementLine(f); break;
      case kSMaterial: DefNum(kMaterial, f.At(1)); break;
      case kSSection:
      case kSThickness: {
        const std::string_view id = f.At(1);
        const std::string_view type = f.At(2);
        if (!type.empty() && IsLetter(type[0])) DefNum(sec == kSSection ? kSection : kThickness, id);
        break;
      }
      case kSNlProp: {
        const std::string_view name = f.At(1);
        const std::string_view app = f.At(2);
        if (!f.Done() && (app.empty() || app == "ELEMENT" || app == "FORCE")) DefName(kLinkProp, name);
        break;
      }
      case kSHvxNlProp: RefName(kLinkProp, f.At(1)); break;
      case kSGsprType: DefName(kSpringProp, f.At(1)); break;
      case kSConstraint:
      case kSConLoad:
      case kSSpDisp:
      case kSNodalMass:
      case kSLocalAxis: RefNum(kNode, f.At(1)); break;
      case kSRigidLink:
        RefNum(kNode, f.At(1));
        RefNumList(kNode, f.At(3));
        break;
      case kSFrameRls: {
        const std::string_view id = f.At(1);
        const std::string_view v = f.At(2);
        if (!v.empty() && IsLetter(v[0])) RefNum(kElement, id);
        break;
      }
      case kSOffset:
      case kSPressure:
      case kSPrestress:
      case kSBeamLoad:
      case kSBsTemper:
      case kSElTemper:
      case kSIniForce:
      case kSMnThOutput: RefNum(kElement, f.At(1)); break;
      case kSStldCase: DefName(kLoadCase, f.At(1)); break;
      case kSSfunction:
      case kSTfunction: {
        std::string_view name = f.At(1);
        if (StripPrefix(name, "FUNC=")) DefName(sec == kSSfunction ? kSpecFunc : kTimeFunc, name);
        break;
      }
      case kSSpldCase: {
        std::string_view first = f.At(1);
        if (StripPrefix(first, "NAME=")) {
          DefName(kSpCase, first);
          afterHead = 0;
        } else if (++afterHead == 1) {
          // The line after NAME= lists the case's functions.
          for (std::string_view fn = first;; fn = f.Next()) {
            RefName(kSpecFunc, fn);
            if (f.Done()) break;
          }
        } else if (f.Done()) {
          // A line of one field is a function line of a case without NAME=.
          RefName(kSpecFunc, first);
        }
        break;
      }
      case kSThldCase: {
        std::string_view first = f.At(1);
        if (StripPrefix(first, "NAME=")) {
          DefName(kThCase, first);
          afterHead = 0;
        } else if (++afterHead == 1 && f.At(9) == "TH") {
          RefName(kThCase, f.At(10));
        }
        break;
      }
      case kSDynSload:
        RefName(kThCase, f.At(1));
        RefName(kLoadCase, f.At(2));
        RefName(kTimeFunc, f.At(3));
        break;
      case kSGroundAcc:
        RefName(kThCase, f.At(1));
        RefName(kTimeFunc, f.At(2));
        RefName(kTimeFunc, f.At(5));
        RefName(kTimeFunc, f.At(8));
        break;
      case kSDynNload:
        RefNum(kNode, f.At(1));
        RefName(kThCase, f.At(2));
        RefName(kTimeFunc, f.At(3));
        break;
      case kSBndrGroup: DefName(kBndrGroup, f.At(1)); break;
      case kSGroupDamp:
        for (int i = 5;; i += 5) {
          const std::string_view name = f.At(i);
          const std::string_view type = f.At(i + 1);
          if (type == "STRUCTURE") RefName(kGroup, name);
          else if (type == "BOUNDARY") RefName(kBndrGroup, name);
          if (f.Done()) break;
        }
        break;
      case kSIhingeProp: {
        const std::string_view name = f.At(1);
        if (!name.empty() && IsLetter(name[0]) && name != "YES" && name != "NO") {
          DefName(kHingeProp, name);
          RefNumNonZero(kMaterial, f.At(5));
          RefNumNonZero(kSection, f.At(6));
        }
        break;
      }
      case kSIhingeAssign:
        RefNum(kElement, f.At(1));
        RefName(kHingeProp, f.At(2));
        break;
      case kSNlLink: {
        DefNum(kGenLink, f.At(1));
        RefNum(kNode, f.At(2));
        RefNum(kNode, f.At(3));
        RefName(kLinkProp, f.At(4));
        RefName(kHingeProp, f.At(5));
        const std::string_view rcs = f.At(6);
        if (rcs == "0") RefName(kBndrGroup, f.At(8));
        else if (rcs == "1") RefName(kBndrGroup, f.At(14));
        break;
      }
      case kSGspring:
        RefNum(kNode, f.At(1));
        RefName(kSpringProp, f.At(2));
        RefName(kBndrGroup, f.At(3));
        break;
      case kSSpring:
        RefNum(kNode, f.At(1));
        RefName(kBndrGroup, f.At(8));
        break;
      case kSElasticLink:
        DefNum(kElasticLink, f.At(1));
        RefNum(kNode, f.At(2));
        RefNum(kNode, f.At(3));
        RefName(kBndrGroup, f.At(15));
        break;
      case kSThGraph: ThGraphLine(f); break;
      case kSThAnitime: RefName(kThCase, f.At(1)); break;
      case kSIniEforce: {
        const std::string_view type = f.At(1);
        const std::string_view id = f.At(2);
        if (type == "TRUSS" || type == "BEAM") RefNum(kElement, id);
        else if (type == "E-LINK") RefNum(kElasticLink, id);
        else if (type == "G-LINK") RefNum(kGenLink, id);
        break;
      }
      case kSHvxAnaltype: {
        std::string_view first = f.At(1);
        if (StripPrefix(first, "NAME=")) {
          const std::string_view type = f.At(2);
          headKind = type == "RS" ? kSpCase : type == "TH" ? kThCase : kKindCount;
          afterHead = 0;
        } else if (++afterHead == 1 && headKind != kKindCount) {
          RefName(headKind, first);
        }
        break;
      }
      case kSHvxConstraint: HvxConstraintLine(f); break;
      case kSHvxNlctrl: {
        std::string_view first = f.At(1);
        if (StripPrefix(first, "NAME=")) RefName(kThCase, f.At(2));
        break;
      }
      default: break;
    }
  }

  void ElementLine(CFields& f) {
    DefNum(kElement, f.At(1));
    const std::string_view type = f.At(2);
    int nodes = 0;
    bool zeroIsNone = false;
    EKind prop = kKindCount;
    if (type == "TRUSS" || type == "BEAM") {
      nodes = 2;
      prop = kSection;
    } else if (type == "PLSTRS" || type == "PLATE" || type == "PLSTRN") {
      nodes = 4;
      prop = kThickness;
    } else if (type == "SOLID") {
      nodes = 8;
      zeroIsNone = true;
    } else {
      return;
    }
    RefNum(kMaterial, f.At(3));
    const std::string_view pro = f.At(4);
    if (prop != kKindCount) RefNum(prop, pro);
    for (int i = 0; i < nodes; ++i) {
      // A triangle pads its fourth node with 0, a solid its unused corners.
      if (zeroIsNone || i == 3) RefNumNonZero(kNode, f.At(5 + i));
      else RefNum(kNode, f.At(5 + i));
    }
  }

  void ThGraphLine(CFields& f) {
    long long cls, type;
    if (!ParseInt(f.At(1), cls) || !ParseInt(f.At(2), type)) return;
    RefName(kThCase, f.At(4));
    const std::string_view first = f.At(5);
    if (cls == 0) {
      if (type == 2) {
        RefNum(kNode, first);
        RefNumNonZero(kNode, f.At(8));
      } else if ((type >= 3 && type <= 7) || type == 9 || type == 10) {
        RefNum(kElement, first);
      } else if (type == 8) {
        RefNum(kGenLink, first);
      }
    } else if (cls == 1) {
      if (type == 2) RefNum(kNode, first);
      else if (type == 3 || type == 4) RefNum(kElement, first);
      else if (type == 6) RefNum(kGenLink, first);
    }
  }

  void HvxConstraintLine(CFields& f) {
    const std::string_view first = f.At(1);
    long long method;
    if (!ParseInt(first, method)) {
      RefNum(kNode, f.At(2));  // NAME, iNODE, DIR
    } else if (method == 1) {
      RefNum(kNode, f.At(2));
    } else if (method == 2) {
      RefNum(kNode, f.At(2));
      RefNum(kNode, f.At(3));
    } else if (method == 3) {
      for (int i = 3; !f.Done(); i += 4) RefNum(kNode, f.At(i));
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
    if (gTokLen > 0 && !gTokCut && gField >= 1 && gField <= 2)
      RefNum(gField == 1 ? kNode : kElement, std::string_view(gTok, gTokLen));
    gTokLen = 0;
    gTokCut = false;
  }
  void GroupBytes(std::string_view s) {
    for (const char c : s) {
      if (gField == 0) {
        if (c == ',') {
          DefName(kGroup, Trim(gName));
          gField = 1;
        } else if (gName.size() < kMaxKeptLine) {
          gName.push_back(c);
        }
      } else if (c == ',') {
        GroupToken();
        ++gField;
      } else if (IsBlank(c)) {
        GroupToken();
      } else if (gField <= 2) {
        if (gTokLen < kMaxToken) gTok[gTokLen++] = c;
        else gTokCut = true;
      }
    }
  }
  void GroupEnd() {
    if (gField == 0) {
      // A line without a comma: a command or comment line, or a bare name.
      DefName(kGroup, Trim(gName));
      return;
    }
    GroupToken();
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
        streamLine = sec == kSGroup && p[pos] != '*' && p[pos] != ';';
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

  std::vector<CDangling> Finish() {
    if (inLine) {
      // A last line without a line feed.
      EndLine();
    }
    stats.lines = lineNo;
    std::vector<CDangling> out;
    for (const CPending& r : pending) {
      bool found;
      std::string name;
      if (r.isName) {
        name.assign(arena, r.nameOff, r.nameLen);
        found = names[r.kind].count(name) != 0;
      } else {
        found = numbers[r.kind].Has(r.number);
        if (!found) name = std::to_string(r.number);
      }
      if (!found) out.push_back({kSecNames[r.sec], r.line, kKindNames[r.kind], std::move(name)});
    }
    pending.clear();
    pending.shrink_to_fit();
    arena.clear();
    return out;
  }
};

CQsxChecker::CQsxChecker() : m_impl(std::make_unique<CImpl>()) {}
CQsxChecker::~CQsxChecker() = default;

void CQsxChecker::Feed(std::string_view chunk) {
  if (!m_impl->finished) m_impl->Feed(chunk);
}

std::vector<CDangling> CQsxChecker::Finish() {
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

std::vector<CDangling> CheckQsxText(std::string_view text) {
  CQsxChecker checker;
  checker.Feed(text);
  return checker.Finish();
}

}  // namespace hvx
