#include "base/report.h"

namespace hvx {

const char* KindKey(EKind k) {
  switch (k) {
    case EKind::kNodes: return "nodes";
    case EKind::kElements: return "elements";
    case EKind::kMaterials: return "materials";
    case EKind::kProperties: return "properties";
    case EKind::kConstraintEquations: return "constraint_equations";
    case EKind::kLoadSets: return "load_sets";
    case EKind::kStaticLoads: return "static_loads";
    case EKind::kGroups: return "groups";
    case EKind::kFunctions: return "functions";
    case EKind::kHingeProperties: return "hinge_properties";
    case EKind::kCount: break;
  }
  return "";
}

void CConversionReport::CountSection(CKind& kind, std::string_view section, int64_t n) {
  for (CSectionCount& s : kind.sections)
    if (s.section == section) {
      s.count += n;
      return;
    }
  kind.sections.push_back({std::string(section), n});
}

void CConversionReport::AddWritten(EKind k, std::string_view section, int64_t n) {
  if (n <= 0) return;
  CKind& kind = Kind(k);
  kind.written += n;
  CountSection(kind, section, n);
}

void CConversionReport::MarkWritten(EKind k, std::string_view section, int32_t id) {
  CKind& kind = Kind(k);
  if (m_writtenIds[static_cast<int>(k)].insert(id).second) ++kind.written;
  CountSection(kind, section, 1);
}

bool CConversionReport::IsWritten(EKind k, int32_t id) const {
  return m_writtenIds[static_cast<int>(k)].count(id) != 0;
}

void CConversionReport::NotConverted(EKind k, std::string_view reason, int32_t id) {
  CKind& kind = Kind(k);
  CReason* r = nullptr;
  for (CReason& x : kind.notConverted)
    if (x.text == reason) {
      r = &x;
      break;
    }
  if (!r) {
    kind.notConverted.push_back({std::string(reason), 0, {}});
    r = &kind.notConverted.back();
  }
  ++r->count;
  if (r->numbers.size() < kMaxNumbers) r->numbers.push_back(id);
}

}  // namespace hvx
