// The in-memory neutral model between reading and writing. Records are held by
// value in hash maps keyed by entity number (see hashmap.h for the order in
// which they are enumerated); the two largest maps hold them packed
// (packedcodec.h).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "store/hashmap.h"
#include "store/packedcodec.h"
#include "store/records.h"

namespace hvx {

class CDataPool {
 public:
  CDataPool();
  virtual ~CDataPool();
  CDataPool(const CDataPool&) = delete;
  CDataPool& operator=(const CDataPool&) = delete;

  int32_t readMode = 0;

  // Header (block 100) and analysis settings (block 900): stored whole.
  void StoreHeader(const T_HEAD_D& h) { m_header = h; }
  const T_HEAD_D& Header() const { return m_header; }
  void StoreAnalysis(const T_ANAL_D& a) { m_analysis = a; }
  const T_ANAL_D& Analysis() const { return m_analysis; }

  // Number of the first set of the most recently read constraint block.
  std::optional<int32_t> modelConstraintSet;

  hvx::CHashMap<T_MATL601_D> materials{101};
  hvx::CHashMap<T_MATL_D> plainMaterials{101};
  hvx::CHashMap<T_PROP_D> properties{1000001};
  // Nodes and elements are stored packed: use Lookup, Enumerate, Keys and
  // SortedKeys on them (Find and FindOrCreate do not exist for them).
  hvx::CHashMap<T_NODS_D, hvx::NodeCodec> nodes{1000001};
  hvx::CHashMap<T_ELEM_D, hvx::ElementCodec> elements{1000001};
  hvx::CHashMap<T_CNST_D> constraints{1001};
  hvx::CHashMap<T_SKCV_D> curves{1001};
  hvx::CHashMap<T_LCOP_D> caseOptions{101};
  hvx::CHashMap<T_IHPR_D> hinges{1001};
  hvx::CHashMap<T_LOAD_D> loads{101};
  hvx::CHashMap<T_GRUP_D> groups{1001};
  hvx::CHashMap<T_FUNC_D> functions{1001};
  hvx::CHashMap<T_INFC_D> initForces{1001};

  // History output requests, in file order.
  std::vector<T_THGR_D> histories;

  // Node number map: no block fills it, so every number translates to itself.
  int32_t TranslateNode(int32_t n) const;

  // Every map made safe to read from several threads at once, until the
  // next record is stored (CHashMap::Freeze).
  void Freeze() const;

 private:
  T_HEAD_D m_header;
  T_ANAL_D m_analysis;
  hvx::CHashMap<int32_t> m_nodeNumbers{101};
};

}  // namespace hvx
