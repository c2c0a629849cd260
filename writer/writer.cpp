#include "writer/sections.h"

#include <algorithm>

#include "geometry/mathfunc.h"

namespace hvx {

CWriteQsxFromNeutral::CWriteQsxFromNeutral(hvx::IConvertEnv& env) : m_sections(std::make_unique<CQsxSections>(env)) {}
CWriteQsxFromNeutral::~CWriteQsxFromNeutral() = default;
int CWriteQsxFromNeutral::Write(const std::string& modelPath, CDataPool* pool, const std::string& outputPath) {
  return m_sections->Write(modelPath, pool, outputPath);
}
void CWriteQsxFromNeutral::SetParallelism(const CParallelism& par) { m_sections->SetParallelism(par); }
std::vector<T_BNDRGRP_D>& CWriteQsxFromNeutral::BoundaryGroups() { return m_sections->BoundaryGroups(); }
std::string CWriteQsxFromNeutral::BoundaryGroupName(int32_t elem) const { return m_sections->BoundaryGroupName(elem); }

CQsxSections::CQsxSections(hvx::IConvertEnv& env)
    : m_env(&env), m_report(env.Report()), m_progress(env.Progress()) {}

CQsxSections::~CQsxSections() {
  m_out.Abort();
  m_log.Abort();
}

int CQsxSections::Write(const std::string& modelPath, CDataPool* pool, const std::string& outputPath) {
  const std::string outPath = outputPath.empty() ? ReplaceExtension(modelPath, ".qsx") : outputPath;
  try {
    m_log.Attach(m_env->CreateLog(modelPath, kWriteLogName));
    m_pool = pool;
    m_out.Attach(m_env->CreateFile(outPath));
    const int result = WriteSections();
    m_out.Close();
    m_log.Close();
    return result;
  } catch (const CFileError& e) {
    m_env->ShowFileError(e);
    m_out.Abort();
    m_log.Abort();
    return 1;
  }
}

int CQsxSections::WriteSections() {
  using Writer = int (CQsxSections::*)();
  struct Link {
    Writer write;
    const char* keyword;  // for progress
  };
  // The fixed order of the sections after the header sections.
  static constexpr Link kChain[] = {
      {&CQsxSections::WriteNode, "*NODE"},
      {&CQsxSections::WriteElement, "*ELEMENT"},
      {&CQsxSections::WriteMaterial, "*MATERIAL"},
      {&CQsxSections::WriteProperties, "*SECTION"},
      {&CQsxSections::WriteConstraint, "*CONSTRAINT"},
      {&CQsxSections::WriteRigidLink, "*RIGIDLINK"},
      {&CQsxSections::WriteFrameRelease, "*FRAME-RLS"},
      {&CQsxSections::WriteOffset, "*OFFSET"},
      {&CQsxSections::WriteStaticCaseTable, "*STLDCASE"},
      {&CQsxSections::WriteStaticCaseBlocks, "*USE-STLD"},
      {&CQsxSections::WriteEigenControl, "*EIGEN-CTRL"},
      {&CQsxSections::WriteSpectrumControl, "*SPEC-CTRL"},
      {&CQsxSections::WriteSpectrumFunction, "*SFUNCTION"},
      {&CQsxSections::WriteSpectrumLoadCase, "*SPLDCASE"},
      {&CQsxSections::WriteTimeFunction, "*TFUNCTION"},
      {&CQsxSections::WriteTimeHistoryLoadCase, "*THLDCASE"},
      {&CQsxSections::WriteGroundAcc, "*GROUND-ACC"},
      {&CQsxSections::WriteDynNodalLoad, "*DYN-NLOAD"},
      {&CQsxSections::WriteNonlinearStaticLoad, "*DYN-SLOAD"},
      {&CQsxSections::WriteGroup, "*GROUP"},
      {&CQsxSections::WriteBoundaryGroup, "*BNDR-GROUP"},
      {&CQsxSections::WriteGroupDamping, "*GROUP-DAMP"},
      {&CQsxSections::WriteInitialForce, "*INIFORCE"},
      {&CQsxSections::WriteHingeProperty, "*IHINGE-PROP"},
      {&CQsxSections::WriteHingeAssign, "*IHINGE-ASSIGN"},
      {&CQsxSections::WriteGeneralLink, "*NL-LINK"},
      {&CQsxSections::WriteGeneralSpring, "*GSPRING"},
      {&CQsxSections::WriteNodalMass, "*NODALMASS"},
      {&CQsxSections::WritePointSpring, "*SPRING"},
      {&CQsxSections::WriteElasticLink, "*ELASTICLINK"},
      {&CQsxSections::WriteHistoryOutput, "*TH-GRAPH"},
      {&CQsxSections::WriteLocalAxis, "*LOCALAXIS"},
      {&CQsxSections::WriteInitialElementForce, "*INI-EFORCE"},
      {&CQsxSections::WriteHvxAnalType, "*HVX-ANALTYPE"},
      {&CQsxSections::WriteHvxDegree, "*HVX-DEGREE"},
      {&CQsxSections::WriteHvxPrintOpt, "*HVX-PRINTOPT"},
      {&CQsxSections::WriteHvxConstraint, "*HVX-CONSTRAINT"},
      {&CQsxSections::WriteHvxEigenCtrl, "*HVX-EIGEN-CTRL"},
      {&CQsxSections::WriteHvxNlCtrl, "*HVX-NLCTRL"},
  };

  AdjustElementTemperatures();

  Out("*VERSION\n");
  Out("  6.4.1\n\n");
  WriteUnit();
  WriteProjectInfo();
  WriteStructureType();
  if (m_report) m_elemMark.assign(SortedElements().size(), 0);
  constexpr int kLinks = static_cast<int>(std::size(kChain));
  for (const Link& l : kChain) {
    if (m_progress) m_progress->WriteSection(l.keyword, static_cast<int>(&l - kChain), kLinks);
    if ((this->*l.write)() == 0) {
      FinishReport();
      return 0;
    }
  }
  Out("*ENDDATA\n");
  FinishReport();
  return 1;
}

void CQsxSections::WriteUnit() {
  const T_HEAD_D& h = m_pool->Header();
  if (h.present == 0) return;
  if (h.lengthUnit == 0 && h.forceUnit == 0) return;
  static const char* const kLength[] = {"", "m", "cm", "mm", "ft", "in"};
  static const char* const kForce[] = {"", "N", "kN", "kgf", "tonf", "lbf", "kips"};
  const char* length = (h.lengthUnit >= 1 && h.lengthUnit <= 5) ? kLength[h.lengthUnit] : "";
  const char* force = (h.forceUnit >= 1 && h.forceUnit <= 6) ? kForce[h.forceUnit] : "";
  Out("*UNIT    ; Unit System\n");
  Out("; FORCE, LENGTH\n");
  Out(" %s, %s\n", force, length);
  Out("\n");
}

void CQsxSections::WriteProjectInfo() {
  const T_HEAD_D& h = m_pool->Header();
  if (h.present == 0 || h.title.find("<NULL>") != std::string::npos) return;
  if (h.title.find_first_not_of(' ') == std::string::npos) return;
  Out("*PROJINFO\n");
  Out("   PROJECT=%s\n", h.title);
  Out("\n");
}

void CQsxSections::WriteStructureType() {
  const T_ANAL_D& a = m_pool->Analysis();
  int styp = 0;
  switch (a.structCode) {
    case 123456: styp = 0; break;
    case 135: styp = 1; break;
    case 234: styp = 2; break;
    case 126: styp = 3; break;
    case 12345: styp = 4; break;
    default: styp = 0; break;
  }
  int smas = 0;
  switch (a.massCode) {
    case 123: smas = 1; break;
    case 12: smas = 2; break;
    case 3: smas = 3; break;
    default: smas = 0; break;
  }
  Out("*STRUCTYPE    ; Structure Type\n");
  Out("; iSTYP, iSMAS, GRAV, TEMPER, bALIGNBEAM, bALIGNSLAB\n");
  Out("  %d, %d, %g, 0, NO, NO\n", styp, smas, a.grav);
  Out("\n");
}

int CQsxSections::WriteBoundaryGroup() {
  hvx::CSection s = Section({"*BNDR-GROUP    ; Boundary Group\n", "; NAME\n"});
  for (const T_BNDRGRP_D& g : m_bndrGroups)
    for (int64_t i = 0; i < g.lines; ++i) s.Line(" %s\n", g.name);
  s.Close();
  return 1;
}

const std::vector<T_ELEMKEY_D>& CQsxSections::SortedElements() {
  if (!m_haveSortedElements) {
    m_haveSortedElements = true;
    const auto& elements = m_pool->elements;
    m_sortedElements.resize(elements.Count());
    // In pieces of entries, on several threads when the writer has them.
    const size_t per = 4 * std::max<size_t>(m_par.writePieceLines, 1);
    const size_t pieces = elements.Count() / per + (elements.Count() % per != 0);
    const bool many = pieces > 1 && ManyThreadsFor(elements.Count());
    if (many) FreezeStore();
    hvx::RunPiecesInOrder(
        many ? m_par.threads : 1, pieces,
        [&](size_t i, std::string&) {
          T_ELEMKEY_D* out = m_sortedElements.data() + i * per;
          elements.ForEachStoredIn(i * per, std::min(elements.Count(), (i + 1) * per),
                                   [&](int32_t id, const T_ELEM_D& e) {
                                     bool release = false;
                                     for (int32_t r : e.release) release = release || r != 0;
                                     const double offsets =
                                         e.offI[0] + e.offI[1] + e.offI[2] + e.offJ[0] + e.offJ[1] + e.offJ[2];
                                     *out++ = T_ELEMKEY_D{id,   e.type, e.topo, e.hinge, e.axial != 0.0,
                                                          release, offsets > 0.0};
                                   });
        },
        [](size_t, std::string&) {});
    // Models usually number their elements in file order: then nothing moves.
    const auto byId = [](const T_ELEMKEY_D& a, const T_ELEMKEY_D& b) { return a.id < b.id; };
    if (!std::is_sorted(m_sortedElements.begin(), m_sortedElements.end(), byId))
      std::sort(m_sortedElements.begin(), m_sortedElements.end(), byId);
  }
  return m_sortedElements;
}

void CQsxSections::NodePosition(int32_t id, double p[3]) {
  T_NODS_D n;
  if (!m_pool->nodes.Lookup(id, n)) {
    p[0] = p[1] = p[2] = 0.0;
    return;
  }
  for (int i = 0; i < 3; ++i) p[i] = n.pos[i];
}

void CQsxSections::BetaAngleOf(const T_ELEM_D& e, double& angle) {
  double p1[3] = {}, p2[3] = {};
  if (e.orient[0] != 0.0 || e.orient[1] != 0.0 || e.orient[2] != 0.0) {
    NodePosition(e.node[0], p1);
    NodePosition(e.node[1], p2);
  }
  CMathFunc::BetaAngle(p1, p2, e.orient[0], e.orient[1], e.orient[2], angle);
}

std::string CQsxSections::BoundaryGroupName(int32_t elem) const {
  for (const T_BNDRGRP_D& g : m_bndrGroups)
    if (std::find(g.elems.begin(), g.elems.end(), elem) != g.elems.end()) return g.name;
  return std::string();
}

std::string CQsxSections::NameOr(const std::string& title, const char* prefixFmt, int32_t id) {
  return title.empty() ? hvx::Format(prefixFmt, id) : title;
}

std::string CQsxSections::StaticCaseName(int32_t id, const T_LOAD_D& load) {
  if (load.nonlinear == 1) return load.title.empty() ? hvx::Format("STLD_NL%d", id) : load.title + "_NL";
  return NameOr(load.title, "STLD%d", id);
}

std::string CQsxSections::ThCaseName(int32_t id, const T_LOAD_D& load) {
  return NameOr(load.title, "THLDC%d", id);
}

}  // namespace hvx
