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

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/ordered_run.h"
#include "cli/buffered_text.h"
#include "cli/check_command.h"
#include "platform/console.h"
#include "cli/progress.h"
#include "api/conversion.h"
#include "platform/fileops.h"
#include "api/tool_text.h"

namespace hvx {
namespace {

// Models larger than this show a progress line on a terminal.
constexpr uint64_t kProgressFrom = 20'000'000;

constexpr const char* kUsageLines =
    "Usage: halvex2qsx [--result RESULT.hvb] MODEL.hvt [MODEL2.hvt ...] [OPTIONS]\n"
    "       halvex2qsx --check FILE.qsx [FILE2.qsx ...] [-j N]\n";

constexpr const char* kDescription =
    "Converts each Halvex model file into a QSX command-text file written beside\n"
    "it (the model path with its extension replaced by .qsx), or into a folder.\n";

constexpr const char* kFooter =
    "Problems met while reading or writing are listed on standard output;\n"
    "message boxes go to standard error, and after a model of which something\n"
    "was not converted, one line that counts what.\n"
    "\n";

// After the exit statuses of a conversion (api/status.h).
constexpr const char* kCheckFooter =
    "With --check: 0 no dangling reference; 1 usage error; 2 a file is not QSX\n"
    "text or cannot be read; 3 a file does not exist; 5 a dangling reference\n"
    "was found.\n";

// The help text: the usage lines and the description, then the options with
// their descriptions as declared, then the footer.
class CHelpFormatter : public CLI::Formatter {
 public:
  CHelpFormatter() { column_width(24); }
  std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode mode) const override {
    std::string options = make_groups(app, mode);
    while (!options.empty() && options.back() == '\n') options.pop_back();
    return std::string(kUsageLines) + "\n" + kDescription + options + "\n\n" + kFooter + ExitStatusHelp(72) +
           kCheckFooter;
  }
};

// Texts of the API and the arguments are UTF-8 (platform/console.h).
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

// The tool's name before each line of the conversion's own notes.
std::string Named(const std::string& notes) {
  std::string out;
  for (size_t b = 0, e; b < notes.size(); b = e + 1) {
    e = notes.find('\n', b);
    if (e == std::string::npos) e = notes.size();
    out += "halvex2qsx: " + notes.substr(b, e - b) + "\n";
  }
  return out;
}
void Say(std::FILE* f, const std::string& notes) { Print(f, Named(notes)); }

// The error and one line pointing to --help.
int UsageError(const std::string& what) {
  Print(stderr, "halvex2qsx: " + what + "\n" + Text(EText::kUsageHint) + "\n");
  return kStatusBadArguments;
}

// -j N: a whole number from 1 up; 0 when it is none.
unsigned JobsFrom(const std::string& text) {
  unsigned n = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), n);
  return r.ec == std::errc() && r.ptr == text.data() + text.size() ? n : 0;
}

// What one model gave, kept until the models before it are out.
struct CModelOutput {
  CBufferedText text;  // its lines on standard output and error, in order
  int status = kStatusDone;
  std::string reportJson;
};

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
  bool help = false, version = false, report = false, noProgress = false, check = false, strict = false,
       quiet = false, html = false;
  std::string result, reportJson, outputDir;
  std::vector<std::string> files;
  app.add_option("--result", result, "Halvex result file to pass through (not read)")->type_name("FILE");
  app.add_option("-o,--output-dir", outputDir,
                 "write each .qsx into DIR (which must exist) under the\n"
                 "name it has beside its model; nothing is written\n"
                 "beside the models")
      ->type_name("DIR");
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
  app.add_flag("--strict", strict,
               "exit status 5 for a model of which something was not\n"
               "converted or converted in part, or whose .qsx has\n"
               "dangling references (what the summary line counts)");
  app.add_flag("-q,--quiet", quiet, "no summary line and no progress line");
  app.add_flag("--no-progress", noProgress,
               "no progress line (it is shown on a terminal for models\n"
               "larger than 20 MB)");
  unsigned threads = 0;
  app.add_option("--threads", threads,
                 "threads for each conversion (default: one per core;\n"
                 "1: a single thread); the output is the same with any")
      ->type_name("N");
  std::string jobsText = "1";
  app.add_option("-j,--jobs", jobsText,
                 "convert (or check) up to N models at once (default\n"
                 "1), each on one thread unless --threads says\n"
                 "otherwise; the files, the output and the exit status\n"
                 "are those of one model after the other")
      ->type_name("N");
  app.add_flag("--check", check,
               "check the given QSX files for references to things they\n"
               "do not define instead of converting; findings go to\n"
               "standard output");
  app.add_flag("-h,--help", help, "show this help and exit");
  app.add_flag("-V,--version", version, "show the version and exit");
  app.add_option("files", files)->group("");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return UsageError(e.what());
  }
  const unsigned jobs = JobsFrom(jobsText);
  if (jobs == 0) return UsageError(Text(EText::kJobsNotANumber, {jobsText}));
  if (help) {
    std::fputs(app.help().c_str(), stdout);
    return kStatusDone;
  }
  if (version) {
    std::printf("halvex2qsx %s\n", Version());
    return kStatusDone;
  }
  if (check) {
    if (report || html || !reportJson.empty() || !result.empty() || !outputDir.empty() || strict || quiet ||
        app.count("--threads"))
      return UsageError(Text(EText::kCheckTakesFilesOnly));
    if (files.empty()) return UsageError(Text(EText::kNoQsxGiven));
    CatchInterrupt();
    const int status = RunCheckCommand(files, stdout, stderr, jobs, Interrupted);
    if (Interrupted()) ExitInterrupted();
    return status;
  }
  if (files.empty()) return UsageError(Text(EText::kNoModelGiven));
  if (app.count("--report-json") && reportJson.empty()) return UsageError(Text(EText::kReportJsonNeedsName));

  const std::vector<std::string>& models = files;
  const CBatchPlan plan = PlanBatch(models, outputDir, html, reportJson);
  if (plan.status >= 0) {
    Say(stderr, plan.notes);
    return plan.status;
  }
  const std::vector<std::vector<std::string>>& inputsOf = plan.inputsOf;

  // Several models at once: each on one thread, unless --threads says
  // otherwise, and one progress line counting the models done.
  const size_t parallel = std::min<size_t>(jobs, models.size());
  if (parallel > 1 && !app.count("--threads")) threads = 1;
  const bool progressAllowed = !noProgress && !quiet && StderrIsTerminal();
  CProgressLine progressLine(
      [](std::string_view text) {
        WriteText(stderr, text);
        std::fflush(stderr);
      },
      SteadySeconds);
  std::atomic<int> bigRunning{0};  // models over kProgressFrom being converted
  // Several models at once that together are as large as one big model count
  // their models on the line too, however small each is.
  uint64_t batchBytes = 0;
  if (parallel > 1)
    for (const std::string& m : models) batchBytes += StatFile(m).size;
  std::vector<std::string> reports;
  int status = kStatusDone;

  // A Ctrl+C cancels the conversions running (each leaves its folder as it
  // was) and starts no other; the models done before are told as usual.
  CatchInterrupt();
  const auto convert = [&](size_t i) {
    const std::string& m = models[i];
    CConvertOptions options;
    options.outputDir = outputDir;
    options.report = report || !reportJson.empty();
    options.html = html;
    options.summary = !quiet;  // the summary line among the notes
    options.strict = strict;
    // No model is written over, neither by its own result nor by another's.
    options.inputs = inputsOf[i];
    options.threads = threads;
    bool progressShown = false, big = false;
    const std::string name = m.substr(m.find_last_of("/\\") + 1);
    options.progress = [&, name](const CProgress& p) {
      if (progressAllowed && parallel > 1 && !big && p.modelBytes > kProgressFrom) {
        big = true;
        ++bigRunning;
      } else if (progressAllowed && parallel == 1) {
        if (!progressShown && p.modelBytes > kProgressFrom) {
          progressShown = true;
          progressLine.Begin(name);
        }
        if (progressShown) progressLine.Update(p);
      }
      return !Interrupted();
    };
    const CConvertResult r = Convert(m, options);
    if (progressShown) progressLine.End();
    if (big) --bigRunning;

    CModelOutput out;
    out.status = r.status;
    if (r.status == kStatusCancelled) return out;
    for (const std::string& line : r.messages) out.text.Put(stdout, line + "\n");
    out.text.Put(stderr, r.boxes);
    out.text.Put(stderr, Named(r.notes));
    if (report) out.text.Put(stderr, r.ReportText());
    if (!reportJson.empty()) out.reportJson = r.ReportJson();
    return out;
  };
  const auto emit = [&](size_t, CModelOutput& out) {
    if (out.status == kStatusCancelled) return;
    progressLine.End();
    out.text.WriteOut();
    status = MoreSevere(status, out.status);
    if (!reportJson.empty()) reports.push_back(std::move(out.reportJson));
  };
  const auto counted = [&](size_t done) {
    if (batchBytes > kProgressFrom || bigRunning.load() > 0)
      progressLine.Count(done, models.size());
    else
      progressLine.End();
  };
  RunJobsInOrder(models.size(), static_cast<unsigned>(parallel), convert, emit, Interrupted,
                 progressAllowed ? std::function<void(size_t)>(counted) : nullptr);
  progressLine.End();
  std::fflush(stdout);
  if (Interrupted()) ExitInterrupted();

  if (!reportJson.empty()) {
    std::ofstream out(std::filesystem::u8path(reportJson), std::ios::binary);
    out << JsonArray(reports) << '\n';
    out.close();
    if (!out) {
      Say(stderr, Text(EText::kReportNotWritten, {reportJson}) + "\n");
      status = MoreSevere(status, kStatusFileError);
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
    std::fprintf(stderr, "halvex2qsx: %s\n", hvx::Text(hvx::EText::kFailure).c_str());
    return 2;
  }
}
