// Model adjustments before writing.
#include "writer/writer.h"

// Beams (type 2 on topology 0) whose two nodes exist: the orientation vector
// becomes a reference point, node 1's position plus the vector, so that the
// element output writes it after REF as it stands.
void CWriteQsxFromNeutral::AdjustBeamPoints() {
  auto& elements = Pool().elements;
  const auto& nodes = Pool().nodes;
  T_ELEM_D e;
  T_NODS_D n1;
  for (int32_t id : elements.Keys()) {
    elements.Lookup(id, e);
    if (e.type != 2 || e.topo != 0) continue;
    if (!nodes.Lookup(e.node[0], n1) || !nodes.Contains(e.node[1])) continue;
    for (int i = 0; i < 3; ++i) e.orient[i] += n1.pos[i];
    e.pointFlag = 1;
    elements.Store(id, e);
  }
}
