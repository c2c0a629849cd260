#include "store/datapool.h"

namespace hvx {

CDataPool::CDataPool() = default;
CDataPool::~CDataPool() = default;

int32_t CDataPool::TranslateNode(int32_t n) const {
  const int32_t* mapped = m_nodeNumbers.Find(n);
  return mapped ? *mapped : n;
}

void CDataPool::Freeze() const {
  materials.Freeze();
  plainMaterials.Freeze();
  properties.Freeze();
  nodes.Freeze();
  elements.Freeze();
  constraints.Freeze();
  curves.Freeze();
  caseOptions.Freeze();
  hinges.Freeze();
  loads.Freeze();
  groups.Freeze();
  functions.Freeze();
  initForces.Freeze();
  m_nodeNumbers.Freeze();
}

}  // namespace hvx
