// Model adjustment before writing: element temperature loads of static cases
// carry a thermal expansion coefficient, which replaces the one of the
// element's material (entry 37), so the material output writes it as THERMAL.
#include "writer/sections.h"

namespace hvx {

void CQsxSections::AdjustElementTemperatures() {
  CDataPool& pool = Pool();
  if (pool.loads.Empty()) return;
  T_LOAD_D load;
  T_ELEM_D elem;
  for (int32_t id : pool.loads.SortedKeys()) {
    pool.loads.Lookup(id, load);
    if (!IsStaticLoadCase(load)) continue;
    for (const T_ETLD_D& t : load.etld) {
      // A missing element reaches material 0; a missing material is created.
      const int32_t mat = pool.elements.Lookup(t.elem, elem) ? elem.mat : 0;
      pool.materials.FindOrCreate(mat).value[36] = t.t[4];
    }
  }
}

}  // namespace hvx
