// Reference check of QSX text. One pass over the lines: each data line is read
// by the rule of the section it stands in (the last command line), which says
// what its fields define and refer to (check/rules.h); the definitions and
// references go to the reference book (check/references.h), which resolves
// what is still missing at the end.
#include "check/qsxcheck.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <string>

#include "base/piece_numbers.h"
#include "check/fields.h"
#include "check/references.h"
#include "check/rules.h"

namespace hvx {

using namespace qsxcheck;

const char* QsxVerdictText(EQsxVerdict v) {
  switch (v) {
    case EQsxVerdict::kQsx: return "QSX text";
    case EQsxVerdict::kEmpty: return "empty";
    case EQsxVerdict::kBinary: return "binary: holds NUL bytes";
    case EQsxVerdict::kNoCommands: return "no command lines";
  }
  return "";
}

namespace {
constexpr size_t kMaxToken = 32;
}  // namespace

struct CQsxChecker::CImpl : CReferenceBook {
  explicit CImpl(size_t pendingBytes) : CReferenceBook(pendingBytes) {}

  CQsxCheckStats stats;
  bool nul = false;
  bool finished = false;
  bool counting = false;

  // Line assembly.
  bool inLine = false;
  bool streamLine = false;  // the current line goes through the group reader
  size_t lineLen = 0;
  std::string carry;

  // Section state (the section's row is the book's).
  int afterHead = 0;            // data lines since the last head line of the section
  EKind headKind = kKindCount;  // *HVX-ANALTYPE: kind named by the line after NAME=

  // Group line reader.
  int gField = 0;
  std::string gName;
  char gTok[kMaxToken];
  size_t gTokLen = 0;
  bool gTokCut = false;

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

  // The rows of the type fields recorded numbers name.
  static const std::array<int, kElementLineKinds>& TypeRows() {
    static const auto rows = [] {
      std::array<int, kElementLineKinds> r{};
      for (size_t i = 0; i < r.size(); ++i) r[i] = TypeRow(kElementKinds[i].name);
      return r;
    }();
    return rows;
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
    if (PlainLine(r, line)) return;
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
    const auto v = static_cast<long long>(ReadDigits(q, digits + std::min<ptrdiff_t>(e - digits, 18)));
    if (q == digits || q == e || (*q != ',' && !IsBlank(*q))) return false;
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

  CDanglingList Finish() {
    if (inLine) {
      // A last line without a line feed.
      EndLine();
    }
    stats.lines = lineNo;
    CDanglingList out = CReferenceBook::Finish();
    stats.uncheckedReferences = Unchecked();
    return out;
  }
};

CQsxChecker::CQsxChecker(size_t pendingBytes, bool counting) : m_impl(std::make_unique<CImpl>(pendingBytes)) {
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

long long CQsxChecker::Counted() const { return m_impl->Counted(); }

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

}  // namespace hvx
