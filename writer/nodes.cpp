// Node output: *NODE, every node with its position in ascending number order.
#include "writer/writer.h"

namespace hvx {

int CWriteQsxFromNeutral::WriteNode() {
  const auto& nodes = Pool().nodes;
  if (nodes.Empty()) return 1;
  Out("*NODE    ; Nodes\n");
  Out("; iNO, X, Y, Z\n");
  T_NODS_D n;
  for (int32_t id : nodes.SortedKeys()) {
    nodes.Lookup(id, n);
    Out("  %d, %g, %g, %g\n", id, n.pos[0], n.pos[1], n.pos[2]);
  }
  Out("\n");
  if (Report()) Report()->AddWritten(hvx::EKind::kNodes, "*NODE", static_cast<int64_t>(nodes.Count()));
  return 1;
}

}  // namespace hvx
