// Model adjustments before writing.
#include "writer/writer.h"

namespace hvx {

// Beams (type 2 on topology 0) whose two nodes exist: the orientation vector
// becomes a reference point, node 1's position plus the vector, so that the
// element output writes it after REF as it stands.
void CWriteQsxFromNeutral::AdjustBeamPoints() {
  const auto& nodes = Pool().nodes;
  T_NODS_D n1;
  // In ascending number order: look-ups then read the store in order.
  ForEachElement([](const T_ELEMKEY_D& k) { return k.type == 2 && k.topo == 0; },
                 [&](int32_t id, T_ELEM_D& e) {
                   if (!nodes.Lookup(e.node[0], n1) || !nodes.Contains(e.node[1])) return;
                   for (int i = 0; i < 3; ++i) e.orient[i] += n1.pos[i];
                   e.pointFlag = 1;
                   Pool().elements.Store(id, e);
                 });
}

}  // namespace hvx
