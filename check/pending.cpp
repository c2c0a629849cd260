// The compact list: CDanglingList's members, the decoding of its entries for
// iteration, and the pending references of a check resolved at the end.
#include "check/pending.h"

#include "check/runs.h"

namespace hvx {

namespace qsxcheck {

void CDanglingCodec::Load(CDanglingList::const_iterator& it) {
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

void CPendingList::OpenBlock() {
  CBlock b;
  b.begin = m_list.Bytes();
  b.line = CDanglingCodec::LastLine(m_list);
  b.rows = CDanglingCodec::LastRows(m_list);
  m_blocks.push_back(std::move(b));
  std::fill(m_slots.begin(), m_slots.end(), kNoKey);
}

namespace {

// Puts the part of run from place a to place b (excluded) into out: as a
// run when long enough, else number by number.
void EmitPart(CDanglingList& out, const CEntry& run, long long a, long long b) {
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

}  // namespace

void CPendingList::ResolveRun(CDanglingList& out, const CEntry& run, const CNumberSet& set) {
  long long from = 0;  // start of the part not yet put out
  m_defined.clear();
  const bool few = set.VisitIfFewer(static_cast<size_t>(run.count), [&](long long n) {
    long long i;
    if (RunIndex(run.first, run.last, run.step, n, i)) m_defined.push_back(i);
  });
  if (few) {
    std::sort(m_defined.begin(), m_defined.end());
    for (const long long i : m_defined) {
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

CDanglingList CPendingList::Resolve(const CNumberSet (&numbers)[kKindCount], const CNameSet (&names)[kKindCount]) {
  CDanglingList out;
  const std::string_view bytes = CDanglingCodec::Bytes(m_list);
  CEntry e;
  for (size_t i = 0; i < m_blocks.size(); ++i) {
    const CBlock& b = m_blocks[i];
    if (!b.decode && std::all_of(b.keys.begin(), b.keys.end(), [&](uint64_t key) {
          return numbers[key & 31].Has(static_cast<long long>(key) >> 5);
        }))
      continue;
    const size_t end = i + 1 < m_blocks.size() ? m_blocks[i + 1].begin : bytes.size();
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
        default: ResolveRun(out, e, numbers[e.kind]); break;
      }
    }
  }
  m_list.clear();
  m_blocks.clear();
  return out;
}

}  // namespace qsxcheck

static_assert(std::input_iterator<CDanglingList::const_iterator>);

CDanglingList::const_iterator CDanglingList::begin() const {
  const_iterator it;
  it.m_bytes = qsxcheck::CDanglingCodec::Bytes(*this);
  qsxcheck::CDanglingCodec::Load(it);
  return it;
}

CDanglingList::const_iterator CDanglingList::end() const {
  const_iterator it;
  it.m_bytes = qsxcheck::CDanglingCodec::Bytes(*this);
  it.m_pos = m_used;
  return it;
}

CDanglingList::const_iterator& CDanglingList::const_iterator::operator++() {
  m_pos = m_next;
  qsxcheck::CDanglingCodec::Load(*this);
  return *this;
}

void CDanglingList::push_back(const CDangling& d) {
  qsxcheck::CEntry e;
  e.line = d.line;
  e.sectionText = d.section;
  e.kindText = d.kind;
  if (d.IsRun()) {
    e.form = qsxcheck::CDanglingCodec::kFormRun;
    e.first = d.first;
    e.last = d.last;
    e.step = d.step;
    e.count = d.count;
  } else {
    e.name = d.name;
  }
  qsxcheck::CDanglingCodec::Put(*this, e);
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

}  // namespace hvx
