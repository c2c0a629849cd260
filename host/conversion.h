// The conversion as a library call: one Halvex model in, its QSX file written,
// and what happened handed back as data — the status, the message-window
// lines, the errors a user would have been shown, and on request the
// conversion report. No dialogs, nothing to set up first, no state kept
// between calls: any number of conversions may run at once on different
// threads, in one folder too. Nothing but the .qsx is written: the logs of a
// conversion stay in memory. The command line, the plug-in's entry points,
// the C interface (host/halvex.h) and the fuzz target are front ends of it.
//
// Paths and texts are UTF-8 on every platform (on POSIX systems: the bytes
// as given).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace hvx {

// Status of one conversion; the command line's exit status for that model.
enum EConvertStatus : int {
  kStatusDone = 0,         // converted (message lines may still report problems)
  kStatusBadArguments = 1, // no model path, or an output folder that does not exist
  kStatusFailed = 2,       // the model could not be opened, or writing gave up
  kStatusMissing = 3,      // the model file does not exist; nothing written
  kStatusFileError = 4,    // a file could not be written (named in the errors)
  kStatusCancelled = 6,    // the progress callback asked to stop; the folder is as it was
};

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

struct CConvertOptions {
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
  // Threads for this conversion, the calling one among them: 0 is one per
  // core, 1 runs it on the calling thread alone. Long blocks are split into
  // numbers and long sections formatted on the others; the .qsx, the message
  // lines and the report are the same with any count. All are joined before
  // Convert returns.
  unsigned threads = 0;
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
  // What the command line shows on standard error for this model: the texts
  // of the message boxes the plug-in would have shown, then its own notes,
  // each line ending in "\n".
  std::string errors;
  // The report (with CConvertOptions::report; null otherwise).
  std::shared_ptr<const CModelReport> report;

  // The report as readable text (--report), and as one JSON object
  // (--report-json) indented by 2; "" without a report.
  std::string ReportText() const;
  std::string ReportJson() const;
};

// Converts the model at modelPath. Never throws.
CConvertResult Convert(const std::string& modelPath, const CConvertOptions& options = {});

// "halvex2qsx 1.0.0"-style version number of the library, e.g. "1.0.0".
const char* Version();

}  // namespace hvx
