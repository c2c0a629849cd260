// Record types of the neutral model store. Each record is filled by one block
// reader and held by value in the data pool under its entity number (the key is
// never part of the record). Field order follows the model file's line layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hvx {

// ---- Header (block 100) --------------------------------------------------
struct T_HEAD_D {
  int32_t present = 0;       // 1 once block 100 has been stored
  std::string title;
  double version = 6.0;
  int32_t lengthUnit = 0;
  int32_t forceUnit = 0;
};

// ---- Analysis settings (block 900) ---------------------------------------
struct T_ANAL_D {
  int32_t structCode = 0;    // digits name the free degrees of freedom
  int32_t massCode = 0;
  double grav = 0.0;         // gravity acceleration
  int32_t set4 = 0;
  int32_t set5 = 0;
  int32_t set[17] = {};      // settings 6 to 22 (line 2); the print options
};

// ---- Nodes (block 403) ---------------------------------------------------
struct T_NODS_D {
  int32_t attr[4] = {};      // values 2 to 5
  int32_t cnst[6] = {};      // permanent constraint flags Dx, Dy, Dz, Rx, Ry, Rz
  double pos[3] = {};        // X, Y, Z
  double pos2[3] = {};       // second copy of the position
  int32_t kind = 0;          // value 15
};

// ---- Elements (block 404) ------------------------------------------------
// The attached data table of the model format is never filled by any block, so
// it has no storage here.
struct T_ELEM_D {
  int32_t colour = 0;
  int32_t prop = 0;          // property number
  int32_t type = 0;          // element type code
  int32_t topo = 0;          // topology code
  int32_t layer = 0;
  int32_t attr[7] = {};      // line A values 7 to 13
  int32_t node[20] = {};     // node numbers 1 to 20
  int32_t spare = 0;
  double orient[3] = {};     // orientation vector (line D 1-3)
  double orient2[3] = {};    // second orientation vector (line D 4-6)
  double offI[3] = {};       // end offset at end i
  double offJ[3] = {};       // end offset at end j
  int32_t release[12] = {};  // end i Dx..Rz, then end j Dx..Rz
  int32_t spare2[4] = {};
  int32_t mat = 0;           // line H value 1 (read mode 1)
  double axial = 0.0;        // initial axial force
  int32_t hinge = 0;         // hinge property number (extension value 3)
  int32_t ext4 = 3;
  int32_t ext5 = 0;
  double ext6 = 0.0;
  double ext7 = 0.0;
};

// ---- Properties (block 402) ----------------------------------------------
struct T_PROPPT_D {
  double x = 0.0;
  double y = 0.0;
  int32_t pen = 0;
};

struct T_PROP_D {
  static constexpr int kListMax = 200;
  static constexpr int kPointMax = 100;
  int32_t colour = 0;
  int32_t mat = 0;
  int32_t type = 0;          // property type code
  int32_t layer = 0;
  int32_t head6 = 0;
  int32_t reserved = 0;
  std::string title;
  int32_t flag[4] = {};
  int32_t count1 = 90;       // first list count as read
  int32_t list1[kListMax] = {};
  int32_t valueCount = 190;  // value count as read
  double value[kListMax] = {};  // value list; entry n of the docs is value[n-1]
  int32_t nPts1 = 0;
  std::vector<T_PROPPT_D> outline1;
  int32_t nPts2 = 0;
  std::vector<T_PROPPT_D> outline2;
};

// ---- Functions (block 420) -----------------------------------------------
struct T_FUNC_D {
  int32_t reserved = 0;
  int32_t type = 0;
  std::string title;
  std::vector<int32_t> pointNo;
  std::vector<double> arg;
  std::vector<double> value;
};

// ---- Materials (block 601) -----------------------------------------------
struct T_MATL601_D {
  int32_t head[6] = {};      // line 1 values 2 to 7; head[2] == 0 selects output
  std::string title;
  int32_t flagCount = 0;
  int32_t flag[10] = {};
  int32_t intCount = 0;
  int32_t ints[25] = {};
  int32_t valueCount = 0;
  double value[200] = {};    // entry n of the docs is value[n-1]
  int32_t table1Count = 0;
  int32_t table1[50] = {};
  int32_t table2Count = 0;
  int32_t table2[70] = {};
  std::vector<T_FUNC_D> funcs;
};

// Kept by the pool for completeness; no block fills it.
struct T_MATL_D {
  std::string title;
};

// ---- Constraint sets (block 506) -----------------------------------------
struct T_CNND_D {
  int32_t ent = 0;           // node, point, curve or surface number
  int32_t colour = 0;
  int32_t layer = 0;
  int32_t dof[6] = {};       // Dx, Dy, Dz, Rx, Ry, Rz
  int32_t extra = 0;
};
using T_CNPT_D = T_CNND_D;
using T_CNCV_D = T_CNND_D;
using T_CNSF_D = T_CNND_D;

struct T_EQNCN_D {
  int32_t node = 0;
  int32_t dof = 0;
  double coef = 0.0;
};

struct T_CNEQ_D {
  int32_t id = 0;
  int32_t v2 = 0;
  int32_t v3 = 0;
  std::vector<T_EQNCN_D> terms;
};

struct T_CNST_D {
  std::string title;
  std::vector<T_CNND_D> nodes;
  std::vector<T_CNPT_D> points;
  std::vector<T_CNCV_D> curves;
  std::vector<T_CNSF_D> surfaces;
  std::vector<T_CNEQ_D> eqs;
};

// ---- Load sets (block 507) -----------------------------------------------
// Structural load: a head line and six further lines.
struct T_MBLD_D {
  int32_t target = 0;        // node or element number, by kind
  int32_t kind = 0;
  int32_t head[5] = {};      // head values 3 to 7
  int32_t reserved = 0;
  int32_t extInt = 0;        // head value 8 (read mode 1): amplitude-is-scale flag
  double extFactor = 1.0;    // head value 9 (read mode 1): amplitude
  int32_t dir[3] = {};       // line 1: direction code / X flag, then face nodes / Y, Z flags
  double val[5] = {};        // line 2: load values 1 to 5
  int32_t l3[5] = {};        // line 3: integers 3a to 3e (X, Y, Z function ids first)
  int32_t l4[3] = {};        // line 4 values 1 to 3
  int32_t proj = 0;          // line 4 value 4 (read mode 1): 1 = projected
  int32_t l5[3] = {};        // line 5
  double vec[3] = {};        // line 6: direction vector
};

// Geometry load: a head line and eighteen further lines.
struct T_GBLD_D {
  int32_t num = 0;
  int32_t head[6] = {};      // head values 2 to 7; head[5] is replaced by line 18 value 2
  int32_t g1[3] = {};
  double g2[5] = {};
  int32_t g3[5] = {};
  int32_t g4[5] = {};
  int32_t g5[3] = {};
  double g6[3] = {};
  int32_t g7[2] = {};
  double g8[3] = {};
  double g9[3] = {};
  int32_t g10[2] = {};
  std::string text1;
  std::string text2;
  double g13[3] = {};
  double g14[3] = {};
  double g15[3] = {};
  double g16[3] = {};
  double g17[4] = {};
  int32_t final = 0;
};

struct T_NTLD_D {
  int32_t node = 0;
  int32_t i2 = 0, i3 = 0;
  double d4 = 0.0, d5 = 0.0;
  int32_t i6 = 0, i7 = 0;
};

struct T_ETLD_D {
  int32_t elem = 0;
  int32_t i2 = 0, i3 = 0;
  double d4 = 0.0, d5 = 0.0;
  int32_t i6 = 0;
  int32_t layout = 0;        // 2: the six values below were read
  double t[6] = {};          // T1, T2, t0 (top offset), dh (layer depth), a (thermal coef.), H (depth)
};

struct T_LOAD_D {
  std::string title;
  int32_t A1 = 0;            // line 3
  double A2 = 0.0;
  int32_t A3[4] = {};
  double A7 = 0.0;
  double grav[3] = {};       // line 4: gravity vector
  double vec5[3] = {};       // lines 5 to 7
  double vec6[3] = {};
  double vec7[3] = {};
  double E[3] = {};          // line 8
  int32_t E4 = 0;
  double F[4] = {};          // line 9
  double G[4] = {};          // line 10
  int32_t H[3] = {};         // line 11
  int32_t I[3] = {};         // line 12
  double J[4] = {};          // line 13
  double K[3] = {};          // line 14: K[0] convergence tolerance
  double L[10] = {};         // line 15: L[6] displacement increment, L[7..9] master direction
  double M[12] = {};         // line 16: M[0] all-modes damping, M[5] time increment,
                             //   M[9] Newmark beta, M[10] stiffness-, M[11] mass-proportional
  int32_t N[10] = {};        // line 17: N[5] load steps, N[9] moment position code
  int32_t P[13] = {};        // line 18: P[0] iteration limit, P[10] increment control,
                             //   P[11] displacement control type, P[12] master node
  double scale = 1.0;        // static load scale (never read)
  int32_t Q[7] = {};         // line 19: Q[1] modal damping function, Q[3] time steps
  int32_t nonlinear = 0;     // line 20 value 1
  int32_t R[8] = {};         // line 20 values 2 to 9: R[0..2] norm flags, R[6] unequal step
  int32_t dynCode = 0;       // line 21 value 1: 0 static, 1/2 time history, 3 spectrum
  int32_t S[8] = {};         // line 21 values 2 to 9: S[0] history type, S[1] damping by mode
  int32_t lcop = 0;          // line 21 value 10 (read mode 1): load-case option number
  std::vector<T_MBLD_D> mbld;
  std::vector<T_GBLD_D> gbld;
  std::vector<T_NTLD_D> ntld;
  std::vector<T_ETLD_D> etld;
};

// ---- Groups (block 408) --------------------------------------------------
struct T_RDATCOMP_D {
  int32_t first = 0;
  int32_t last = 0;          // 0 = same as first
  int32_t step = 0;
  int32_t write = 0;         // 1 = write
};

struct T_RDAT_D {
  int32_t type = 0;          // 17 node rule, 21 element rule
  std::vector<T_RDATCOMP_D> comps;
};

struct T_ELST_D {
  int32_t type = 0;
  std::vector<int32_t> ids;
};

struct T_GRUPTAB_D {
  int32_t i[2] = {};
  double a[3] = {};
  double b[3] = {};
};

struct T_GRUP_D {
  int32_t h2 = 0;
  int32_t h3 = 0;
  std::string title;
  int32_t l3[3] = {};
  double damp = 0.0;         // damping ratio (read mode 1)
  double massC = 0.0;        // mass coefficient
  double stiffC = 0.0;       // stiffness coefficient
  int32_t l4i[4] = {};
  double l4d[2] = {};
  int32_t l5[2] = {};
  T_GRUPTAB_D table[6];
  int32_t ruleCount = 90;
  std::vector<T_RDAT_D> rules;
  int32_t listCount = 23;
  std::vector<T_ELST_D> lists;
};

// ---- Load-case options (block 901) ---------------------------------------
struct T_LCOP_D {
  int32_t caseType = 0;      // 1, 2 dynamic kinds, 3 static
  int32_t modalMethod = 0;
  int32_t resMethod = 0;
  int32_t dampMethod = 0;    // damping method / type code
  int32_t excitType = 0;
  int32_t dynaType = 0;
  int32_t extlType = 0;
  int32_t intgMethod = 0;
  int32_t combMethod = 0;    // 1 SRSS, 2 CQC
  int32_t initLoad = 0;      // initial-load load-set id (0 = none)
  int32_t nEigen = 0;
  int32_t printCount = 0;
  int32_t fileCount = 0;
  int32_t iterLimit = 0;
  double freqShift = 0.0;
  double tol = 0.0;
};

// ---- Hinge properties and initial forces (blocks 902, 903) ---------------
struct T_IHPR_D {
  int32_t v[10] = {};        // line 1 values 2 to 11; v[6] is the interaction type
  std::string title;
  int32_t comp[6] = {};      // curve numbers for Fx, Fy, Fz, Mx, My, Mz
  int32_t inter[2] = {};     // interaction curve numbers
};

struct T_INFC_D {
  int32_t kind = 0;          // 1 truss, 2 beam, 3 elastic link, 4 general link
  double row1[12] = {};
  double ends[12] = {};      // end i axial..moment z, then end j
};

// ---- Hinge curves and history output (blocks 892, 894) -------------------
struct T_SCDS_D {
  int32_t n = 0;
  double value = 0.0;
  std::vector<double> arr[6];
};

struct T_SKCV_D {
  int32_t type = 0;          // curve type code (line 1 value 2)
  int32_t c2 = 0;
  int32_t c3 = 0;
  int32_t nSets = 1;
  int32_t intCount = 10;
  int32_t ints[10] = {};
  int32_t valueCount = 130;
  double value[130] = {};
  std::vector<T_SCDS_D> sets;
};

struct T_THGR_D {
  int32_t cls = 0;           // 0 graph function, 1 step function
  int32_t type = 0;
  int32_t loadSet = 0;
  std::string name;
  int32_t k[6] = {};
  double r[3] = {};
};

}  // namespace hvx
