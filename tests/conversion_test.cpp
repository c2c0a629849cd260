// The conversion request: arguments, output folders, the summary and strict
// status, never writing over an input, progress and cancel, paths outside
// ASCII, and conversions on several threads at once. (Every golden and model
// case runs through it too, see cases_test.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include "api/conversion.h"
#include "api/conversion_env.h"
#include "tests/testutil.h"

using namespace hvx;
using namespace hvxtest;
namespace fs = std::filesystem;

namespace {

// Nodes in two blocks, and a three-term equation whose rigid link is logged.
std::string Model(int nodes) {
  std::string m = "   -1\n403\n";
  for (int i = 1; i <= nodes; ++i) m += std::to_string(i) + ",0,0,0,0,0,0,0,0,0,0,1,2," + std::to_string(i) + ",0\n";
  m += "   -1\n   -1\n506\n3\nBASE\n-1\n8,0,0\n3\n4,3,-1\n3,3,0.5\n2,3,0.5\n-1\n   -1\n";
  return m;
}

CConvertOptions With(std::function<void(CConvertOptions&)> set) {
  CConvertOptions o;
  set(o);
  return o;
}

// The rules of the request, each on a fresh folder holding m.hvt (a good
// model), sub/ and out/. Nothing is ever written over an input: the model
// itself, through a link, or another input the caller names (by name, or as
// a file when it exists). A refused .qsx is a file error: the model is read,
// nothing written.
TEST(ConversionApi, RequestRules) {
  const std::string problems = ReadFile(SourceDir() + "/examples/frame-with-problems.hvt");
  const std::string kProblemsLine =
      "@D@/p.hvt: not converted: 2 elements, 1 material, 3 static loads; 1 unknown block; 7 lines outside "
      "blocks; reading stopped at line 1151; 2 dangling references (see --report)\n";
  const auto write = [](const char* name, std::string text) {
    return [name, text](const TempDir& d) { WriteFile(d.File(name), text); };
  };
  const auto summary = [](bool strict) { return With([=](CConvertOptions& o) { o.summary = true, o.strict = strict; }); };
  const auto inputs = [](std::string file) { return With([=](CConvertOptions& o) { o.inputs = {file}; }); };
  const auto into = [](std::string dir) { return With([=](CConvertOptions& o) { o.outputDir = dir; }); };
  const struct {
    const char* name;
    std::function<void(const TempDir&)> setup;
    std::string model;  // under the folder; "" none given
    CConvertOptions options;
    int status;
    std::string output;  // written, under the folder ("" nothing)
    std::string error;   // the start of the errors, @D@ the folder
  } cases[] = {
      {"no model path", nullptr, "", {}, kStatusBadArguments, "", "no model file given"},
      {"missing model", nullptr, "gone.hvt", into("@D@/out"), kStatusMissing, "", "model file not found"},
      {"a folder as the model", [](const TempDir& d) { fs::create_directory(d.File("f.hvt")); }, "f.hvt", {},
       kStatusFailed, "", "Can't open NEUtral file! (@D@/f.hvt: Is a directory)\n"},
      {"output folder that does not exist", nullptr, "m.hvt", into("@D@/nowhere"), kStatusBadArguments, "",
       "output folder does not exist"},
      {"output folder that is a file", nullptr, "m.hvt", into("@D@/m.hvt"), kStatusBadArguments, "", "not a folder: "},
      {"into a folder", nullptr, "m.hvt", into("@D@/out"), kStatusDone, "out/m.qsx", ""},
      {"into a folder given with its separator", nullptr, "m.hvt", into("@D@/out/"), kStatusDone, "out/m.qsx", ""},
      {"the last dot counts, also in a folder name", write("data.old/model", Model(3)), "data.old/model",
       into("@D@/out"), kStatusDone, "out/data.qsx", ""},
      {"a clean model, strict", nullptr, "m.hvt", summary(true), kStatusDone, "m.qsx", ""},
      {"the problems example", write("p.hvt", problems), "p.hvt", summary(false), kStatusDone, "p.qsx", kProblemsLine},
      {"the problems example, strict", write("p.hvt", problems), "p.hvt", summary(true), kStatusLossy, "p.qsx",
       kProblemsLine},
      {"a model named .qsx", write("x.qsx", Model(1)), "x.qsx", {}, kStatusFileError, "",
       "The file @D@/x.qsx is not written: it is the model file @D@/x.qsx.\ncould not write the result of @D@/x.qsx\n"},
      {"the .qsx a symbolic link to the model", [](const TempDir& d) { fs::create_symlink("m.hvt", d.File("m.qsx")); },
       "m.hvt", {}, kStatusFileError, "", "The file @D@/m.qsx is not written: it is the model file @D@/m.hvt.\n"},
      {"the .qsx another name of the model",
       [](const TempDir& d) { fs::create_hard_link(d.File("m.hvt"), d.File("m.qsx")); }, "m.hvt", {}, kStatusFileError,
       "", "The file @D@/m.qsx is not written: it is the model file @D@/m.hvt.\n"},
      {"the .qsx another input", write("m.qsx", Model(1)), "m.hvt", inputs("@D@/sub/../m.qsx"), kStatusFileError, "",
       "The file @D@/m.qsx is not written: it is the model file @D@/m.qsx.\n"},
      {"the .qsx an input not there yet", nullptr, "m.hvt", inputs("@D@/m.qsx"), kStatusFileError, "",
       "The file @D@/m.qsx is not written: it is the model file @D@/m.qsx.\n"},
      {"another input elsewhere", write("m.qsx", Model(1)), "m.hvt", inputs("@D@/m2.qsx"), kStatusDone, "m.qsx", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const auto at = [&](std::string s) { return Replaced(s, "@D@", dir.Path()); };
    WriteFile(dir.File("m.hvt"), "   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n   -1\n");
    fs::create_directory(dir.File("sub"));
    fs::create_directory(dir.File("out"));
    fs::create_directory(dir.File("data.old"));
    if (c.setup) c.setup(dir);
    CConvertOptions options = c.options;
    for (std::string& input : options.inputs) input = at(input);
    options.outputDir = at(options.outputDir);
    std::map<std::string, std::string> before = Contents(dir.Path());
    const CConvertResult r = Convert(c.model.empty() ? "" : dir.File(c.model), options);
    EXPECT_EQ(c.status, r.status) << r.errors;
    EXPECT_EQ(c.output.empty() ? "" : dir.File(c.output), r.outputPath);
    EXPECT_EQ(c.error.empty() ? r.errors.empty() : r.errors.find(at(c.error)) == 0, true) << r.errors;
    // The one new file; every input as it was (an earlier m.qsx is no input).
    std::map<std::string, std::string> after = Contents(dir.Path());
    EXPECT_EQ(c.output.empty() ? 0u : 1u, after.erase(c.output));
    before.erase(c.output);
    EXPECT_TRUE(before == after) << "files changed, added or removed besides the output";
  }
}

// Progress rises from 0 to 1 through every block and section; a cancel at
// any point stops the conversion there: no call after it, the folder as it
// was (an earlier .qsx included) and, on four threads with the work cut
// finely, no thread of the conversion left running. The last call comes when
// the file is complete: too late to cancel.
TEST(ConversionApi, ProgressAndCancel) {
  // Nodes, and groups of all nodes and all elements.
  std::string groups = "   -1\n408\n";
  for (int g = 1; g <= 8; ++g) {
    groups += std::to_string(g) + ",0,0\nG" + std::to_string(g) + "\n0,0,0,0,0,0\n0,0,0,0,0,0\n0,0\n";
    for (int e = 0; e < 6; ++e) groups += "0,0\n0,0,0\n0,0,0\n";
    groups += "2\n17\n1,20000,1,1\n-1\n21\n1,20000,1,1\n-1\n-1\n1\n-1\n";
  }
  CParallelism cut = FineCut();
  cut.readBatchBytes = 2048;
  cut.writePieceLines = 64;
  for (const unsigned threads : {0u, 4u}) {
    SCOPED_TRACE(threads ? "four threads, cut finely" : "one thread per core");
    TempDir dir;
    WriteFile(dir.File("m.hvt"), threads == 0 ? Model(50000) : Model(20000) + groups + "   -1\n");
    CConvertOptions options;
    options.threads = threads;
    options.report = true;
    if (threads > 1) options.cut = &cut;
    std::vector<CProgress> seen;
    options.progress = [&](const CProgress& p) {
      seen.push_back(p);
      return true;
    };
    ASSERT_EQ(kStatusDone, Convert(dir.File("m.hvt"), options).status);
    const std::string written = ReadFile(dir.File("m.qsx"));
    EXPECT_EQ(0.0, seen.front().fraction);
    EXPECT_EQ(1.0, seen.back().fraction);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end(),
                               [](const CProgress& a, const CProgress& b) { return a.fraction < b.fraction; }));
    const size_t firstWrite = static_cast<size_t>(
        std::find_if(seen.begin(), seen.end(), [](const CProgress& p) { return p.section != nullptr; }) - seen.begin());
    std::vector<size_t> places = {0, 1, 2, firstWrite, firstWrite + 1, seen.size() / 2, seen.size() - 2};
    if (threads == 0) {
      EXPECT_EQ(fs::file_size(dir.File("m.hvt")), seen.front().modelBytes);
      std::set<std::string> sections;
      size_t reading = 0;
      for (const CProgress& p : seen) p.section ? void(sections.insert(p.section)) : void(++reading);
      EXPECT_EQ(39u, sections.size());  // every section group
      EXPECT_GE(reading, 3u);           // the start and each of the two blocks
    }
    const size_t threadsBefore = ProcessThreads();
    for (bool earlier : {true, false}) {
      for (size_t place : places) {
        SCOPED_TRACE("cancel at call " + std::to_string(place) + (earlier ? " over an earlier .qsx" : ""));
        if (earlier) WriteFile(dir.File("m.qsx"), "earlier");
        if (!earlier) fs::remove(dir.File("m.qsx"));
        const std::map<std::string, std::string> before = Contents(dir.Path());
        size_t calls = 0;
        options.progress = [&](const CProgress&) { return calls++ != place; };
        const CConvertResult r = Convert(dir.File("m.hvt"), options);
        EXPECT_EQ(kStatusCancelled, r.status);
        EXPECT_EQ(place + 1, calls);
        EXPECT_EQ("", r.outputPath);
        EXPECT_TRUE(r.messages.empty());
        EXPECT_EQ(nullptr, r.report);
        EXPECT_TRUE(before == Contents(dir.Path())) << "the folder changed";
        EXPECT_EQ(threadsBefore, ProcessThreadsSettled(threadsBefore));
      }
    }
    options.progress = [](const CProgress& p) { return p.fraction < 1.0; };
    EXPECT_EQ(kStatusDone, Convert(dir.File("m.hvt"), options).status);
    EXPECT_TRUE(written == ReadFile(dir.File("m.qsx")));
  }
}

// A folder and file name outside ASCII (UTF-8) convert, and the lines name
// the model as given.
TEST(ConversionApi, PathsOutsideAscii) {
  TempDir dir;
  const std::string folder = dir.File("Brücke \xD0\xBC\xD0\xBE\xD1\x81\xD1\x82 \xE8\xA8\xAD\xE8\xA8\x88");
  fs::create_directories(fs::u8path(folder));
  const std::string model = folder + "/\xE5\xA1\x94.hvt";
  WriteFile(model, Model(2));
  const CConvertResult r = Convert(model);
  EXPECT_EQ(kStatusDone, r.status);
  EXPECT_EQ(folder + "/\xE5\xA1\x94.qsx", r.outputPath);
  EXPECT_TRUE(Exists(r.outputPath));
  ASSERT_FALSE(r.messages.empty());
  EXPECT_EQ("Import <" + model + ">", r.messages.back());
}

// Conversions on several threads at once, models of one folder among them
// and one model twice, each give what it gives alone.
TEST(ConversionApi, ThreadsGiveWhatEachGivesAlone) {
  TempDir dir;
  std::vector<std::string> models;
  for (int i = 0; i < 6; ++i) {
    models.push_back(dir.File(std::string("m").append(std::to_string(i)).append(".hvt")));
    WriteFile(models.back(), Model(2000 + 500 * i));
  }
  WriteFile(dir.File("bad.hvt"), "   -1\n403\n1,2\n   -1\n");
  models.push_back(dir.File("bad.hvt"));
  models.push_back(models.front());
  const CConvertOptions options = With([](CConvertOptions& o) { o.report = true; });
  const auto seen = [](const CConvertResult& r) {
    std::string l = r.ReportJson() + ReadFile(r.outputPath);
    for (const std::string& m : r.messages) l.append(m).append(1, '\n');
    return l;
  };
  std::vector<std::string> alone;
  for (const std::string& m : models) alone.push_back(seen(Convert(m, options)));
  for (int round = 0; round < 3; ++round) {
    std::vector<CConvertResult> results(models.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < models.size(); ++i)
      threads.emplace_back([&, i] { results[i] = Convert(models[i], options); });
    for (std::thread& t : threads) t.join();
    for (size_t i = 0; i < models.size(); ++i) EXPECT_TRUE(alone[i] == seen(results[i])) << models[i];
  }
  // Nothing but the models and their .qsx files.
  EXPECT_EQ(2u * (models.size() - 1), Contents(dir.Path()).size());
}

}  // namespace
