// Time-history loads, group damping and history output: *GROUND-ACC,
// *DYN-NLOAD, *GROUP-DAMP, *TH-GRAPH, *TH-ANITIME and *HVX-MN-TH-OUTPUT.
#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "writer/function_points.h"
#include "writer/sections.h"

namespace hvx {

namespace {

constexpr int kDynNodalLoad = 51;
constexpr int kGroundAcc = 52;
constexpr int kNodeRule = 17;
constexpr int kElementRule = 21;

bool IsTimeHistoryLoad(const T_LOAD_D& load) { return load.dynCode == 1 || load.dynCode == 2; }

// Largest absolute value of a function's values; -1e28 when the list is
// empty or the function is missing. Each function's is worked out once: many
// loads may name one long function.
class CFunctionPeaks {
 public:
  explicit CFunctionPeaks(const CDataPool& pool) : m_pool(pool) {}
  double Of(int32_t fid) {
    const auto [it, added] = m_peaks.try_emplace(fid, -1e28);
    if (added)
      if (const T_FUNC_D* f = m_pool.functions.Find(fid))
        for (double v : f->value) it->second = std::fmax(it->second, std::fabs(v));
    return it->second;
  }

 private:
  const CDataPool& m_pool;
  std::unordered_map<int32_t, double> m_peaks;
};

// Scale of a time load: the amplitude itself, or the amplitude over the peak
// ordinate of its function.
double TimeLoadScale(CFunctionPeaks& peaks, const T_MBLD_D& e, int32_t fid) {
  if (e.extInt == 1) return e.extFactor;
  return e.extFactor / peaks.Of(fid);
}

std::string TimeFunctionName(CDataPool& pool, int32_t fid) {
  const T_FUNC_D* f = pool.functions.Find(fid);
  return CQsxSections::NameOr(f ? f->title : std::string(), "TFUNC%d", fid);
}

// s with A to Z in lower case: names that compare equal without case map to one text.
std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

const char* AllModes(int32_t k) { return k != 0 ? "NO" : "YES"; }
int32_t OneIfZero(int32_t k) { return k == 0 ? 1 : k; }

}  // namespace

int CQsxSections::WriteGroundAcc() {
  CDataPool& pool = Pool();
  CFunctionPeaks peaks(pool);
  hvx::CSection s = Section({"*GROUND-ACC    ; Ground Acceleration\n",
                             "; THIS, FUNCX, SCALEX, ATIMEX, FUNCY, SCALEY, ATIMEY, FUNCZ, SCALEZ, ATIMEZ, ANGLE\n"});
  pool.loads.Enumerate([&](int32_t id, const T_LOAD_D& load) {
    if (!IsTimeHistoryLoad(load)) return;
    std::string name[3];
    double scale[3] = {0.0, 0.0, 0.0};
    bool any = false;
    for (const T_MBLD_D& e : load.mbld) {
      if (e.kind != kGroundAcc) continue;
      any = true;
      for (int d = 0; d < 3; ++d) {
        if (e.dir[d] != 1) continue;
        name[d] = TimeFunctionName(pool, e.l3[d]);
        scale[d] = TimeLoadScale(peaks, e, e.l3[d]);
      }
    }
    if (any)
      s.Line(" %s, %s, %g, 0, %s, %g, 0, %s, %g, 0, 0\n", ThCaseName(id, load), name[0], scale[0], name[1], scale[1],
             name[2], scale[2]);
  });
  s.Close();
  return 1;
}

int CQsxSections::WriteDynNodalLoad() {
  CDataPool& pool = Pool();
  CFunctionPeaks peaks(pool);
  hvx::CSection s =
      Section({"*DYN-NLOAD    ; Dynamic Nodal Loads\n", "; NODE_LIST, THIS, FUNC, DIR, ARTIME, SCALE\n"});
  std::string dir;  // an unknown direction code keeps the previous entry's text
  for (int32_t id : pool.loads.SortedKeys()) {
    const T_LOAD_D& load = *pool.loads.Find(id);
    if (!IsTimeHistoryLoad(load)) continue;
    for (const T_MBLD_D& e : load.mbld) {
      if (e.kind != kDynNodalLoad) continue;
      if (e.dir[0] >= 1 && e.dir[0] <= 3) dir = std::string(1, static_cast<char>('X' + e.dir[0] - 1));
      s.Line(" %d, %s, %s, %s, 0, %g \n", e.target, ThCaseName(id, load), TimeFunctionName(pool, e.l3[0]), dir,
             TimeLoadScale(peaks, e, e.l3[0]));
    }
  }
  s.Close();
  return 1;
}

int CQsxSections::WriteGroupDamping() {
  CDataPool& pool = Pool();
  // All taking-part groups form one line; nothing at all when none takes part.
  hvx::CSection s = Section({"*GROUP-DAMP    ; Group Damping\n",
                             "; DEFAULT, DSC, DMC, bCALC, GNAME1, GTYPE1, DRATIO1, MASS1, STIFF1, ...\n"});
  // The boundary groups' names, compared without case.
  std::unordered_set<std::string> boundaryNames;
  for (const T_BNDRGRP_D& b : BoundaryGroups()) boundaryNames.insert(LowerAscii(b.name));
  pool.groups.Enumerate([&](int32_t id, const T_GRUP_D& g) {
    if (g.damp == 0.0 && g.massC == 0.0 && g.stiffC == 0.0) return;
    bool hasRule = false;
    for (const T_RDAT_D& r : g.rules) hasRule = hasRule || r.type == kNodeRule || r.type == kElementRule;
    if (!hasRule) return;
    const char* fmt = s.IsOpen() ? ", %s, STRUCTURE, %g, %g, %g" : " 0, 0, 0, YES, %s, STRUCTURE, %g, %g, %g";
    s.Line(fmt, NameOr(g.title, "Strt Group %d", id), g.damp, g.massC, g.stiffC);
    const std::string bndr = NameOr(g.title, "Bndr Group %d", id);
    if (boundaryNames.count(LowerAscii(bndr)) != 0) Out(", %s, BOUNDARY, %g, %g, %g", bndr, g.damp, g.massC, g.stiffC);
  });
  if (s.IsOpen()) Out("\n\n");
  return 1;
}

int CQsxSections::WriteHistoryOutput() {
  CDataPool& pool = Pool();
  const std::vector<T_THGR_D>& recs = pool.histories;
  if (recs.empty()) return 1;

  // A record whose load set is missing is named THLDC with its own load-set
  // number, like any untitled time-history case.
  auto caseName = [&](const T_THGR_D& r) {
    const T_LOAD_D* load = pool.loads.Find(r.loadSet);
    return load ? ThCaseName(r.loadSet, *load) : hvx::Format("THLDC%d", r.loadSet);
  };
  auto isAnimation = [](const T_THGR_D& r) { return r.cls == 1 && r.type == 100; };
  auto isMemberForce = [](const T_THGR_D& r) { return r.cls == 0 && r.type == 12; };

  hvx::CSection graph = Section({
      "*TH-GRAPH\n",
      ";iFUNC, iGFTYPE, NAME, LCNAME, [DATA1]\n",
      ";iFUNC, iSFTYPE, NAME, LCNAME, [DATA2]\n",
      ";[DATA1] : NODE, iTYPE, iREF, ANODE, iCOMP, bALLMODE, iSELMODE  ; iGFTYPE=2\n",
      ";[DATA1] : ELEM, iTYPE, iPOS, bALLMODE, iSELMODE                ; iGFTYPE=3\n",
      ";[DATA1] : ELEM, iTYPE, iPOS, iCOMP, bCBAX, bALLMODE, iSELMODE  ; iGFTYPE=4\n",
      ";[DATA1] : ELEM, iTYPE, iPOS, iCOMP, bALLMODE, iSELMODE         ; IGFTYPE=5\n",
      ";[DATA1] : ELEM, iTYPE, iPOS, iCOMP, bALLMODE, iSELMODE         ; iGFTYPE=6\n",
      ";[DATA1] : ELEM, iTYPE, iPOS, iCOMP, bLOCAL, bALLMODE, iSELMODE ; iGFTYPE=7\n",
      ";[DATA1] : LINK, iTYPE, iCOMP                                   ; iGFTYPE=8\n",
      ";[DATA1] : ELEM, iTYPE, iCOMP, iLOC, iETYPE                     ; iGFTYPE=9\n",
      ";[DATA1] : ELEM, iTYPE, iPOS, iCOMP, bLOCAL, bALLMODE, iSELMODE ; iGFTYPE=10\n",
      ";[DATA1] :                                                      ; iGFTYPE=11\n",
      ";[DATA2] : TIME_STEP                                            ; iSFTYPE=1\n",
      ";[DATA2] : NODE, iTYPE, iCOMP, iVAL                             ; iSFTYPE=2\n",
      ";[DATA2] : ELEM, iTYPE, iPOS, iVAL                              ; iSFTYPE=3\n",
      ";[DATA2] : ELEM, iTYPE, iPOS, iCOMP, iVAL                       ; iSFTYPE=4\n",
      ";[DATA2] : iPOS, iCOMP, iVAL                                    ; iSFTYPE=5\n",
      ";[DATA2] : iGLINK, iPOS, iCOMP, iVAL                            ; iSFTYPE=6\n",
  });
  for (const T_THGR_D& r : recs) {
    if (isAnimation(r) || isMemberForce(r)) continue;
    graph.Open();  // a record of another class writes nothing, but opens the section
    const int32_t* k = r.k;
    if (r.cls == 1) {
      Out("  1, %d, %s, %s,", r.type, r.name, caseName(r));
      switch (r.type) {
        case 1: Out(" %g\n", r.r[0]); break;
        case 2: Out(" %d, %d, %d, %d\n", k[0], k[1], k[2], k[3]); break;
        case 3: Out(" %d, %d, %d, %d\n", k[0], k[1], k[2], k[4]); break;
        case 4: Out(" %d, %d, %d, %d, %d\n", k[0], k[1], k[2], k[3], k[4]); break;
        case 5: Out(" %d, %d, %d\n", k[0], k[1], k[2]); break;
        case 6: Out(" %d, %d, %d, %d\n", k[0], k[2], k[3], k[4]); break;
        default: Out("\n"); break;
      }
    } else if (r.cls == 0) {
      Out("  0, %d, %s, %s,", r.type, r.name, caseName(r));
      switch (r.type) {
        case 2: {
          const int32_t type = k[1] == 0 ? 3 : k[1];
          const int32_t ref = k[1] == 0 ? 2 : k[2];
          Out(" %d, %d, %d, %d, %d, %s, %d\n", k[0], type, ref, k[3], k[4], AllModes(k[5]), k[5]);
          break;
        }
        case 3: Out(" %d, %d, %d, %s, %d\n", k[0], OneIfZero(k[1]), k[2], AllModes(k[4]), k[4]); break;
        case 4:
          Out(" %d, %d, %d, %d, %s, %s, %d\n", k[0], OneIfZero(k[1]), k[2], k[3], k[4] != 0 ? "YES" : "NO",
              AllModes(k[5]), k[5]);
          break;
        case 5:
        case 6: Out(" %d, %d, %d, %d, %s, %d\n", k[0], OneIfZero(k[1]), k[2], k[3], AllModes(k[4]), k[4]); break;
        case 7:
        case 10:
          Out(" %d, %d, %d, %d, NO, %s, %d\n", k[0], OneIfZero(k[1]), k[2], k[3], AllModes(k[4]), k[4]);
          break;
        case 8: Out(" %d, %d, %d\n", k[0], k[1], k[2]); break;
        case 9: {
          const int32_t loc = k[4] == 0 ? 1 : k[4] == 1 ? 0 : k[1] != 0 ? k[3] : 1;
          Out(" %d, %d, %d, %d, %d\n", k[0], k[1], k[2], loc, k[4]);
          break;
        }
        case 11: Out(" \n"); break;
        default: Out("\n"); break;
      }
    }
  }
  graph.Close();

  hvx::CSection anim = Section({"*TH-ANITIME\n", "; THISNAME, STARTTIME, ENDTIME, INCREMENT\n"});
  for (const T_THGR_D& r : recs)
    if (isAnimation(r)) anim.Line(" %s, %g, %g, %g\n", caseName(r), r.r[0], r.r[1], r.r[2]);
  anim.Close();

  hvx::CSection mn =
      Section({"*HVX-MN-TH-OUTPUT    ; [Halvex] M-N Time History Output\n", "; ELEM_LIST, iPOS\n"});
  for (const T_THGR_D& r : recs)
    if (isMemberForce(r)) mn.Line(" %d, %d\n", r.k[0], r.k[1]);
  mn.Close();
  return 1;
}

}  // namespace hvx
