// What the section writers of the QSX writer share, and the sections in their
// fixed order. Each section writer is one operation without arguments
// returning 1 to go on or 0 to stop the chain; each lives in the source file
// of its subject (nodes.cpp, elements.cpp, ...). Only the writer's own files
// include this header; the rest of the program sees writer.h.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "geometry/localaxis.h"
#include "store/datapool.h"
#include "base/env.h"
#include "base/msgcat.h"
#include "base/parallel.h"
#include "base/report.h"
#include "writer/pieces.h"
#include "writer/section.h"
#include "writer/textsink.h"
#include "writer/writer.h"

namespace hvx {

// What the element sections select by, for one element: kept once for all
// walks, so a section that writes only springs need not fetch every element.
struct T_ELEMKEY_D {
  int32_t id;
  int32_t type;
  int32_t topo;
  int32_t hinge;
  bool axial;    // an initial axial force is given
  bool release;  // some end release flag is not 0
  bool offset;   // the end offsets add up to more than 0
};

class CQsxSections {
 public:
  explicit CQsxSections(hvx::IConvertEnv& env);
  ~CQsxSections();
  CQsxSections(const CQsxSections&) = delete;
  CQsxSections& operator=(const CQsxSections&) = delete;

  // Writes the pool beside the model file (or to outputPath when given). 1
  // when the file was written completely or a file error was shown, 0 when a
  // section writer gave up.
  int Write(const std::string& modelPath, CDataPool* pool, const std::string& outputPath = "");
  // All sections in order; 1 after "*ENDDATA", 0 as soon as a writer stops.
  int WriteSections();
  // Threads and piece size for the long sections (default: the calling
  // thread alone).
  void SetParallelism(const CParallelism& par) { m_par = par; }

  // The boundary groups once *BNDR-GROUP is written, and the name of the
  // first one that holds elem, or "".
  std::vector<T_BNDRGRP_D>& BoundaryGroups() { return m_bndrGroups; }
  std::string BoundaryGroupName(int32_t elem) const;

  // The output sink: printf-style text into one of the two files.
  template <class... A>
  int WriteText(hvx::CTextSink& file, const char* fmt, const A&... a) {
    file.Format(fmt, a...);
    return 1;
  }

  // ---- what section writers use ------------------------------------------
  template <class... A>
  void Out(const char* fmt, const A&... a) {
    m_out.Format(fmt, a...);
  }
  // Appends the catalogue text of id, formatted with args, to the write log.
  // The output gathered so far goes to its file first and the entry goes to
  // the log at once, so that after a file error the log holds exactly the
  // entries made before the output failed.
  template <class... A>
  void Log(const char* id, const A&... a) {
    m_out.Flush();
    WriteText(m_log, hvx::LookupMessage(id).c_str(), a...);
    m_log.Flush();
  }

  // The data lines of a long section, in pieces of items: format(begin, end,
  // out) writes the lines of items [begin, end) to out (a CPieceOut). With
  // several threads the pieces are formatted at once and written in order;
  // format then reads the store only through what may be read at once
  // (look-ups with a walk state of their own), writes only to what belongs
  // to its items, and hands log and report entries to out.Then. Threads are
  // used from writeFromLines lines on, counted as `count`, or as `work` (the
  // lines of the sections written together) when that is more.
  template <class Format>
  void WriteLines(size_t count, size_t perPiece, Format&& format, uint64_t work = 0) {
    if (perPiece == 0) perPiece = 1;
    WritePiecesInOrder(
        m_out, ThreadsFor(std::max<uint64_t>(count, work)), count / perPiece + (count % perPiece != 0),
        [&](size_t i) { return std::pair<size_t, size_t>(i * perPiece, std::min(count, (i + 1) * perPiece)); },
        format, [](size_t) { return false; }, [this] { FreezeStore(); });
  }
  // The same with pieces of items of different weights: bounds ascend from 0
  // to the item count, piece i holding items [bounds[i], bounds[i + 1]), and
  // the items weigh `weight` lines in all. Pieces for which alone(i) holds
  // are formatted at their turn on the writing thread straight into the file
  // (one that would be too long to hold as a whole, such as a group of ten
  // million numbers).
  template <class Format, class Alone>
  void WriteLines(const std::vector<size_t>& bounds, uint64_t weight, Format&& format, Alone&& alone) {
    WritePiecesInOrder(
        m_out, ThreadsFor(weight), bounds.size() - 1,
        [&](size_t i) { return std::pair<size_t, size_t>(bounds[i], bounds[i + 1]); }, format, alone,
        [this] { FreezeStore(); });
  }
  // Whether work of this many lines (or items) is worth several threads.
  bool ManyThreadsFor(uint64_t lines) const { return m_par.threads > 1 && lines >= m_par.writeFromLines; }
  unsigned ThreadsFor(uint64_t lines) const { return ManyThreadsFor(lines) ? m_par.threads : 1; }
  // The store made safe to read from several threads at once (until the
  // next record is stored).
  void FreezeStore() { m_pool->Freeze(); }
  const CParallelism& Parallelism() const { return m_par; }
  hvx::CSection Section(std::initializer_list<const char*> header) { return hvx::CSection(m_out, header); }
  CDataPool& Pool() { return *m_pool; }
  int32_t ReadMode() const { return m_pool->readMode; }

  // Position of a node; the origin when the node is not in the store.
  void NodePosition(int32_t id, double p[3]);
  // Beta angle of a two-node element from its first to its second node with
  // its orientation vector.
  void BetaAngleOf(const T_ELEM_D& e, double& angle);

  // Name of a static load case (as "*STLDCASE" declares it).
  static std::string StaticCaseName(int32_t id, const T_LOAD_D& load);
  // True when the load set is a static load case: its option record exists
  // with case type 3 and its dynamic-load code is 0.
  bool IsStaticLoadCase(const T_LOAD_D& load) const;
  // Name of a time-history load case: the title, or THLDC<id>.
  static std::string ThCaseName(int32_t id, const T_LOAD_D& load);
  // A record's title when not empty, else the prefix format with the number.
  static std::string NameOr(const std::string& title, const char* prefixFmt, int32_t id);

  // The elements in ascending number order with their selection codes. Built
  // on first use; the codes it holds are never changed by writing.
  const std::vector<T_ELEMKEY_D>& SortedElements();
  // The sorted element walk: visit(id, record) for every element, in ascending
  // number order, whose key passes keep(key); only those are fetched.
  template <class Keep, class Visit>
  void ForEachElement(Keep&& keep, Visit&& visit) {
    T_ELEM_D e;
    for (const T_ELEMKEY_D& k : SortedElements()) {
      if (!keep(k)) continue;
      m_curElem = static_cast<size_t>(&k - m_sortedElements.data());
      Pool().elements.Lookup(k.id, e);
      visit(k.id, e);
    }
  }

  // The sorted property walk shared by the property sections: visit(id,
  // record) for every number of ids that has a property, in that order,
  // reading the record in place.
  template <class Visit>
  void ForEachProperty(const std::vector<int32_t>& ids, Visit&& visit) {
    for (int32_t id : ids)
      if (const T_PROP_D* p = Pool().properties.Find(id)) visit(id, *p);
  }

  // ---- the conversion report (all no-ops without one) ----------------------
  hvx::CConversionReport* Report() { return m_report; }
  // The element of the current sorted walk was written, or was passed over
  // for reason; ElementsWrittenTo names the section of the elements written
  // since its last call.
  void ElementWritten() {
    if (m_report && m_elemMark[m_curElem] == 0) {
      m_elemMark[m_curElem] = 1;
      ++m_elemWritten;
    }
  }
  void ElementsWrittenTo(const char* section);
  void ElementPassed(const char* reason);
  template <class... A>
  void NotConverted(hvx::EKind k, int32_t id, const char* reasonFmt, const A&... a) {
    if (m_report) m_report->NotConverted(k, hvx::Format(reasonFmt, a...), id);
  }
  void MarkWritten(hvx::EKind k, const char* section, int32_t id) {
    if (m_report) m_report->MarkWritten(k, section, id);
  }
  // Entity id written, but not whole, for the reason given.
  void PartlyConverted(hvx::EKind k, int32_t id, const char* reason) {
    if (m_report) m_report->PartlyConverted(k, reason, id);
  }
  // Entity id left out of a section for the reason given: partly converted
  // when a later section writes it, and otherwise named by its own reason
  // under "not converted" (FinishReport decides).
  void LeftOut(hvx::EKind k, int32_t id, const char* reason) {
    if (m_report) m_leftOut.push_back({k, id, reason});
  }
  // A property whose values an element line of section carries, if it exists.
  void MarkProperty(const char* section, int32_t id) {
    if (m_report && Pool().properties.Contains(id)) m_report->MarkWritten(hvx::EKind::kProperties, section, id);
  }
  // After the last section: the entities no section wrote, with their reasons.
  void FinishReport();

  std::vector<CLocalAxis>& LocalAxes() { return m_localAxes; }

  // ---- model adjustments before writing -----------------------------------
  void AdjustElementTemperatures();

  // ---- header sections ---------------------------------------------------
  void WriteUnit();
  void WriteProjectInfo();
  void WriteStructureType();

  // ---- section chain, in output order ------------------------------------
  int WriteNode();                  // *NODE
  int WriteElement();               // *ELEMENT
  bool FormatElement(int32_t id, const T_ELEM_D& e, hvx::CPieceOut& out) const;
  int WriteMaterial();              // *MATERIAL
  int WriteProperties();            // *SECTION *THICKNESS *NL-PROP *HVX-NL-PROP *GSPRTYPE
  int WriteConstraint();            // *CONSTRAINT
  int WriteRigidLink();             // *RIGIDLINK
  int WriteFrameRelease();          // *FRAME-RLS
  int WriteOffset();                // *OFFSET
  int WriteStaticCaseTable();       // *STLDCASE
  int WriteStaticCaseBlocks();      // *USE-STLD blocks with their loads
  int WriteEigenControl();          // *EIGEN-CTRL
  int WriteSpectrumControl();       // *SPEC-CTRL
  int WriteSpectrumFunction();      // *SFUNCTION
  int WriteSpectrumLoadCase();      // *SPLDCASE
  int WriteTimeFunction();          // *TFUNCTION
  int WriteTimeHistoryLoadCase();   // *THLDCASE and its *DYN-SLOAD
  int WriteGroundAcc();             // *GROUND-ACC
  int WriteDynNodalLoad();          // *DYN-NLOAD
  int WriteNonlinearStaticLoad();   // *DYN-SLOAD
  int WriteGroup();                 // *GROUP
  int WriteBoundaryGroup();         // *BNDR-GROUP
  int WriteGroupDamping();          // *GROUP-DAMP
  int WriteInitialForce();          // *INIFORCE
  int WriteHingeProperty();         // *IHINGE-PROP
  int WriteHingeAssign();           // *IHINGE-ASSIGN
  int WriteGeneralLink();           // *NL-LINK
  int WriteGeneralSpring();         // *GSPRING
  int WriteNodalMass();             // *NODALMASS
  int WritePointSpring();           // *SPRING
  int WriteElasticLink();           // *ELASTICLINK
  int WriteHistoryOutput();         // *TH-GRAPH *TH-ANITIME *HVX-MN-TH-OUTPUT
  int WriteLocalAxis();             // *LOCALAXIS
  int WriteInitialElementForce();   // *INI-EFORCE
  int WriteHvxAnalType();           // *HVX-ANALTYPE
  int WriteHvxDegree();             // *HVX-DEGREE
  int WriteHvxPrintOpt();           // *HVX-PRINTOPT
  int WriteHvxConstraint();         // *HVX-CONSTRAINT
  int WriteHvxEigenCtrl();          // *HVX-EIGEN-CTRL
  int WriteHvxNlCtrl();             // *HVX-NLCTRL

  // Walks of WriteProperties over the sorted property numbers.
  void WriteSectionWalk(const std::vector<int32_t>& ids);     // *SECTION
  void WriteThicknessWalk(const std::vector<int32_t>& ids);   // *THICKNESS
  void WriteNlPropWalk(const std::vector<int32_t>& ids);      // *NL-PROP
  void WriteHvxNlPropWalk(const std::vector<int32_t>& ids);   // *HVX-NL-PROP
  void WriteGsprTypeWalk(const std::vector<int32_t>& ids);    // *GSPRTYPE

 private:
  hvx::IConvertEnv* m_env;
  hvx::CTextSink m_out;
  hvx::CTextSink m_log;
  CDataPool* m_pool = nullptr;
  std::vector<T_BNDRGRP_D> m_bndrGroups;
  std::vector<CLocalAxis> m_localAxes;
  std::vector<T_ELEMKEY_D> m_sortedElements;
  bool m_haveSortedElements = false;
  hvx::CConversionReport* m_report = nullptr;
  hvx::IProgress* m_progress = nullptr;
  CParallelism m_par;
  // Per sorted element (report only): 0 untouched, 1 written, 2 passed over.
  std::vector<uint8_t> m_elemMark;
  size_t m_curElem = 0;
  int64_t m_elemWritten = 0;
  struct CLeftOut {
    hvx::EKind kind;
    int32_t id;
    const char* reason;
  };
  std::vector<CLeftOut> m_leftOut;  // report only
};

}  // namespace hvx
