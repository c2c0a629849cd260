// The model file reader: frames the numbered blocks of a model file and hands
// each to its block reader, which stores records in the data pool it owns.
//
// Block lines are pulled from the file as the block reader asks for them rather
// than collected first, so a block of a million lines costs no memory. The
// line count is kept exactly as if the block had been collected: the opening
// delimiter and the block-number line count, each data line counts when its
// block reader consumes it, lines a block reader leaves unread do not count,
// and the closing delimiter counts.
//
// With more than one thread (SetParallelism) the lines are split into numbers
// ahead of the block readers on worker threads (line_batches.h); the block
// readers take them as they would take them from the file.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/linesource.h"
#include "base/parallel.h"
#include "reader/line_batches.h"
#include "reader/strparser.h"
#include "store/datapool.h"
#include "base/env.h"
#include "base/format.h"
#include "base/msgcat.h"
#include "base/report.h"

namespace hvx {

class CImportNEUtral {
 public:
  explicit CImportNEUtral(hvx::IConvertEnv& env);
  virtual ~CImportNEUtral();
  CImportNEUtral(const CImportNEUtral&) = delete;
  CImportNEUtral& operator=(const CImportNEUtral&) = delete;

  // Reads the model file. 1 when it was opened and read (also when reading
  // stopped at a format error), 0 when it could not be opened.
  int Import(const std::string& modelPath, int32_t readMode);
  // The same over a memory buffer (tests and fuzzing); the read log is the
  // environment's log of modelPath when that is not empty.
  int ImportBuffer(std::string_view data, int32_t readMode, const std::string& modelPath = "");

  // Threads and batch size for reading (default: the calling thread alone).
  void SetParallelism(const CParallelism& par) { m_par = par; }

  CDataPool* GetDataPool() { return m_pool.get(); }
  int32_t LineCount() const { return m_lineCount; }

  static bool IsDelimiter(std::string_view line);

  // Formats a catalogue text with its arguments and appends it to the read log.
  template <class... A>
  int WriteLog(const char* id, A... args);

 protected:
  // ---- block readers: one per block number --------------------------------
  int ReadHeader();           // 100
  int ReadProperties();       // 402
  int ReadNodes();            // 403
  int ReadElements();         // 404
  int ReadGroups();           // 408
  int ReadFunctions();        // 420
  int ReadConstraints();      // 506
  int ReadLoads();            // 507
  int ReadMaterials();        // 601
  int ReadHingeCurves();      // 892
  int ReadHistoryOutputs();   // 894
  int ReadAnalysis();         // 900
  int ReadCaseOptions();      // 901
  int ReadHingeProperties();  // 902
  int ReadInitialForces();    // 903

  // ---- what block readers use -------------------------------------------
  // Takes the next data line of the block: keeps its text in m_line, splits it
  // into numbers in m_nums and counts it. False at the end of the block.
  bool NextLine();
  // Same, but leaves the line unsplit (m_nums empty); for title lines.
  bool NextRawLine();
  // The next line of an entry that must go on (a list, a tail, a run): at the
  // end of the block the missing line is counted, as every line is counted
  // before it is checked, and the block fails there.
  void NextLineInEntry();
  // Fails the block (invalid argument) when the current line has fewer than n values.
  void Need(size_t n) const;
  // Value i (0-based) of the current line as an integer (truncated) or a double.
  int32_t Int(size_t i) const { return hvx::TruncToInt(m_nums[i]); }
  double Dbl(size_t i) const { return m_nums[i]; }
  // Fails the block reader: an invalid-argument error at the current line.
  [[noreturn]] static void Fail(const char* what = "invalid format");
  // The current line trimmed of white space at both ends (titles).
  std::string TrimmedLine() const;

  CDataPool& Pool() { return *m_pool; }
  // For the report: a record of kind k the block ended in the middle of; it
  // counts as read and not converted.
  void CutOff(hvx::EKind k, int32_t id);
  int32_t ReadMode() const { return m_pool->readMode; }

  std::string_view m_line;      // text of the current block line (a line holding "<NULL>" reads as empty);
                                // valid until the next line is taken
  std::span<const double> m_nums;  // its numbers (in m_numStore, or split ahead)
  int32_t m_lineCount = 0;      // lines consumed so far

 private:
  using BlockReader = int (CImportNEUtral::*)();
  static BlockReader ReaderFor(int number);

  void Run(CLineSource& src, int32_t readMode, const CParallelism& par);
  // How a model of this many bytes is read.
  CParallelism ParallelismFor(uint64_t bytes) const;
  void OpenLog(const std::string& modelPath);
  void CloseLog();
  bool RawNext(std::string_view& line);  // next line of the open block, or false
  bool TakeLine(std::string_view& line);  // next line of the input (cut at a NUL byte), or false
  uint64_t Position() const;             // bytes of the input taken so far
  int64_t DrainBlock();  // the number of lines dropped
  // For the report: the blocks after a format error, and what was stored.
  void ListBlocksNotRead(hvx::CConversionReport& report);
  void CountRead(hvx::CConversionReport& report) const;

  hvx::IConvertEnv* m_env;
  std::unique_ptr<CDataPool> m_pool;
  std::vector<double> m_numStore;
  CLineSource* m_src = nullptr;
  CLineBatches* m_batches = nullptr;  // the lines split ahead, when reading on several threads
  CParallelism m_par;
  std::unique_ptr<hvx::COutFile> m_log;
  bool m_inBlock = false;       // a block is open and its closing line not yet read
  bool m_eof = false;
};

template <class... A>
int CImportNEUtral::WriteLog(const char* id, A... args) {
  if (!m_log) return 1;
  std::string text;
  hvx::FormatTo(text, hvx::LookupMessage(id).c_str(), args...);
  try {
    m_log->Write(text.data(), text.size());
  } catch (...) {
    // An unwritable read log never fails the conversion.
  }
  return 1;
}

}  // namespace hvx
