// References to what is not defined yet: the open run, the pending list and
// their resolution at the end.
#include "check/references.h"

namespace hvx::qsxcheck {

void CReferenceBook::RefName(EKind k, std::string_view f) {
  if (f.empty() || names[k].find(f) != names[k].end()) return;
  FlushRun();
  if (m_pending.Full()) {
    ++m_unchecked;
    return;
  }
  CEntry e;
  e.line = lineNo;
  e.section = section;
  e.kind = k;
  e.form = CDanglingCodec::kFormName;
  e.name = f;
  m_pending.Add(e);
}

void CReferenceBook::RefNumList(EKind k, std::string_view f) {
  while (!f.empty()) {
    size_t i = 0;
    while (i < f.size() && !IsBlank(f[i])) ++i;
    RefNum(k, f.substr(0, i));
    while (i < f.size() && IsBlank(f[i])) ++i;
    f.remove_prefix(i);
  }
}

CDanglingList CReferenceBook::Finish() {
  FlushRun();
  CDanglingList out = m_pending.Resolve(numbers, names);
  m_counted = out.References();
  m_deferred.ForEach([&](long long key, long long lines) {
    if (!numbers[key & 31].Has(key >> 5)) m_counted += lines;
  });
  m_deferred.clear();
  for (int k = 0; k < kKindCount; ++k) {
    for (size_t v = 0; v < m_denseDeferred[k].size(); ++v)
      if (m_denseDeferred[k][v] != 0 && !numbers[k].Has(static_cast<long long>(v))) m_counted += m_denseDeferred[k][v];
    m_denseDeferred[k] = std::vector<long long>();
  }
  return out;
}

}  // namespace hvx::qsxcheck
