// The plug-in library's exported entry points and its application object.
#include <string>

#include "host/driver.h"
#include "host/exports.h"
#include "host/msgdll.h"
#include "host/platform.h"

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

extern "C" HALVEX_EXPORT int ConvertFile2(std::string& outputPath, std::string& resultPath) {
  try {
    return hvx::RunConversion(hvx::ActivePlatform(), outputPath, resultPath);
  } catch (...) {
    // Nothing crosses the library boundary as an exception.
    return hvx::kConvertFailed;
  }
}

extern "C" HALVEX_EXPORT int ConvertFile() {
  std::string outputPath, resultPath;
  return ConvertFile2(outputPath, resultPath);
}

extern "C" HALVEX_EXPORT void HalvexSetPlatform(hvx::IPlatform* platform) { hvx::SetActivePlatform(platform); }
