// What a text defines and what it refers to, as the reference check reads
// it: the numbers and names defined so far of each kind, and the references
// to what is not (yet) defined. A reference to something already defined is
// dropped at once; the rest wait in file order in the pending list, missing
// numbers that follow each other on one line as one run, and are looked up
// again at the end, so forward references resolve.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "check/dangling.h"
#include "check/fields.h"
#include "check/numberset.h"
#include "check/pending.h"
#include "check/rules.h"
#include "check/runs.h"

namespace hvx::qsxcheck {

class CReferenceBook {
 public:
  explicit CReferenceBook(size_t pendingBytes) : m_pending(pendingBytes) {}

  // Where the references given next stand: the 1-based line and the row of
  // kRules of its section (-1: a section whose lines are passed over). Set
  // by the reader of the text.
  long long lineNo = 0;
  int section = -1;

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
    if (m_lastFoundSet[k] && m_lastFound[k] == v) return;
    if (numbers[k].Has(v)) {
      m_lastFound[k] = v;
      m_lastFoundSet[k] = true;
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
  void RefName(EKind k, std::string_view f);
  // Blank-separated numbers of one field.
  void RefNumList(EKind k, std::string_view f);
  // The use u of a rule on field f.
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
  // A reference of a line taken by the numbers recorded of it to number v
  // of kind k: not listed, only counted at the end.
  void Defer(EKind k, long long v) {
    if (v >= 0 && v < kDenseDeferred) {
      std::vector<long long>& counts = m_denseDeferred[k];
      if (counts.empty()) counts.resize(kDenseDeferred);
      ++counts[static_cast<size_t>(v)];
      return;
    }
    m_deferred.Add(static_cast<long long>(static_cast<uint64_t>(v) << 5 | static_cast<uint64_t>(k)), 1);
  }

  // Resolves the references that wait against all the text defines and
  // returns those still missing, in file order. Call once, at the end.
  CDanglingList Finish();
  // After Finish: the dangling references, each number of a run counted,
  // with those deferred.
  long long Counted() const { return m_counted; }
  // References not kept since the pending list was full.
  long long Unchecked() const { return m_unchecked; }

  CNumberSet numbers[kKindCount];
  CNameSet names[kKindCount];

 private:
  // A missing number: it extends the open run or opens one.
  void PendingNumber(EKind k, long long v);
  // Puts the open run into the pending list.
  void FlushRun();

  long long m_lastFound[kKindCount] = {};
  bool m_lastFoundSet[kKindCount] = {};
  CPendingList m_pending;
  long long m_unchecked = 0;
  // Missing numbers of one kind on the current line that follow each other
  // by a fixed step, not yet in the pending list.
  struct COpenRun {
    bool active = false;
    long long line = 0;
    int section = 0;
    EKind kind = kNode;
    long long first = 0, last = 0, step = 0, count = 0;
  } m_run;
  // The deferred references of lines taken by their numbers: number << 5 |
  // kind, and how many lines refer to it.
  CFlatCounts m_deferred;
  // The same for the small numbers materials and properties usually have,
  // counted in place.
  static constexpr long long kDenseDeferred = 4096;
  std::vector<long long> m_denseDeferred[kKindCount];
  long long m_counted = 0;  // valid after Finish
};

inline void CReferenceBook::FlushRun() {
  if (!m_run.active) return;
  m_run.active = false;
  if (m_run.count == 1) {
    // The usual entry: one number missing so far.
    m_pending.AddNumber(m_run.line, m_run.section, m_run.kind, m_run.first);
    return;
  }
  CEntry e;
  e.line = m_run.line;
  e.section = m_run.section;
  e.kind = m_run.kind;
  e.first = m_run.first;
  e.form = CDanglingCodec::kFormRun;
  e.last = m_run.last;
  e.step = m_run.step;
  e.count = m_run.count;
  m_pending.Add(e);
}

// A missing number extends the open run when it follows its last number by
// the run's step. A run of two that the number does not extend gives up its
// first number, so that 1 5 6 7 holds 5 6 7 as a run.
inline void CReferenceBook::PendingNumber(EKind k, long long v) {
  COpenRun& run = m_run;
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
    } else if (run.count == 2 && Difference(v, run.last, d) && d != 0 && !m_pending.Full()) {
      m_pending.AddNumber(run.line, section, k, run.first);
      run.first = run.last;
      run.last = v;
      run.step = d;
      return;
    }
  }
  FlushRun();
  if (m_pending.Full()) {
    ++m_unchecked;
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

}  // namespace hvx::qsxcheck
