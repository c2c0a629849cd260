// The QSX command-text writer: turns the data pool into one ".qsx" file beside
// the model file, section by section in a fixed order. Each section writer is
// one operation without arguments returning 1 to go on or 0 to stop the chain;
// each lives in the source file of its subject (nodes.cpp, elements.cpp, ...).
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
#include "writer/section.h"
#include "writer/textsink.h"

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

// A boundary group: a group name, the spring and link elements it names (those
// no earlier boundary group holds) and how many times *BNDR-GROUP lists it.
struct T_BNDRGRP_D {
  std::string name;
  std::vector<int32_t> elems;
  int64_t lines = 0;
};

class CWriteQsxFromNeutral {
 public:
  explicit CWriteQsxFromNeutral(hvx::IConvertEnv& env);
  virtual ~CWriteQsxFromNeutral();
  CWriteQsxFromNeutral(const CWriteQsxFromNeutral&) = delete;
  CWriteQsxFromNeutral& operator=(const CWriteQsxFromNeutral&) = delete;

  // Writes the pool beside the model file (or to outputPath when given). 1
  // when the file was written completely or a file error was shown, 0 when a
  // section writer gave up.
  int Write(const std::string& modelPath, CDataPool* pool, const std::string& outputPath = "");
  // All sections in order; 1 after "*ENDDATA", 0 as soon as a writer stops.
  int WriteSections();
  // Threads and piece size for the long sections (default: the calling
  // thread alone).
  void SetParallelism(const CParallelism& par) { m_par = par; }

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
    WritePieces(
        std::max<uint64_t>(count, work), count / perPiece + (count % perPiece != 0),
        [&](size_t i) { return std::pair<size_t, size_t>(i * perPiece, std::min(count, (i + 1) * perPiece)); },
        format, [](size_t) { return false; });
  }
  // The same with pieces of items of different weights: bounds ascend from 0
  // to the item count, piece i holding items [bounds[i], bounds[i + 1]), and
  // the items weigh `weight` lines in all. Pieces for which alone(i) holds
  // are formatted at their turn on the writing thread straight into the file
  // (one that would be too long to hold as a whole, such as a group of ten
  // million numbers).
  template <class Format, class Alone>
  void WriteLines(const std::vector<size_t>& bounds, uint64_t weight, Format&& format, Alone&& alone) {
    WritePieces(
        weight, bounds.size() - 1, [&](size_t i) { return std::pair<size_t, size_t>(bounds[i], bounds[i + 1]); },
        format, alone);
  }
  // Whether work of this many lines (or items) is worth several threads.
  bool ManyThreadsFor(uint64_t lines) const { return m_par.threads > 1 && lines >= m_par.writeFromLines; }
  // Piece bounds for items of the given weights, each piece weighing about
  // `per` in all; an item heavier than `alone` is a piece of its own.
  template <class Weight>
  static std::vector<size_t> PiecesByWeight(size_t count, uint64_t per, uint64_t alone, Weight&& weight) {
    std::vector<size_t> bounds{0};
    uint64_t sum = 0;
    for (size_t i = 0; i < count; ++i) {
      const uint64_t w = weight(i);
      if (w > alone && bounds.back() != i) bounds.push_back(i);
      sum = w > alone ? per : sum + w;
      if (sum >= per && i + 1 < count) {
        bounds.push_back(i + 1);
        sum = 0;
      }
    }
    bounds.push_back(count);
    return bounds;
  }
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

  // Name of the first boundary group holding the element, or "".
  std::string BoundaryGroupName(int32_t elem) const;
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

  std::vector<T_BNDRGRP_D>& BoundaryGroups() { return m_bndrGroups; }
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
  template <class Range, class Format, class Alone>
  void WritePieces(uint64_t lines, size_t pieces, Range&& range, Format&& format, Alone&& alone) {
    if (pieces <= 1 || !ManyThreadsFor(lines)) {
      hvx::CPieceOut out(m_out);
      for (size_t i = 0; i < pieces; ++i) {
        const auto [begin, end] = range(i);
        format(begin, end, out);
      }
      return;
    }
    FreezeStore();
    std::vector<std::vector<hvx::CPieceOut::CLater>> later(pieces);
    // The numbers of each piece's lines, for a file that reads its text back.
    std::vector<hvx::CPieceNumbers> numbers(m_out.WantsNumbers() ? pieces : 0);
    hvx::RunPiecesInOrder(
        m_par.threads, pieces,
        [&](size_t i, std::string& text) {
          if (alone(i)) return;
          const auto [begin, end] = range(i);
          // Recorded apart and moved into place at the end: the pieces' slots
          // lie side by side, and threads writing to one cache line would
          // slow each other down.
          hvx::CPieceNumbers recorded;
          hvx::CPieceOut out(text, later[i], numbers.empty() ? nullptr : &recorded);
          format(begin, end, out);
          if (!numbers.empty()) numbers[i] = std::move(recorded);
        },
        [&](size_t i, std::string& text) {
          if (alone(i)) {
            const auto [begin, end] = range(i);
            hvx::CPieceOut out(m_out);
            format(begin, end, out);
            return;
          }
          hvx::CPieceNumbers* lineNumbers = numbers.empty() ? nullptr : &numbers[i];
          if (later[i].empty()) {
            // Handed on whole (the check of the written text takes it
            // without a copy, and the numbers with it).
            m_out.WritePiece(text, lineNumbers);
            if (lineNumbers) *lineNumbers = hvx::CPieceNumbers();
            return;
          }
          if (lineNumbers) *lineNumbers = hvx::CPieceNumbers();  // the text goes on in parts
          size_t done = 0;
          for (hvx::CPieceOut::CLater& l : later[i]) {
            m_out.Append(std::string_view(text).substr(done, l.at - done));
            done = l.at;
            l.run();
          }
          m_out.Append(std::string_view(text).substr(done));
          later[i].clear();
        });
  }

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
