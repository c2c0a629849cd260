// The plug-in library's entry points for the host application, and its
// application object.
#include "plugin/exports.h"

#include <string>

#include "plugin/driver.h"
#include "api/msgdll.h"
#include "plugin/platform.h"
#if defined(_WIN32)
#include "plugin/host_string_win.h"
#endif

namespace {
// Created when the library is loaded: loads the message catalogue (its result
// is not checked); unloads it when the library is unloaded.
class CConvertHalvexApp {
 public:
  CConvertHalvexApp() { hvx::CMsgDll::Load(); }
  ~CConvertHalvexApp() { hvx::CMsgDll::Unload(); }
};
CConvertHalvexApp theApp;
}  // namespace

extern "C" HALVEX_ENTRY int HALVEX_CALL ConvertFile2(HalvexHostString& outputPath, HalvexHostString& resultPath) {
  // Nothing crosses the library boundary as an exception.
  try {
#if defined(_WIN32)
    // The paths go into the host's strings through its own string manager.
    hvx::CHandBack back;
    const int rc = hvx::RunConversion(hvx::DefaultPlatform(), back);
    if (!hvx::HandBackToHost(back.outputPath, outputPath, back.resultPath, resultPath)) return hvx::kConvertFailed;
    return rc;
#else
    return hvx::RunConversion(hvx::DefaultPlatform(), outputPath, resultPath);
#endif
  } catch (...) {
    return hvx::kConvertFailed;
  }
}

extern "C" HALVEX_ENTRY int HALVEX_CALL ConvertFile() {
  // No host string here: the conversion's own strings, dropped.
  try {
    std::string outputPath, resultPath;
    return hvx::RunConversion(hvx::DefaultPlatform(), outputPath, resultPath);
  } catch (...) {
    return hvx::kConvertFailed;
  }
}
