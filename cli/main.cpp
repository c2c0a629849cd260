// halvex2qsx: converts Halvex model files to QSX from the command line. Each
// model is one conversion through the conversion API; on request the tool
// reports what was converted and checks the written file's references, shows
// progress on big models, or checks given QSX files alone.
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
#include <string>
#include <vector>

#include "cli/check_command.h"
#include "cli/console.h"
#include "cli/progress.h"
#include "host/conversion.h"

namespace hvx {
namespace {

enum Exit { kOk = 0, kUsageError = 1, kFailed = 2, kMissing = 3, kFileError = 4 };

// Models larger than this show a progress line on a terminal.
constexpr uint64_t kProgressFrom = 20'000'000;

constexpr const char* kUsageLines =
    "Usage: halvex2qsx [--result RESULT.hvb] MODEL.hvt [MODEL2.hvt ...] [OPTIONS]\n"
    "       halvex2qsx --check FILE.qsx [FILE2.qsx ...]\n";

constexpr const char* kDescription =
    "Converts each Halvex model file into a QSX command-text file written beside\n"
    "it (the model path with its extension replaced by .qsx).\n";

constexpr const char* kFooter =
    "Problems met while reading or writing are listed on standard output;\n"
    "message boxes go to standard error.\n"
    "\n"
    "Exit status: 0 all converted; 1 usage error; 2 a conversion failed;\n"
    "3 a model file does not exist; 4 a file could not be written.\n"
    "With several models the highest status wins.\n"
    "With --check: 0 no dangling reference; 1 usage error; 2 a file is not QSX\n"
    "text or cannot be read; 3 a file does not exist; 5 a dangling reference\n"
    "was found.\n";

// The help text: the usage lines and the description, then the options with
// their descriptions as declared, then the footer.
class CHelpFormatter : public CLI::Formatter {
 public:
  CHelpFormatter() { column_width(22); }
  std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode mode) const override {
    std::string options = make_groups(app, mode);
    while (!options.empty() && options.back() == '\n') options.pop_back();
    return std::string(kUsageLines) + "\n" + kDescription + options + "\n\n" + kFooter;
  }
};

// Texts of the API and the arguments are UTF-8 (cli/console.h).
void Print(std::FILE* f, const std::string& text) { WriteText(f, text); }

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

int UsageError(const CLI::App& app, const std::string& what) {
  Print(stderr, "halvex2qsx: " + what + "\n" + app.help());
  return kUsageError;
}

// The objects of one model each (indented by 2 as a whole document), as one
// JSON array indented by 2.
std::string JsonArray(const std::vector<std::string>& objects) {
  if (objects.empty()) return "[]";
  std::string s = "[";
  for (const std::string& o : objects) {
    s += s.size() == 1 ? "\n  " : ",\n  ";
    for (const char c : o) {
      s += c;
      if (c == '\n') s += "  ";
    }
  }
  return s + "\n]";
}

int Run(int argc, char** argv) {
  CLI::App app("halvex2qsx");
  app.formatter(std::make_shared<CHelpFormatter>());
  app.set_help_flag();
  // Paths such as /data/model.hvt are files on every platform, never
  // Windows-style options.
  app.allow_windows_style_options(false);
  bool help = false, version = false, report = false, noProgress = false, check = false, html = false;
  std::string result, reportJson;
  std::vector<std::string> files;
  app.add_option("--result", result, "Halvex result file to pass through (not read)")->type_name("FILE");
  app.add_flag("--report", report,
               "after each model, report on standard error what was\n"
               "read, written and not converted (and why), and the\n"
               "written file's references to things it does not define");
  app.add_option("--report-json", reportJson,
                 "write the same report as JSON to FILE, one object per\n"
                 "model in command-line order")
      ->type_name("FILE");
  app.add_flag("--html", html,
               "also write a page beside each .qsx (its name with\n"
               ".html) showing the model in 3D as converted, what\n"
               "was not converted and the report; it opens from\n"
               "disk in any browser");
  app.add_flag("--no-progress", noProgress,
               "no progress line (it is shown on a terminal for models\n"
               "larger than 20 MB)");
  unsigned threads = 0;
  app.add_option("--threads", threads,
                 "threads for each conversion (default: one per core;\n"
                 "1: a single thread); the output is the same with any")
      ->type_name("N");
  app.add_flag("--check", check,
               "check the given QSX files for references to things they\n"
               "do not define instead of converting; findings go to\n"
               "standard output");
  app.add_flag("--help", help, "show this help and exit");
  app.add_flag("--version", version, "show the version and exit");
  app.add_option("files", files)->group("");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return UsageError(app, e.what());
  }
  if (help) {
    std::fputs(app.help().c_str(), stdout);
    return kOk;
  }
  if (version) {
    std::printf("halvex2qsx %s\n", Version());
    return kOk;
  }
  if (check) {
    if (report || html || !reportJson.empty() || !result.empty() || app.count("--threads"))
      return UsageError(app, "--check takes QSX files only, no other option");
    if (files.empty()) return UsageError(app, "no QSX file given");
    return RunCheckCommand(files, stdout, stderr);
  }
  if (files.empty()) return UsageError(app, "no model file given");
  if (app.count("--report-json") && reportJson.empty()) return UsageError(app, "--report-json needs a file name");

  const bool progressAllowed = !noProgress && StderrIsTerminal();
  CProgressLine progressLine(
      [](std::string_view text) {
        WriteText(stderr, text);
        std::fflush(stderr);
      },
      SteadySeconds);
  std::vector<std::string> reports;

  int status = kOk;
  for (const std::string& m : files) {
    CConvertOptions options;
    options.report = report || !reportJson.empty();
    options.html = html;
    options.threads = threads;
    bool progressShown = false;
    if (progressAllowed) {
      const std::string name = m.substr(m.find_last_of("/\\") + 1);
      options.progress = [&, name](const CProgress& p) {
        if (!progressShown && p.modelBytes > kProgressFrom) {
          progressShown = true;
          progressLine.Begin(name);
        }
        if (progressShown) progressLine.Update(p);
        return true;
      };
    }
    const CConvertResult r = Convert(m, options);
    if (progressShown) progressLine.End();

    for (const std::string& line : r.messages) Print(stdout, line + "\n");
    std::fflush(stdout);
    Print(stderr, r.errors);
    if (r.status > status) status = r.status;
    if (report) Print(stderr, r.ReportText());
    if (!reportJson.empty()) reports.push_back(r.ReportJson());
  }
  std::fflush(stdout);

  if (!reportJson.empty()) {
    std::ofstream out(std::filesystem::u8path(reportJson), std::ios::binary);
    out << JsonArray(reports) << '\n';
    out.close();
    if (!out) {
      Print(stderr, "halvex2qsx: could not write the report " + reportJson + "\n");
      if (kFileError > status) status = kFileError;
    }
  }
  return status;
}

}  // namespace
}  // namespace hvx

int main(int argc, char** argv) {
  try {
    std::vector<std::string> args = hvx::CommandLineArguments(argc, argv);
    std::vector<char*> utf8;
    for (std::string& a : args) utf8.push_back(a.data());
    utf8.push_back(nullptr);
    return hvx::Run(static_cast<int>(args.size()), utf8.data());
  } catch (...) {
    std::fprintf(stderr, "halvex2qsx: unexpected failure\n");
    return 2;
  }
}
