// Material output: *MATERIAL, one user-defined isotropic material per record
// whose third header value is 0, in ascending number order.
//
//   field   | value-list entry
//   --------+------------------------------------------------------------
//   ELAST   | 1
//   POISN   | read mode 1: E * 0.5 / G - 1 from entries 1 and 4 (0 when G
//           | is 0); read mode 0: entry 7
//   THERMAL | 37
//   DEN     | 50 times the gravity of the analysis settings
//   MASS    | 50
#include "writer/sections.h"

namespace hvx {

int CQsxSections::WriteMaterial() {
  const auto& materials = Pool().materials;
  if (materials.Empty()) return 1;
  Out("*MATERIAL    ; Material\n");
  Out("; iMAT, TYPE, MNAME, SPHEAT, HEATCO, PLAST, TUNIT, bMASS, [DATA1]          ; STEEL, CONC, USER\n");
  Out("; iMAT, TYPE, MNAME, SPHEAT, HEATCO, PLAST, TUNIT, bMASS, [DATA2], [DATA2] ; SRC\n");
  Out("; [DATA1] : 1, DB, NAME\n");
  Out("; [DATA1] : 2, ELAST, POISN, THERMAL, DEN, MASS\n");
  Out("; [DATA1] : 3, Ex, Ey, Ez, Tx, Ty, Tz, Sxy, Sxz, Syz, Pxy, Pxz, Pyz, DEN  ; Orthotropic\n");
  Out("; [DATA2] : 1, DB, NAME or 2, ELAST, POISN, THERMAL, DEN, MASS\n");
  const double grav = Pool().Analysis().grav;
  for (int32_t id : materials.SortedKeys()) {
    const T_MATL601_D* m = materials.Find(id);
    if (m->head[2] != 0) {
      NotConverted(hvx::EKind::kMaterials, id, "third header value is %d, not 0", m->head[2]);
      continue;
    }
    MarkWritten(hvx::EKind::kMaterials, "*MATERIAL", id);
    const double* v = m->value;
    double poisn = v[6];
    if (ReadMode() == 1) poisn = v[3] == 0.0 ? 0.0 : v[0] * 0.5 / v[3] - 1.0;
    Out("%d,%s,%s,0,0, ,C,YES,%d,%g,%g,%g,%g,%g\n", id, "USER", NameOr(m->title, "MAT%d", id), 2, v[0], poisn,
        v[36], v[49] * grav, v[49]);
  }
  Out("\n");
  return 1;
}

}  // namespace hvx
