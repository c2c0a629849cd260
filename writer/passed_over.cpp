// The conversion report's view of writing: which entities the sections wrote
// and why the others were passed over. Sections mark what they write as they
// go; what no section touched is named here, after the last section.
#include <map>
#include <utility>

#include "writer/sections.h"

namespace hvx {

using hvx::EKind;

void CQsxSections::ElementsWrittenTo(const char* section) {
  if (m_report) m_report->AddWritten(EKind::kElements, section, m_elemWritten);
  m_elemWritten = 0;
}

void CQsxSections::ElementPassed(const char* reason) {
  if (!m_report || m_elemMark[m_curElem] != 0) return;
  m_elemMark[m_curElem] = 2;
  m_report->NotConverted(EKind::kElements, reason, m_sortedElements[m_curElem].id);
}

void CQsxSections::FinishReport() {
  if (!m_report) return;
  CDataPool& pool = Pool();

  // Left out of one section, written by another.
  for (const CLeftOut& l : m_leftOut)
    if (m_report->IsWritten(l.kind, l.id)) m_report->PartlyConverted(l.kind, l.reason, l.id);
  m_leftOut.clear();

  // Elements no section wrote or passed over with a reason of its own, by kind.
  if (m_elemMark.size() == m_sortedElements.size()) {
    std::map<std::pair<int32_t, int32_t>, std::string> reasons;
    for (size_t i = 0; i < m_elemMark.size(); ++i) {
      if (m_elemMark[i] != 0) continue;
      const T_ELEMKEY_D& k = m_sortedElements[i];
      std::string& r = reasons[{k.type, k.topo}];
      if (r.empty()) r = hvx::Format("no section writes element type %d with topology %d", k.type, k.topo);
      m_report->NotConverted(EKind::kElements, r, k.id);
    }
  }

  for (int32_t id : pool.properties.SortedKeys()) {
    if (m_report->IsWritten(EKind::kProperties, id)) continue;
    const T_PROP_D& p = *pool.properties.Find(id);
    if (p.type == 81)
      NotConverted(EKind::kProperties, id, "spring property whose first flag is not 1");
    else
      NotConverted(EKind::kProperties, id, "no section takes property type %d", p.type);
  }

  for (int32_t id : pool.loads.SortedKeys()) {
    if (m_report->IsWritten(EKind::kLoadSets, id)) continue;
    const T_LOAD_D& l = *pool.loads.Find(id);
    const T_LCOP_D* op = pool.caseOptions.Find(l.lcop);
    if (!op)
      NotConverted(EKind::kLoadSets, id, "no load-case option record");
    else
      NotConverted(EKind::kLoadSets, id, "no load case of case type %d with dynamic code %d and nonlinear flag %d",
                   op->caseType, l.dynCode, l.nonlinear);
  }

  for (int32_t id : pool.functions.SortedKeys()) {
    if (m_report->IsWritten(EKind::kFunctions, id)) continue;
    NotConverted(EKind::kFunctions, id, "function type %d is not a spectrum, time or modal damping function in use",
                 pool.functions.Find(id)->type);
  }
}

}  // namespace hvx
