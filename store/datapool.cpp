#include "store/datapool.h"

namespace hvx {

CDataPool::CDataPool() = default;
CDataPool::~CDataPool() = default;

int32_t CDataPool::TranslateNode(int32_t n) const {
  const int32_t* mapped = m_nodeNumbers.Find(n);
  return mapped ? *mapped : n;
}

}  // namespace hvx
