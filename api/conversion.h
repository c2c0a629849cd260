// The conversion as a library call: one Halvex model in, its QSX file written,
// and what happened handed back as data — the status, the message-window
// lines, the errors a user would have been shown, and on request the
// conversion report. No dialogs, nothing to set up first, no state kept
// between calls: any number of conversions may run at once on different
// threads, in one folder too. Nothing but the .qsx is written: the logs of a
// conversion stay in memory. The command line, the plug-in's entry points,
// the C interface (api/halvex.h) and the fuzz target are front ends of it.
//
// Paths and texts are UTF-8 on every platform (on POSIX systems: the bytes
// as given).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "api/status.h"

namespace hvx {

// Where a conversion has got to.
struct CProgress {
  double fraction = 0.0;     // 0 to 1, never decreasing
  uint64_t bytesRead = 0;    // of the model file
  uint64_t modelBytes = 0;   // its size
  const char* section = nullptr;  // the section group being written; nullptr while reading
};
// Called on the converting thread at least once per block read and per
// section written (and more often in long ones). Return false to cancel.
using ProgressFn = std::function<bool(const CProgress&)>;

class IConvertEnv;
struct CParallelism;

// Everything a front end decides about one conversion. The tool, the
// plug-in's driver, the C interface and the fuzz target each fill one and
// call Convert; every rule that is not about their arguments or their
// printing lives behind it.
struct CConvertRequest {
  // The model file. Convert(model, request) sets it.
  std::string model;
  // Folder for the .qsx (it must exist); empty: beside the model, as the
  // model path with its extension replaced by ".qsx". In a folder the file
  // has the name that rule gives it.
  std::string outputDir;
  // Fill the conversion report: what was read, written and passed over, and
  // the written file's references to things it does not define.
  bool report = false;
  ProgressFn progress;
  // Also write the model page: one self-contained HTML file beside the .qsx
  // (its path with ".html" in place of ".qsx") that shows the model as
  // converted, what was not converted and the report. Written for every
  // model that exists and was not cancelled; it changes nothing else of the
  // result but this: a page that cannot be written gives kStatusFileError,
  // named in the errors.
  bool html = false;
  // Count what was passed over (CConvertResult::summary), the written file's
  // dangling references included: the text is checked on a second thread as
  // it is written.
  bool summary = false;
  // kStatusLossy instead of kStatusDone when the summary has anything to say
  // (counts as summary).
  bool strict = false;
  // Files the conversion never writes besides the model itself (which it
  // never writes either): the other models of a batch. A file is the same
  // by its name, or as a file (through a link) when it exists.
  std::vector<std::string> inputs;
  // Threads for this conversion, the calling one among them: 0 is one per
  // core, 1 runs it on the calling thread alone. Long blocks are split into
  // numbers and long sections formatted on the others; the .qsx, the message
  // lines and the report are the same with any count. All are joined before
  // Convert returns.
  unsigned threads = 0;
  // How the work is cut for the threads (its own thread count is not used);
  // null: as for any model. Tests cut small models as finely as big ones are cut.
  const CParallelism* cut = nullptr;
};
using CConvertOptions = CConvertRequest;

// What a conversion passed over, in counts.
struct CSummary {
  struct CKindCount {
    std::string kind;  // the report's key: "elements", "static_loads", ...
    long long count = 0;
  };
  bool counted = false;                     // the model was read and the counts taken
  std::vector<CKindCount> notConverted;     // entities written nowhere, by kind in report order
  std::vector<CKindCount> partlyConverted;  // entities written, but not whole
  long long unknownBlocks = 0;
  long long linesOutsideBlocks = 0;
  long long readStoppedAtLine = -1;  // -1: the whole file was read
  long long danglingReferences = 0;  // in the written file
  bool noDataBlock = false;          // not one block of Halvex model data
  // True when there is something to tell.
  bool Any() const;
};

struct CModelReport;

struct CConvertResult {
  int status = kStatusBadArguments;
  std::string modelPath;   // as converted: absolute and normalised
  std::string outputPath;  // the .qsx written; empty when nothing was written
  std::string pagePath;    // the model page written (CConvertOptions::html); empty otherwise
  // The message window's lines: empty, or an empty line, the lines of the
  // read and write logs (each in pieces of at most 499 characters), an empty
  // line and "Import <model path>".
  std::vector<std::string> messages;
  // What the command line shows on standard error for this model, each line
  // ending in "\n": the texts of the message boxes the plug-in would have
  // shown (boxes), then the conversion's own notes (notes: a model not
  // found, a file not written, the summary line with request.summary). No
  // line names a program: the tool puts its name before each note.
  std::string boxes;
  std::string notes;
  std::string errors;  // boxes + notes
  // The report (with CConvertOptions::report; null otherwise).
  std::shared_ptr<const CModelReport> report;
  // With CConvertOptions::summary, strict or report.
  CSummary summary;

  // The report as readable text (--report), and as one JSON object
  // (--report-json) indented by 2; "" without a report.
  std::string ReportText() const;
  std::string ReportJson() const;
};

// The one conversion. With env null it is headless: the model path made
// absolute, files named in UTF-8, message boxes gathered as text, the logs
// kept in memory, and only the .qsx (and page) touching the disk, renamed
// into place when complete. With env (the plug-in's platform) everything
// goes through it, the model as given, and showing and removing the logs is
// the caller's. Never throws.
CConvertResult Convert(const CConvertRequest& request, IConvertEnv* env = nullptr);
// The same for modelPath (request.model is not used).
CConvertResult Convert(const std::string& modelPath, const CConvertRequest& request = {});

// Why outputDir cannot take the files ("" when it can, or is empty).
std::string OutputFolderProblem(const std::string& outputDir);

// The checks of a batch before anything runs: no two models write one file
// (.qsx or page), no file written is the report's (reportJson, "" for none)
// and the report is no model.
struct CBatchPlan {
  int status = -1;     // -1: go on; else nothing runs, the batch's status
  std::string notes;   // why not, as CConvertResult::notes
  // Per model: the models its own files would be; they go to its request's
  // inputs, so that it refuses to write them and says so.
  std::vector<std::vector<std::string>> inputsOf;
};
CBatchPlan PlanBatch(const std::vector<std::string>& models, const std::string& outputDir, bool html,
                     const std::string& reportJson);

// A path made absolute and normalised, as Convert names the model.
std::string AbsolutePath(const std::string& path);
// The .qsx Convert writes for the model: absolute and normalised.
std::string OutputPath(const std::string& modelPath, const std::string& outputDir = "");
// The model page written beside a .qsx (CConvertOptions::html).
std::string PagePath(const std::string& qsxPath);

// "halvex2qsx 1.0.0"-style version number of the library, e.g. "1.0.0".
const char* Version();

}  // namespace hvx
