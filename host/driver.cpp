#include "host/driver.h"

#include "host/convlogs.h"
#include "reader/import.h"
#include "writer/writer.h"

namespace hvx {
namespace {
// Leaves the module state (and so puts back the host's resource handle) on
// every way out of the call.
struct ModuleScope {
  explicit ModuleScope(IPlatform& p) : p(p) { p.EnterModule(); }
  ~ModuleScope() { p.LeaveModule(); }
  IPlatform& p;
};
struct WaitCursor {
  explicit WaitCursor(IPlatform& p) : p(p) { p.BeginWaitCursor(); }
  ~WaitCursor() { p.EndWaitCursor(); }
  IPlatform& p;
};
}  // namespace

int RunConversion(IPlatform& p, std::string& outputPath, std::string& resultPath) {
  ModuleScope module(p);
  std::string modelPath, resultFile;
  if (!p.FileInputDialog(modelPath, resultFile)) return kConvertCancelled;

  WaitCursor wait(p);
  if (!p.FileStatus(modelPath)) {
    resultPath = resultFile;
    return kConvertDone;
  }
  // Destroyed in reverse order: the writer, then the reader with its pool.
  CImportNEUtral reader(p);
  CWriteQsxFromNeutral writer(p);
  if (reader.Import(modelPath, 1) == 0) {
    ShowAndRemoveLogs(p, modelPath);
    return kConvertFailed;
  }
  const int written = writer.Write(modelPath, reader.GetDataPool());
  ShowAndRemoveLogs(p, modelPath);
  if (written == 0) return kConvertFailed;
  outputPath = ReplaceExtension(modelPath, ".qsx");
  resultPath = resultFile;
  return kConvertDone;
}

}  // namespace hvx
