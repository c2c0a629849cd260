#include "plugin/driver.h"

#include "api/conversion_env.h"

namespace hvx {
namespace {
struct WaitCursor {
  explicit WaitCursor(IPlatform& p) : p(p) { p.BeginWaitCursor(); }
  ~WaitCursor() { p.EndWaitCursor(); }
  IPlatform& p;
};
}  // namespace

int RunConversion(IPlatform& p, CHandBack& back) {
  std::string modelPath, resultFile;
  if (!p.FileInputDialog(modelPath, resultFile)) return kConvertCancelled;

  WaitCursor wait(p);
  // The result file is only passed through: its text never fails a call.
  const auto handBackResult = [&] { back.resultPath = p.HostPath(resultFile).value_or(p.HostText(resultFile)); };
  // Decided before anything is written: a model whose .qsx could not be
  // named to the host is not converted.
  std::optional<std::string> hostModel;
  if (p.FileStatus(modelPath) && !(hostModel = p.HostPath(modelPath))) {
    p.ShowPathNotForHost(modelPath);
    return kConvertFailed;
  }
  // The logs are files beside the model here, shown and then removed. The
  // host's thread converts alone, as the host expects of its plug-in.
  CConvertRequest request;
  request.model = modelPath;
  request.threads = 1;
  const CConvertResult r = Convert(request, &p);
  if (r.status == kStatusMissing) {
    handBackResult();
    return kConvertDone;
  }
  // The window names the model as the host's 8-bit text does.
  if (!r.messages.empty()) p.MessageWindow(MessageList(p.LogLines(modelPath), hostModel.value_or(modelPath)));
  p.RemoveLogs(modelPath);
  if (r.status != kStatusDone && r.status != kStatusFileError) return kConvertFailed;
  // A file error was shown to the user; the call still counts as done.
  const std::string qsx = OutputPathFor(modelPath, "", p.Separator());
  const std::optional<std::string> hostQsx = p.HostPath(qsx);
  if (!hostQsx && p.FileStatus(qsx)) {
    // Short names were turned off since the model was written.
    p.ShowPathNotForHost(modelPath);
    return kConvertFailed;
  }
  back.outputPath = hostQsx.value_or(p.HostText(qsx));
  handBackResult();
  return kConvertDone;
}

}  // namespace hvx
