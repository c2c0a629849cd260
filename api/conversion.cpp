// The conversion API: one model read into a fresh store and written as QSX,
// with the report, the check of the written text and progress on request.
#include "api/conversion.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <optional>

#include "base/format.h"
#include "api/check_feed.h"
#include "api/conversion_env.h"
#include "platform/fileops.h"
#include "api/headless_env.h"
#include "api/msgdll.h"
#include "api/page_output.h"
#include "api/report_output.h"
#include "api/tool_text.h"
#include "reader/import.h"
#include "writer/writer.h"

namespace hvx {
namespace {

// Share of the progress fraction that reading takes; writing takes the rest.
constexpr double kReadShare = 0.6;
// Bytes written between two progress calls inside one section.
constexpr uint64_t kProgressEvery = uint64_t{1} << 20;

// Counts what is written to the .qsx for the progress calls inside long
// sections.
class CCountingFile : public COutFile {
 public:
  CCountingFile(std::unique_ptr<COutFile> inner, std::function<void()> tick)
      : m_inner(std::move(inner)), m_tick(std::move(tick)) {}
  void Write(const char* data, size_t size) override {
    m_inner->Write(data, size);
    Count(size);
  }
  void Close() override { m_inner->Close(); }
  void Abort() noexcept override { m_inner->Abort(); }
  void WritePiece(std::string& text, CPieceNumbers* numbers) override {
    const size_t size = text.size();
    m_inner->WritePiece(text, numbers);
    Count(size);
  }
  bool WantsNumbers() const override { return m_inner->WantsNumbers(); }

 private:
  void Count(size_t size) {
    m_sinceTick += size;
    if (m_sinceTick >= kProgressEvery) {
      m_sinceTick = 0;
      m_tick();
    }
  }

  std::unique_ptr<COutFile> m_inner;
  std::function<void()> m_tick;
  uint64_t m_sinceTick = 0;
};

// The files a conversion never writes: the model and the other inputs, known
// by their names and, where they exist, as files, so that a link to one
// counts as that one.
class CInputs {
 public:
  CInputs(const IConvertEnv& env, const std::string& model, const std::vector<std::string>& others)
      : m_windows(env.Separator() == '\\') {
    m_entries.push_back({model, FileIdOf(model)});
    for (const std::string& o : others) m_entries.push_back({o, FileIdOf(o)});
  }
  // The input that path is, or nullptr.
  const std::string* Match(const std::string& path) const {
    const CFileId id = FileIdOf(path);
    for (const Entry& e : m_entries)
      if (SameName(e.path, path) || e.id == id) return &e.path;
    return nullptr;
  }

 private:
  struct Entry {
    std::string path;
    CFileId id;
  };
  // Names of one file: on Windows in any case and with either separator.
  bool SameName(const std::string& a, const std::string& b) const {
    if (!m_windows) return a == b;
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      char x = a[i] == '/' ? '\\' : a[i], y = b[i] == '/' ? '\\' : b[i];
      if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
      if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
      if (x != y) return false;
    }
    return true;
  }

  std::vector<Entry> m_entries;
  bool m_windows;
};

// One conversion's layer over the host's environment: hands the report and
// the progress to reader and writer, checks the .qsx as it is written, keeps
// it from being written over an input, and notes file errors and whether the
// .qsx was created.
class CConversionEnv : public IConvertEnv, public IProgress {
 public:
  // refusal: when not empty, the .qsx is not written and this says why.
  CConversionEnv(IConvertEnv& inner, std::string outputPath, const std::string& refusal, CConversionReport* report,
                 CCheckFeed* check, const ProgressFn& progress, uint64_t modelBytes)
      : m_inner(inner), m_outputPath(std::move(outputPath)), m_refusal(refusal), m_report(report), m_check(check),
        m_progressFn(progress) {
    m_progress.modelBytes = modelBytes;
  }

  bool fileErrorShown = false;
  bool outputCreated = false;

  void MessageBox(const std::string& text) override { m_inner.MessageBox(text); }
  void ShowFileError(const CFileError& e) override {
    fileErrorShown = true;
    m_inner.ShowFileError(e);
  }
  std::unique_ptr<COutFile> CreateFile(const std::string& path) override {
    // Refused as a file that cannot be created: the user sees why, nothing
    // is written.
    if (path == m_outputPath && !m_refusal.empty()) throw CFileError(path, "The file is a model", 0, m_refusal);
    std::unique_ptr<COutFile> f = m_inner.CreateFile(path);
    if (path != m_outputPath) return f;
    outputCreated = true;
    if (m_check) f = std::make_unique<CCheckedOutFile>(std::move(f), *m_check);
    if (m_progressFn) f = std::make_unique<CCountingFile>(std::move(f), [this] { Tell(m_progress.fraction); });
    return f;
  }
  FILE* OpenRead(const std::string& path) override { return m_inner.OpenRead(path); }
  bool FileStatus(const std::string& path, uint64_t* size) override { return m_inner.FileStatus(path, size); }
  void RemoveFile(const std::string& path) override { m_inner.RemoveFile(path); }
  char Separator() const override { return m_inner.Separator(); }
  std::unique_ptr<COutFile> CreateLog(const std::string& modelPath, const char* name) override {
    return m_inner.CreateLog(modelPath, name);
  }
  std::vector<std::string> LogLines(const std::string& modelPath) override { return m_inner.LogLines(modelPath); }
  void RemoveLogs(const std::string& modelPath) override { m_inner.RemoveLogs(modelPath); }
  void Cancelled() override { m_inner.Cancelled(); }
  CConversionReport* Report() override { return m_report; }
  IProgress* Progress() override { return m_progressFn ? this : nullptr; }

  // ---- progress -------------------------------------------------------------
  void ReadProgress(uint64_t bytesRead) override {
    m_progress.bytesRead = std::min(bytesRead, m_progress.modelBytes);
    const double share = m_progress.modelBytes == 0
                             ? 1.0
                             : static_cast<double>(m_progress.bytesRead) / static_cast<double>(m_progress.modelBytes);
    Tell(kReadShare * share);
  }
  void WriteSection(const char* keyword, int index, int count) override {
    m_progress.section = keyword;
    m_progress.bytesRead = m_progress.modelBytes;
    Tell(kReadShare + (1.0 - kReadShare) * index / std::max(count, 1));
  }
  // Tells the caller; a false answer cancels (not at the end: the file is
  // complete then).
  void Tell(double fraction) {
    if (!m_progressFn) return;
    m_progress.fraction = std::clamp(std::max(fraction, m_progress.fraction), 0.0, 1.0);
    const bool goOn = m_progressFn(m_progress);
    if (!goOn && m_progress.fraction < 1.0) {
      Cancelled();
      throw CCancelled{};
    }
  }
  void Done() {
    m_progress.section = nullptr;
    Tell(1.0);
  }

 private:
  IConvertEnv& m_inner;
  std::string m_outputPath;
  const std::string& m_refusal;
  CConversionReport* m_report;
  CCheckFeed* m_check;
  const ProgressFn& m_progressFn;
  CProgress m_progress;
};

// The message catalogue, loaded once for every headless conversion of the
// process (the plug-in loads it when it is loaded itself).
void EnsureCatalogue() {
  static std::once_flag once;
  std::call_once(once, [] { CMsgDll::Load(); });
}

// The model path made absolute and normalised, so that the message lines name
// the file wherever the caller stood.
std::string Absolute(const std::string& path) {
#if defined(_WIN32)
  // A path from a Unix shell under Wine (/data/model.hvt) names a host file;
  // it stays as given, so the lines that name the model show it as typed.
  if (!path.empty() && path[0] == '/') return path;
#endif
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::absolute(std::filesystem::u8path(path), ec);
  if (ec) return path;
  const std::u8string s = p.lexically_normal().u8string();
  return std::string(s.begin(), s.end());
}

}  // namespace

std::string OutputPathFor(const std::string& modelPath, const std::string& outputDir, char separator) {
  const std::string beside = ReplaceExtension(modelPath, ".qsx");
  if (outputDir.empty()) return beside;
  const std::string folder = FolderOf(beside, separator);
  std::string dir = outputDir;
  if (dir.back() != separator && dir.back() != '/') dir += separator;
  return dir + beside.substr(folder.size());
}

std::vector<std::string> MessageList(const std::vector<std::string>& logLines, const std::string& modelPath) {
  std::vector<std::string> list;
  if (logLines.empty()) return list;
  list.reserve(logLines.size() + 3);
  list.emplace_back();
  list.insert(list.end(), logLines.begin(), logLines.end());
  list.emplace_back();
  list.push_back(Format("Import <%s>", modelPath));
  return list;
}

namespace {

// One conversion through env, with the model path as given: its files,
// message boxes and logs are env's. reportName is the model as the report
// names it.
CConvertResult ConvertIn(IConvertEnv& env, const std::string& modelPath, const std::string& reportName,
                         const CConvertRequest& options) {
  const CParallelism* sizes = options.cut;
  const auto started = std::chrono::steady_clock::now();
  CConvertResult r;
  r.modelPath = modelPath;
  std::string errors;
  try {
    const std::string outputPath = OutputPathFor(modelPath, options.outputDir, env.Separator());
    const std::string pagePath = PagePathFor(outputPath);
    // The facts of the report are gathered for the summary too.
    const bool counting = options.report || options.summary || options.strict;
    std::shared_ptr<CModelReport> report;
    std::optional<CCheckFeed> check;
    // The page shows the report, so it needs one, with every element passed over.
    if (counting || options.html) {
      report = std::make_shared<CModelReport>();
      report->model = reportName;
      if (options.html) report->facts.KeepAllNumbers(EKind::kElements);
    }
    std::optional<CPageModel> page;
    uint64_t modelBytes = 0;
    if (!env.FileStatus(modelPath, &modelBytes)) {
      r.status = kStatusMissing;
      errors = Text(EText::kModelNotFound, {modelPath}) + "\n";
    } else {
      // A file of this conversion that would be an input: nothing is written,
      // the .qsx refused as a file that cannot be created says why.
      const CInputs inputs(env, modelPath, options.inputs);
      std::string refusal;
      for (const std::string* file : {&outputPath, options.html ? &pagePath : nullptr})
        if (const std::string* input = file && refusal.empty() ? inputs.Match(*file) : nullptr)
          refusal = Text(EText::kNotOverwritten, {*file, *input});
      // Without a report or a page to list them, the dangling references
      // are only counted (for the summary), which is cheaper.
      // On one thread the check takes each piece as it is written.
      const unsigned threads = ThreadsFor(options.threads);
      if (report) check.emplace(!options.report && !options.html, threads > 1);
      CConversionEnv conv(env, outputPath, refusal, report ? &report->facts : nullptr, check ? &*check : nullptr,
                          options.progress, modelBytes);
      conv.Tell(0.0);
      int imported = 0, written = 0;
      {
        CParallelism par = sizes ? *sizes : CParallelism();
        par.threads = threads;
        // Destroyed in reverse order: the writer, then the reader with its pool.
        CImportNEUtral reader(conv);
        CWriteQsxFromNeutral writer(conv);
        reader.SetParallelism(par);
        writer.SetParallelism(par);
        imported = reader.Import(modelPath, 1);
        if (imported != 0) written = writer.Write(modelPath, reader.GetDataPool(), outputPath);
        // The page's picture of the store, while the check finishes on its thread.
        if (options.html && refusal.empty()) {
          page = PageModelOf(*reader.GetDataPool(), report->facts);
          page->reading = ReadingText(imported != 0, report->facts, reader.LineCount());
        }
      }
      r.messages = MessageList(env.LogLines(modelPath), modelPath);
      if (imported == 0 || written == 0) {
        r.status = kStatusFailed;
      } else if (conv.fileErrorShown) {
        r.status = kStatusFileError;
        errors = Text(EText::kResultNotWritten, {modelPath}) + "\n";
      } else {
        r.status = kStatusDone;
      }
      if (conv.outputCreated) r.outputPath = outputPath;
      if (report) {
        report->output = r.outputPath;
        report->dangling = check->Finish();
        report->danglingCount = check->Counted();
        report->checked = conv.outputCreated && !check->Failed();
        report->uncheckedReferences = check->Unchecked();
        if (imported != 0) r.summary = SummaryOf(*report);
      }
      if (options.strict && r.status == kStatusDone && r.summary.Any()) r.status = kStatusLossy;
      conv.Done();
    }
    if (report) report->status = r.status;
    if (page) {
      if (!r.outputPath.empty()) MarkDangling(*page, report->dangling, env, r.outputPath);
      page->modelPath = modelPath;
      SetPageStatus(*page, r.status, r.summary.Any());
      page->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      page->date = LocalDateText();
      page->messages = r.messages;
      page->reportJson = ReportJson(*report).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
      if (WritePage(*page, env, pagePath)) {
        r.pagePath = pagePath;
      } else {
        r.status = MoreSevere(r.status, kStatusFileError);
        errors += Text(EText::kPageNotWritten, {pagePath}) + "\n";
        report->status = r.status;
      }
    }
    if (options.report) r.report = std::move(report);
  } catch (const CCancelled&) {
    r = CConvertResult();
    r.modelPath = modelPath;
    r.status = kStatusCancelled;
    env.RemoveLogs(modelPath);
  } catch (...) {
    r.status = kStatusFailed;
    errors = Text(EText::kUnexpectedFailure, {modelPath}) + "\n";
  }
  r.notes += errors;
  return r;
}

}  // namespace

CConvertResult Convert(const std::string& modelPath, const CConvertRequest& request) {
  CConvertRequest r = request;
  r.model = modelPath;
  return Convert(r, nullptr);
}

std::string OutputFolderProblem(const std::string& outputDir) {
  if (outputDir.empty()) return std::string();
  const CFileStatus dir = StatFile(outputDir);
  if (!dir.exists) return Text(EText::kNoOutputFolder, {outputDir});
  if (!dir.folder) return Text(EText::kNotAFolder, {outputDir});
  return std::string();
}

CConvertResult Convert(const CConvertRequest& request, IConvertEnv* env) {
  CConvertResult r;
  const std::string& modelPath = request.model;
  try {
    if (env) {
      r = ConvertIn(*env, modelPath, modelPath, request);
    } else if (modelPath.empty()) {
      r.notes = Text(EText::kNoModelGiven) + "\n";
    } else if (const std::string problem = OutputFolderProblem(request.outputDir); !problem.empty()) {
      r.modelPath = modelPath;
      r.notes = problem + "\n";
    } else {
      EnsureCatalogue();
      const std::string model = Absolute(modelPath);
      CConvertRequest absolute = request;
      absolute.model = model;
      if (!absolute.outputDir.empty()) absolute.outputDir = Absolute(absolute.outputDir);
      for (std::string& input : absolute.inputs) input = Absolute(input);
      CHeadlessEnv headless(OutputPathFor(model, absolute.outputDir, kNativeSeparator));
      r = ConvertIn(headless, model, modelPath, absolute);
      r.boxes = headless.Errors() + r.boxes;
    }
    if (request.summary && r.status != kStatusCancelled) r.notes += SummaryLine(r.summary, modelPath);
  } catch (...) {
    r.status = kStatusFailed;
    r.notes += Text(EText::kUnexpectedFailure, {modelPath}) + "\n";
  }
  r.errors = r.boxes + r.notes;
  return r;
}

std::string AbsolutePath(const std::string& path) { return Absolute(path); }

std::string PagePath(const std::string& qsxPath) { return PagePathFor(qsxPath); }

std::string OutputPath(const std::string& modelPath, const std::string& outputDir) {
  return OutputPathFor(Absolute(modelPath), outputDir.empty() ? outputDir : Absolute(outputDir), kNativeSeparator);
}

bool CSummary::Any() const {
  return counted && (!notConverted.empty() || !partlyConverted.empty() || unknownBlocks != 0 ||
                     linesOutsideBlocks != 0 || readStoppedAtLine >= 0 || danglingReferences != 0 || noDataBlock);
}

std::string CConvertResult::ReportText() const { return report ? hvx::ReportText(*report) : std::string(); }

std::string CConvertResult::ReportJson() const {
  if (!report) return std::string();
  return hvx::ReportJson(*report).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

const char* Version() { return HALVEX_VERSION; }

}  // namespace hvx
