// Node output: *NODE, every node with its position in ascending number order.
#include "writer/sections.h"

namespace hvx {

int CQsxSections::WriteNode() {
  const auto& nodes = Pool().nodes;
  if (nodes.Empty()) return 1;
  Out("*NODE    ; Nodes\n");
  Out("; iNO, X, Y, Z\n");
  const std::vector<int32_t> ids = nodes.SortedKeys();
  WriteLines(ids.size(), Parallelism().writePieceLines, [&](size_t begin, size_t end, hvx::CPieceOut& out) {
    T_NODS_D n;
    CMapWalk walk;
    hvx::CPieceNumbers* numbers = out.Numbers();
    for (size_t i = begin; i < end; ++i) {
      nodes.Lookup(ids[i], n, walk);
      out.Format("  %d, %g, %g, %g\n", ids[i], n.pos[0], n.pos[1], n.pos[2]);
      if (numbers) numbers->FirstNumber(ids[i]);
    }
  });
  Out("\n");
  if (Report()) Report()->AddWritten(hvx::EKind::kNodes, "*NODE", static_cast<int64_t>(nodes.Count()));
  return 1;
}

}  // namespace hvx
