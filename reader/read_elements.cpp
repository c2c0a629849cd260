// Block 404: elements, a fixed group of lines per element.
//
//   line | values | content
//   -----+--------+------------------------------------------------------------
//   A    | >= 13  | element number, colour, property, type code, topology code,
//        |        | layer, seven further attributes
//   B    | >= 10  | node numbers 1 to 10
//   C    | >= 10  | node numbers 11 to 20
//   D    | >= 3   | orientation vector; read mode 1: exactly six values also
//        |        | give the second orientation vector
//   E    | >= 3   | end offset at end i
//   F    | >= 3   | end offset at end j
//   G    | >= 12  | release flags, end i then end j
//   H    | >= 7   | read mode 1 only: material, initial axial force, hinge
//        |        | property, extension values 4 to 7
//
// The element is stored after line G (read mode 0) or line H (read mode 1); a
// group cut short by the end of the block is dropped.
#include "reader/import.h"

namespace hvx {

namespace {
enum class ElemLine { A, B, C, D, E, F, G, H };
}

int CImportNEUtral::ReadElements() {
  T_ELEM_D rec;
  int32_t id = 0;
  ElemLine expect = ElemLine::A;
  while (NextLine()) {
    switch (expect) {
      case ElemLine::A:
        Need(13);
        id = Int(0);
        rec = T_ELEM_D{};
        rec.colour = Int(1);
        rec.prop = Int(2);
        rec.type = Int(3);
        rec.topo = Int(4);
        rec.layer = Int(5);
        for (int i = 0; i < 7; ++i) rec.attr[i] = Int(6 + i);
        expect = ElemLine::B;
        break;
      case ElemLine::B:
      case ElemLine::C: {
        Need(10);
        const int base = expect == ElemLine::B ? 0 : 10;
        for (int i = 0; i < 10; ++i) rec.node[base + i] = Int(i);
        expect = expect == ElemLine::B ? ElemLine::C : ElemLine::D;
        break;
      }
      case ElemLine::D:
        Need(3);
        for (int i = 0; i < 3; ++i) rec.orient[i] = Dbl(i);
        if (ReadMode() == 1 && m_nums.size() == 6)
          for (int i = 0; i < 3; ++i) rec.orient2[i] = Dbl(3 + i);
        expect = ElemLine::E;
        break;
      case ElemLine::E:
        Need(3);
        for (int i = 0; i < 3; ++i) rec.offI[i] = Dbl(i);
        expect = ElemLine::F;
        break;
      case ElemLine::F:
        Need(3);
        for (int i = 0; i < 3; ++i) rec.offJ[i] = Dbl(i);
        expect = ElemLine::G;
        break;
      case ElemLine::G:
        Need(12);
        for (int i = 0; i < 12; ++i) rec.release[i] = Int(i);
        if (ReadMode() == 1) {
          expect = ElemLine::H;
        } else {
          Pool().elements.Store(id, rec);
          expect = ElemLine::A;
        }
        break;
      case ElemLine::H:
        Need(7);
        rec.mat = Int(0);
        rec.axial = Dbl(1);
        rec.hinge = Int(2);
        rec.ext4 = Int(3);
        rec.ext5 = Int(4);
        rec.ext6 = Dbl(5);
        rec.ext7 = Dbl(6);
        Pool().elements.Store(id, rec);
        expect = ElemLine::A;
        break;
    }
  }
  if (expect != ElemLine::A) CutOff(hvx::EKind::kElements, id);
  return 1;
}

}  // namespace hvx
