// The plug-in library's entry points for the host application, and its
// application object.
#include "plugin/exports.h"

#include <string>

#include "plugin/driver.h"
#include "api/msgdll.h"
#include "plugin/platform.h"

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

extern "C" HALVEX_ENTRY int ConvertFile2(std::string& outputPath, std::string& resultPath) {
  try {
    return hvx::RunConversion(hvx::DefaultPlatform(), outputPath, resultPath);
  } catch (...) {
    // Nothing crosses the library boundary as an exception.
    return hvx::kConvertFailed;
  }
}

extern "C" HALVEX_ENTRY int ConvertFile() {
  std::string outputPath, resultPath;
  return ConvertFile2(outputPath, resultPath);
}
