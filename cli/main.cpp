// halvex2qsx: converts Halvex model files to QSX from the command line. Each
// model is one full conversion through the plug-in library's entry point, with
// the file dialog answered from the arguments.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/check_command.h"
#include "host/exports.h"
#include "host/platform.h"

namespace {

constexpr const char* kUsage =
    "Usage: halvex2qsx [--result RESULT.hvb] MODEL.hvt [MODEL2.hvt ...]\n"
    "\n"
    "Converts each Halvex model file into a QSX command-text file written beside\n"
    "it (the model path with its extension replaced by .qsx).\n"
    "\n"
    "Options:\n"
    "  --result FILE   Halvex result file to pass through (not read)\n"
    "  --help          show this help and exit\n"
    "  --version       show the version and exit\n"
    "\n"
    "Problems met while reading or writing are listed on standard output;\n"
    "message boxes go to standard error.\n"
    "\n"
    "Exit status: 0 all converted; 1 usage error; 2 a conversion failed;\n"
    "3 a model file does not exist; 4 a file could not be written.\n"
    "With several models the highest status wins.\n";

enum Exit { kOk = 0, kUsageError = 1, kFailed = 2, kMissing = 3, kFileError = 4 };

// The dialog is answered from the arguments; the message window prints to
// standard output and message boxes to standard error.
class CCliPlatform : public hvx::CConsolePlatform {
 public:
  std::string model;
  std::string result;
  bool fileErrorShown = false;

  bool FileInputDialog(std::string& modelPath, std::string& resultPath) override {
    modelPath = model;
    resultPath = result;
    return true;
  }
  void ShowFileError(const hvx::CFileError& e) override {
    fileErrorShown = true;
    MessageBox(e.Message());
  }
};

std::string Absolute(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  if (ec) return path;
  return p.lexically_normal().string();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    // Minimal entry of the reference check until the option parser takes it:
    // "halvex2qsx --check FILE..." checks QSX files and converts nothing.
    if (argc >= 2 && std::strcmp(argv[1], "--check") == 0)
      return hvx::RunCheckCommand(std::vector<std::string>(argv + 2, argv + argc), stdout, stderr);
    std::string result;
    std::vector<std::string> models;
    bool optionsDone = false;
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (!optionsDone && arg == "--help") {
        std::fputs(kUsage, stdout);
        return kOk;
      } else if (!optionsDone && arg == "--version") {
        std::printf("halvex2qsx 1.0.0\n");
        return kOk;
      } else if (!optionsDone && arg == "--result") {
        if (i + 1 >= argc) {
          std::fprintf(stderr, "halvex2qsx: --result needs a file name\n%s", kUsage);
          return kUsageError;
        }
        result = argv[++i];
      } else if (!optionsDone && arg.rfind("--result=", 0) == 0) {
        result = arg.substr(9);
      } else if (!optionsDone && arg == "--") {
        optionsDone = true;
      } else if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
        std::fprintf(stderr, "halvex2qsx: unknown option %s\n%s", arg.c_str(), kUsage);
        return kUsageError;
      } else {
        models.push_back(arg);
      }
    }
    if (models.empty()) {
      std::fprintf(stderr, "halvex2qsx: no model file given\n%s", kUsage);
      return kUsageError;
    }

    CCliPlatform platform;
    HalvexSetPlatform(&platform);
    int status = kOk;
    for (const std::string& m : models) {
      platform.model = Absolute(m);
      platform.result = result;
      platform.fileErrorShown = false;
      std::string outputPath, resultPath;
      const int rc = ConvertFile2(outputPath, resultPath);
      int s = kOk;
      if (rc == -1) {
        s = kFailed;
      } else if (rc == 0 && outputPath.empty()) {
        std::fprintf(stderr, "halvex2qsx: model file not found: %s\n", platform.model.c_str());
        s = kMissing;
      }
      if (platform.fileErrorShown) {
        std::fprintf(stderr, "halvex2qsx: could not write the result of %s\n", platform.model.c_str());
        s = kFileError;
      }
      if (s > status) status = s;
    }
    HalvexSetPlatform(nullptr);
    std::fflush(stdout);
    return status;
  } catch (...) {
    std::fprintf(stderr, "halvex2qsx: unexpected failure\n");
    return kFailed;
  }
}
