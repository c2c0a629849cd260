// Model adjustments before writing.
#include <cstring>

#include "writer/writer.h"

namespace hvx {

namespace {

bool IsBeam(const T_ELEMKEY_D& k) { return k.type == 2 && k.topo == 0; }

// The orientation vector of a beam turned into its reference point; false
// (the beam as it was) when one of its two nodes does not exist.
bool TurnBeam(const CDataPool& pool, T_ELEM_D& e, CMapWalk& walk) {
  T_NODS_D n1;
  if (!pool.nodes.Lookup(e.node[0], n1, walk) || !pool.nodes.Contains(e.node[1])) return false;
  for (int i = 0; i < 3; ++i) e.orient[i] += n1.pos[i];
  e.pointFlag = 1;
  return true;
}

}  // namespace

// Beams (type 2 on topology 0) whose two nodes exist: the orientation vector
// becomes a reference point, node 1's position plus the vector, so that the
// element output writes it after REF as it stands.
void CWriteQsxFromNeutral::AdjustBeamPoints() {
  auto& elements = Pool().elements;
  const std::vector<T_ELEMKEY_D>& keys = SortedElements();
  const size_t per = std::max<size_t>(m_par.writePieceLines, 1);
  CMapWalk nodeWalk;
  if (keys.size() <= per || !ManyThreadsFor(keys.size())) {
    // In ascending number order: look-ups then read the store in order.
    ForEachElement(IsBeam, [&](int32_t id, T_ELEM_D& e) {
      if (TurnBeam(Pool(), e, nodeWalk)) elements.Store(id, e);
    });
    return;
  }
  // On several threads, in rounds: the beams of a round are turned and packed
  // at once while the store is only read, then stored in order here.
  const size_t round = 32 * per;
  for (size_t from = 0; from < keys.size(); from += round) {
    const size_t to = std::min(keys.size(), from + round);
    const size_t pieces = (to - from + per - 1) / per;
    // Per piece: the number, the packed length and the packed record of each
    // beam turned.
    std::vector<std::string> packed(pieces);
    FreezeStore();
    hvx::RunPiecesInOrder(
        m_par.threads, pieces,
        [&](size_t i, std::string& text) {
          CMapWalk elementWalk, walk;
          T_ELEM_D e;
          uint8_t buf[ElementCodec::kMaxPacked];
          for (size_t k = from + i * per; k < std::min(to, from + (i + 1) * per); ++k) {
            if (!IsBeam(keys[k])) continue;
            elements.Lookup(keys[k].id, e, elementWalk);
            if (!TurnBeam(Pool(), e, walk)) continue;
            const uint32_t n = ElementCodec::Pack(e, buf);
            text.append(reinterpret_cast<const char*>(&keys[k].id), sizeof(int32_t));
            text.append(reinterpret_cast<const char*>(&n), sizeof n);
            text.append(reinterpret_cast<const char*>(buf), n);
          }
        },
        [&](size_t i, std::string& text) { packed[i] = std::move(text); });
    for (const std::string& p : packed) {
      for (size_t at = 0; at < p.size();) {
        int32_t id;
        uint32_t n;
        std::memcpy(&id, p.data() + at, sizeof id);
        std::memcpy(&n, p.data() + at + sizeof id, sizeof n);
        at += sizeof id + sizeof n;
        elements.ReplacePacked(id, reinterpret_cast<const uint8_t*>(p.data() + at), n);
        at += n;
      }
    }
  }
}

}  // namespace hvx
