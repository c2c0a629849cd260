// Block framing and dispatch: finds each block between two delimiter lines
// "   -1", takes its number from its first line and runs its block reader. The
// first failure inside a block is logged with the line count and ends reading.
#include "reader/import.h"

#include <algorithm>
#include <cstring>

#include "base/report.h"

namespace hvx {

CImportNEUtral::CImportNEUtral(hvx::IConvertEnv& env)
    : m_env(&env), m_pool(std::make_unique<CDataPool>()) {
  m_pool->readMode = 0;
}

CImportNEUtral::~CImportNEUtral() = default;

bool CImportNEUtral::IsDelimiter(std::string_view line) { return IsDelimiterLine(line); }

CImportNEUtral::BlockReader CImportNEUtral::ReaderFor(int number) {
  switch (number) {
    case 100: return &CImportNEUtral::ReadHeader;
    case 402: return &CImportNEUtral::ReadProperties;
    case 403: return &CImportNEUtral::ReadNodes;
    case 404: return &CImportNEUtral::ReadElements;
    case 408: return &CImportNEUtral::ReadGroups;
    case 420: return &CImportNEUtral::ReadFunctions;
    case 506: return &CImportNEUtral::ReadConstraints;
    case 507: return &CImportNEUtral::ReadLoads;
    case 601: return &CImportNEUtral::ReadMaterials;
    case 892: return &CImportNEUtral::ReadHingeCurves;
    case 894: return &CImportNEUtral::ReadHistoryOutputs;
    case 900: return &CImportNEUtral::ReadAnalysis;
    case 901: return &CImportNEUtral::ReadCaseOptions;
    case 902: return &CImportNEUtral::ReadHingeProperties;
    case 903: return &CImportNEUtral::ReadInitialForces;
    default: return nullptr;  // skipped without a log entry
  }
}

namespace {
// The smallest batch a model file is cut into when read on several threads.
constexpr uint64_t kMinBatchBytes = uint64_t{16} << 10;

// atoi: leading white space, sign, digits; saturates instead of overflowing.
int BlockNumber(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  long long v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
    if (v < 100000000000LL) v = v * 10 + (s[i] - '0');
  if (neg) v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return -1;
  return static_cast<int>(v);
}

std::string_view Checked(std::string_view line) { return CheckedLine(line); }
}  // namespace

int CImportNEUtral::Import(const std::string& modelPath, int32_t readMode) {
  m_lineCount = 0;
  OpenLog(modelPath);
  const std::unique_ptr<FILE, int (*)(FILE*)> f(m_env->OpenRead(modelPath), &std::fclose);
  if (!f) {
    m_env->MessageBox("Can't open NEUtral file!");
    CloseLog();
    return 0;
  }
  CFileLineSource src(f.get());
  uint64_t bytes = 0;
  if (m_par.threads > 1 && !m_env->FileStatus(modelPath, &bytes)) bytes = 0;
  const CParallelism par = ParallelismFor(bytes);
  // Read on several threads, the reading thread tells the progress itself.
  if (par.threads <= 1) src.SetProgress(m_env->Progress());
  Run(src, readMode, par);
  return 1;
}

int CImportNEUtral::ImportBuffer(std::string_view data, int32_t readMode, const std::string& modelPath) {
  m_lineCount = 0;
  OpenLog(modelPath);
  CMemoryLineSource src(data.data(), data.size());
  Run(src, readMode, ParallelismFor(data.size()));
  return 1;
}

CParallelism CImportNEUtral::ParallelismFor(uint64_t bytes) const {
  CParallelism par = m_par;
  if (bytes < par.readFromBytes) par.threads = 1;
  // A small model is cut into smaller batches (at least 32 of them), so that
  // the batches held ahead stay small beside it.
  par.readBatchBytes = std::min<size_t>(par.readBatchBytes, std::max<uint64_t>(bytes / 32, kMinBatchBytes));
  return par;
}

void CImportNEUtral::OpenLog(const std::string& modelPath) {
  m_log.reset();
  if (!modelPath.empty()) m_log = m_env->CreateLog(modelPath, kReadLogName);
}

void CImportNEUtral::CloseLog() {
  if (!m_log) return;
  try {
    m_log->Close();
  } catch (const hvx::CFileError&) {
  }
  m_log.reset();
}

void CImportNEUtral::Run(CLineSource& src, int32_t readMode, const CParallelism& par) {
  std::unique_ptr<CLineBatches> batches;
  if (par.threads > 1) batches = std::make_unique<CLineBatches>(src, par, m_env->Progress());
  // Also when a cancel leaves through here: no pointer to the source stays.
  struct CDetach {
    CImportNEUtral& r;
    ~CDetach() {
      r.m_src = nullptr;
      r.m_batches = nullptr;
    }
  } detach{*this};
  m_src = &src;
  m_batches = batches.get();
  m_pool->readMode = readMode;
  hvx::CConversionReport* report = m_env->Report();
  hvx::IProgress* progress = m_env->Progress();
  int64_t outside = 0;
  try {
    std::string_view line;
    while (TakeLine(line)) {
      ++m_lineCount;
      if (!IsDelimiter(Checked(line))) {  // text between blocks
        ++outside;
        continue;
      }
      // A block opens: its first line holds the block number.
      m_inBlock = true;
      m_eof = false;
      if (!RawNext(line)) Fail("empty block");
      const int number = BlockNumber(line);
      ++m_lineCount;
      BlockReader reader = ReaderFor(number);
      if (reader && report) ++report->dataBlocks;
      if (reader) (this->*reader)();
      const int64_t dropped = DrainBlock();
      if (!reader && report) report->UnknownBlock(number, dropped);
      if (progress) progress->ReadProgress(Position());
      ++m_lineCount;  // the closing delimiter
      if (m_eof) break;
    }
  } catch (const std::exception&) {
    WriteLog("IDS_HALVEX_Invalid_format_in_line_d__", m_lineCount);
    if (report) {
      report->readStoppedAtLine = m_lineCount;
      ListBlocksNotRead(*report);
    }
  }
  if (report) {
    report->linesOutsideBlocks = outside;
    CountRead(*report);
  }
  m_inBlock = false;
  CloseLog();
}

bool CImportNEUtral::TakeLine(std::string_view& line) {
  if (!m_batches) return m_src->ReadLine(line);
  CLineBatches::CLine l;
  if (!m_batches->Next(l)) return false;
  line = CLineSource::CutAtNul(l.uncut);
  return true;
}

uint64_t CImportNEUtral::Position() const { return m_batches ? m_batches->Position() : m_src->Position(); }

void CImportNEUtral::ListBlocksNotRead(hvx::CConversionReport& report) {
  // The rest of the failed block, then every later block with its line count.
  if (m_batches) m_batches->StopSplitting();
  DrainBlock();
  std::string_view line;
  while (!m_eof && TakeLine(line)) {
    if (!IsDelimiter(Checked(line))) continue;
    m_inBlock = true;
    if (!RawNext(line)) break;
    const int number = BlockNumber(line);
    report.BlockNotRead(number, DrainBlock());
  }
}

void CImportNEUtral::CountRead(hvx::CConversionReport& report) const {
  using hvx::EKind;
  const CDataPool& pool = *m_pool;
  report.AddRead(EKind::kNodes, static_cast<int64_t>(pool.nodes.Count()));
  report.AddRead(EKind::kElements, static_cast<int64_t>(pool.elements.Count()));
  report.AddRead(EKind::kMaterials, static_cast<int64_t>(pool.materials.Count()));
  report.AddRead(EKind::kProperties, static_cast<int64_t>(pool.properties.Count()));
  report.AddRead(EKind::kLoadSets, static_cast<int64_t>(pool.loads.Count()));
  report.AddRead(EKind::kGroups, static_cast<int64_t>(pool.groups.Count()));
  report.AddRead(EKind::kFunctions, static_cast<int64_t>(pool.functions.Count()));
  report.AddRead(EKind::kHingeProperties, static_cast<int64_t>(pool.hinges.Count()));
  int64_t equations = 0;
  pool.constraints.Enumerate([&](int32_t, const T_CNST_D& set) { equations += static_cast<int64_t>(set.eqs.size()); });
  report.AddRead(EKind::kConstraintEquations, equations);
}

bool CImportNEUtral::RawNext(std::string_view& line) {
  if (!m_inBlock) return false;
  if (!TakeLine(line)) {
    m_eof = true;
    m_inBlock = false;
    return false;
  }
  line = Checked(line);
  if (IsDelimiter(line)) {
    m_inBlock = false;
    return false;
  }
  return true;
}

void CImportNEUtral::CutOff(hvx::EKind k, int32_t id) {
  if (hvx::CConversionReport* r = m_env->Report()) {
    r->AddRead(k, 1);
    r->NotConverted(k, "record cut off by the end of its block", id);
  }
}

int64_t CImportNEUtral::DrainBlock() {
  std::string_view line;
  int64_t n = 0;
  while (RawNext(line)) ++n;
  return n;
}

bool CImportNEUtral::NextLine() {
  if (!m_inBlock) return false;
  std::string_view text;
  EBlockLine kind;
  if (m_batches) {
    CLineBatches::CLine l;
    if (!m_batches->Next(l)) {
      m_eof = true;
      m_inBlock = false;
      return false;
    }
    if (l.split) {
      text = l.text;
      kind = l.kind;
      m_nums = std::span<const double>(l.nums, l.count);
    } else {
      m_numStore.clear();
      kind = SplitBlockLine(l.uncut, text, m_numStore);
      m_nums = m_numStore;
    }
  } else {
    std::string_view line;
    if (!m_src->ReadLineUncut(line)) {
      m_eof = true;
      m_inBlock = false;
      return false;
    }
    m_numStore.clear();
    kind = SplitBlockLine(line, text, m_numStore);
    m_nums = m_numStore;
  }
  if (kind == EBlockLine::kDelimiter) {
    m_inBlock = false;
    return false;
  }
  m_line = text;
  ++m_lineCount;
  return true;
}

void CImportNEUtral::NextLineInEntry() {
  if (NextLine()) return;
  ++m_lineCount;
  Fail("entry runs past the end of the block");
}

bool CImportNEUtral::NextRawLine() {
  if (!RawNext(m_line)) return false;
  m_nums = {};
  ++m_lineCount;
  return true;
}

void CImportNEUtral::Need(size_t n) const {
  if (m_nums.size() < n) Fail("too few values");
}

void CImportNEUtral::Fail(const char* what) { throw std::invalid_argument(what); }

std::string CImportNEUtral::TrimmedLine() const { return std::string(hvx::Trim(m_line)); }

}  // namespace hvx
