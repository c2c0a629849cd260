#include "host/driver.h"

#include "host/conversion_env.h"

namespace hvx {
namespace {
struct WaitCursor {
  explicit WaitCursor(IPlatform& p) : p(p) { p.BeginWaitCursor(); }
  ~WaitCursor() { p.EndWaitCursor(); }
  IPlatform& p;
};
}  // namespace

int RunConversion(IPlatform& p, std::string& outputPath, std::string& resultPath) {
  std::string modelPath, resultFile;
  if (!p.FileInputDialog(modelPath, resultFile)) return kConvertCancelled;

  WaitCursor wait(p);
  // The logs are files beside the model here, shown and then removed. The
  // host's thread converts alone, as the host expects of its plug-in.
  CConvertOptions options;
  options.threads = 1;
  const CConvertResult r = ConvertWith(p, modelPath, modelPath, options);
  if (r.status == kStatusMissing) {
    resultPath = resultFile;
    return kConvertDone;
  }
  if (!r.messages.empty()) p.MessageWindow(r.messages);
  p.RemoveLogs(modelPath);
  if (r.status != kStatusDone && r.status != kStatusFileError) return kConvertFailed;
  // A file error was shown to the user; the call still counts as done.
  outputPath = ReplaceExtension(modelPath, ".qsx");
  resultPath = resultFile;
  return kConvertDone;
}

}  // namespace hvx
