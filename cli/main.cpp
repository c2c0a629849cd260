// halvex2qsx: converts Halvex model files to QSX from the command line. Each
// model is one full conversion through the plug-in library's entry point, with
// the file dialog answered from the arguments. On request it reports what was
// converted and checks the written file's references, shows progress on big
// models, or checks given QSX files alone.
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/check_command.h"
#include "cli/check_feed.h"
#include "cli/progress.h"
#include "cli/report_output.h"
#include "host/exports.h"
#include "host/platform.h"

namespace {

constexpr const char* kUsage =
    "Usage: halvex2qsx [--result RESULT.hvb] MODEL.hvt [MODEL2.hvt ...] [OPTIONS]\n"
    "       halvex2qsx --check FILE.qsx [FILE2.qsx ...]\n"
    "\n"
    "Converts each Halvex model file into a QSX command-text file written beside\n"
    "it (the model path with its extension replaced by .qsx).\n"
    "\n"
    "Options:\n"
    "  --result FILE       Halvex result file to pass through (not read)\n"
    "  --report            after each model, report on standard error what was\n"
    "                      read, written and not converted (and why), and the\n"
    "                      written file's references to things it does not define\n"
    "  --report-json FILE  write the same report as JSON to FILE, one object per\n"
    "                      model in command-line order\n"
    "  --no-progress       no progress line (it is shown on a terminal for models\n"
    "                      larger than 20 MB)\n"
    "  --check             check the given QSX files for references to things they\n"
    "                      do not define instead of converting; findings go to\n"
    "                      standard output\n"
    "  --help              show this help and exit\n"
    "  --version           show the version and exit\n"
    "\n"
    "Problems met while reading or writing are listed on standard output;\n"
    "message boxes go to standard error.\n"
    "\n"
    "Exit status: 0 all converted; 1 usage error; 2 a conversion failed;\n"
    "3 a model file does not exist; 4 a file could not be written.\n"
    "With several models the highest status wins.\n"
    "With --check: 0 no dangling reference; 1 usage error; 2 a file is not QSX\n"
    "text or cannot be read; 3 a file does not exist; 5 a dangling reference\n"
    "was found.\n";

enum Exit { kOk = 0, kUsageError = 1, kFailed = 2, kMissing = 3, kFileError = 4 };

// Models larger than this show a progress line on a terminal.
constexpr uintmax_t kProgressFrom = 20'000'000;

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

// The dialog is answered from the arguments; the message window prints to
// standard output and message boxes to standard error. With a report, the
// conversion fills it and the QSX file is checked while it is written.
class CCliPlatform : public hvx::CConsolePlatform {
 public:
  std::string model;
  std::string result;
  bool fileErrorShown = false;
  hvx::CConversionReport* report = nullptr;
  hvx::IProgress* progress = nullptr;
  hvxcli::CCheckFeed* check = nullptr;  // checks the QSX file of model
  bool checkedFileCreated = false;

  bool FileInputDialog(std::string& modelPath, std::string& resultPath) override {
    modelPath = model;
    resultPath = result;
    return true;
  }
  void ShowFileError(const hvx::CFileError& e) override {
    fileErrorShown = true;
    MessageBox(e.Message());
  }
  std::unique_ptr<hvx::COutFile> CreateFile(const std::string& path) override {
    std::unique_ptr<hvx::COutFile> f = CConsolePlatform::CreateFile(path);
    if (check && path == hvx::ReplaceExtension(model, ".qsx")) {
      checkedFileCreated = true;
      return std::make_unique<hvxcli::CCheckedOutFile>(std::move(f), *check);
    }
    return f;
  }
  hvx::CConversionReport* Report() override { return report; }
  hvx::IProgress* Progress() override { return progress; }
};

std::string Absolute(const std::string& path) {
#ifdef _WIN32
  // A path from a Unix shell under Wine (/data/model.hvt) names a host file;
  // it stays as given, so the lines that name the model show it as typed.
  if (!path.empty() && path[0] == '/') return path;
#endif
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  if (ec) return path;
  return p.lexically_normal().string();
}

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

int UsageError(const std::string& what) {
  std::fprintf(stderr, "halvex2qsx: %s\n%s", what.c_str(), kUsage);
  return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    CLI::App app("halvex2qsx");
    app.set_help_flag();  // the help text is kUsage
    // Paths such as /data/model.hvt are files on every platform, never
    // Windows-style options.
    app.allow_windows_style_options(false);
    bool help = false, version = false, report = false, noProgress = false, check = false;
    std::string result, reportJson;
    std::vector<std::string> files;
    app.add_flag("--help", help);
    app.add_flag("--version", version);
    app.add_option("--result", result);
    app.add_flag("--report", report);
    app.add_option("--report-json", reportJson);
    app.add_flag("--no-progress", noProgress);
    app.add_flag("--check", check);
    app.add_option("files", files);
    try {
      app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
      return UsageError(e.what());
    }
    if (help) {
      std::fputs(kUsage, stdout);
      return kOk;
    }
    if (version) {
      std::printf("halvex2qsx 1.0.0\n");
      return kOk;
    }
    if (check) {
      if (report || !reportJson.empty() || !result.empty())
        return UsageError("--check takes QSX files only, no other option");
      if (files.empty()) return UsageError("no QSX file given");
      return hvx::RunCheckCommand(files, stdout, stderr);
    }
    if (files.empty()) return UsageError("no model file given");
    if (app.count("--report-json") && reportJson.empty()) return UsageError("--report-json needs a file name");

    const bool reporting = report || !reportJson.empty();
    const bool progressAllowed = !noProgress && StderrIsTerminal();
    hvxcli::CProgressLine progressLine(
        [](std::string_view text) {
          std::fwrite(text.data(), 1, text.size(), stderr);
          std::fflush(stderr);
        },
        SteadySeconds);
    std::vector<hvxcli::CModelReport> reports;

    CCliPlatform platform;
    HalvexSetPlatform(&platform);
    int status = kOk;
    for (const std::string& m : files) {
      platform.model = Absolute(m);
      platform.result = result;
      platform.fileErrorShown = false;
      platform.checkedFileCreated = false;

      std::error_code ec;
      const uintmax_t size = std::filesystem::file_size(platform.model, ec);
      const bool showProgress = progressAllowed && !ec && size > kProgressFrom;
      platform.progress = showProgress ? &progressLine : nullptr;
      if (showProgress) progressLine.Begin(std::filesystem::path(m).filename().string(), size);

      std::optional<hvxcli::CModelReport> rep;
      std::optional<hvxcli::CCheckFeed> feed;
      if (reporting) {
        rep.emplace();
        rep->model = m;
        feed.emplace();
      }
      platform.report = rep ? &rep->facts : nullptr;
      platform.check = feed ? &*feed : nullptr;

      std::string outputPath, resultPath;
      const int rc = ConvertFile2(outputPath, resultPath);
      if (showProgress) progressLine.End();
      platform.report = nullptr;
      platform.check = nullptr;
      platform.progress = nullptr;

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

      if (rep) {
        rep->status = s;
        rep->dangling = feed->Finish();
        rep->checked = platform.checkedFileCreated && !feed->Failed();
        rep->uncheckedReferences = feed->Unchecked();
        if (report) {
          std::fflush(stdout);
          const std::string text = hvxcli::ReportText(*rep);
          std::fwrite(text.data(), 1, text.size(), stderr);
        }
        if (!reportJson.empty()) reports.push_back(std::move(*rep));
      }
    }
    HalvexSetPlatform(nullptr);
    std::fflush(stdout);

    if (!reportJson.empty()) {
      nlohmann::ordered_json all = nlohmann::ordered_json::array();
      for (const hvxcli::CModelReport& r : reports) all.push_back(hvxcli::ReportJson(r));
      std::ofstream out(reportJson, std::ios::binary);
      out << all.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
      out.close();
      if (!out) {
        std::fprintf(stderr, "halvex2qsx: could not write the report %s\n", reportJson.c_str());
        if (kFileError > status) status = kFileError;
      }
    }
    return status;
  } catch (...) {
    std::fprintf(stderr, "halvex2qsx: unexpected failure\n");
    return kFailed;
  }
}
