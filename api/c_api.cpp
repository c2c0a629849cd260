// The C interface (halvex.h) over the conversion API.
#include "api/halvex.h"

#include <new>
#include <string>

#include "api/conversion.h"
#include "api/tool_text.h"

struct halvex_result {
  std::string outputPath;
  std::string messages;
  std::string errors;
  std::string reportJson;
  bool hasReport = false;
};

namespace hvx {
namespace {

// The statuses of halvex.h are the status table's.
static_assert(HALVEX_DONE == kStatusDone && HALVEX_BAD_ARGUMENTS == kStatusBadArguments &&
              HALVEX_FAILED == kStatusFailed && HALVEX_MISSING == kStatusMissing &&
              HALVEX_FILE_ERROR == kStatusFileError && HALVEX_LOSSY == kStatusLossy &&
              HALVEX_CANCELLED == kStatusCancelled && kStatusCount == 7);

halvex_result* ResultOf(const CConvertResult& r) {
  auto* out = new halvex_result;
  out->outputPath = r.outputPath;
  for (const std::string& line : r.messages) {
    out->messages += line;
    out->messages += '\n';
  }
  // As the tool says it on standard error, less its name.
  out->errors = r.errors;
  if (r.report) {
    out->reportJson = r.ReportJson();
    out->hasReport = true;
  }
  return out;
}

}  // namespace
}  // namespace hvx

extern "C" HALVEX_API int halvex_convert(const char* model_path, const char* output_dir, unsigned flags,
                                         halvex_progress_fn progress, void* user, halvex_result** result) {
  if (result) *result = nullptr;
  try {
    hvx::CConvertRequest options;
    options.model = model_path ? model_path : "";
    if (output_dir) options.outputDir = output_dir;
    // The errors text holds the summary line, as the tool prints it.
    options.summary = true;
    options.report = (flags & HALVEX_REPORT) != 0;
    options.html = (flags & HALVEX_HTML) != 0;
    options.strict = (flags & HALVEX_STRICT) != 0;
    options.threads = flags >> 8;  // HALVEX_THREADS(n)
    if (progress)
      options.progress = [progress, user](const hvx::CProgress& p) { return progress(p.fraction, user) == 0; };
    hvx::CConvertResult r;
    if (output_dir && !*output_dir)
      r.errors = hvx::Text(hvx::EText::kNoOutputFolder, {""}) + "\n";
    else
      r = hvx::Convert(options);
    if (result) *result = hvx::ResultOf(r);
    return r.status;
  } catch (...) {
    // Out of memory for the result itself: nothing crosses the boundary.
    return HALVEX_FAILED;
  }
}

extern "C" HALVEX_API const char* halvex_result_output_path(const halvex_result* r) {
  return r ? r->outputPath.c_str() : "";
}

extern "C" HALVEX_API const char* halvex_result_messages(const halvex_result* r) {
  return r ? r->messages.c_str() : "";
}

extern "C" HALVEX_API const char* halvex_result_errors(const halvex_result* r) { return r ? r->errors.c_str() : ""; }

extern "C" HALVEX_API const char* halvex_result_report_json(const halvex_result* r) {
  return r && r->hasReport ? r->reportJson.c_str() : nullptr;
}

extern "C" HALVEX_API void halvex_result_free(halvex_result* r) { delete r; }

extern "C" HALVEX_API const char* halvex_version(void) { return hvx::Version(); }
