#include "base/report.h"

namespace hvx {

size_t CConversionReport::SectionIndex(CKind& kind, std::string_view section) {
  for (size_t i = 0; i < kind.sections.size(); ++i)
    if (kind.sections[i].section == section) return i;
  kind.sections.push_back({std::string(section), 0});
  return kind.sections.size() - 1;
}

void CConversionReport::AddWritten(EKind k, std::string_view section, int64_t n) {
  if (n <= 0) return;
  CKind& kind = Kind(k);
  kind.written += n;
  kind.sections[SectionIndex(kind, section)].count += n;
}

void CConversionReport::MarkWritten(EKind k, std::string_view section, int32_t id) {
  CKind& kind = Kind(k);
  const size_t index = SectionIndex(kind, section);
  const uint64_t key = (static_cast<uint64_t>(k) << 56) | (static_cast<uint64_t>(index) << 32) | static_cast<uint32_t>(id);
  if (m_sectionIds.insert(key).second) ++kind.sections[index].count;
  if (m_writtenIds[static_cast<int>(k)].insert(id).second) ++kind.written;
}

bool CConversionReport::IsWritten(EKind k, int32_t id) const {
  return m_writtenIds[static_cast<int>(k)].count(id) != 0;
}

size_t CConversionReport::AddTo(std::vector<CReason>& reasons, std::unordered_map<std::string, size_t>& at,
                                std::string_view reason, int32_t id) {
  const auto [it, added] = at.try_emplace(std::string(reason), reasons.size());
  const size_t index = it->second;
  if (added) reasons.push_back({std::string(reason), 0, {}});
  CReason& r = reasons[index];
  ++r.count;
  if (r.numbers.size() < kMaxNumbers) r.numbers.push_back(id);
  return index;
}

void CConversionReport::NotConverted(EKind k, std::string_view reason, int32_t id) {
  const size_t index = AddTo(Kind(k).notConverted, m_notConvertedAt[static_cast<int>(k)], reason, id);
  if (m_keepAll[static_cast<int>(k)]) m_all[static_cast<int>(k)].push_back({id, static_cast<uint32_t>(index)});
}

void CConversionReport::PartlyConverted(EKind k, std::string_view reason, int32_t id) {
  AddTo(Kind(k).partlyConverted, m_partlyConvertedAt[static_cast<int>(k)], reason, id);
}

}  // namespace hvx
