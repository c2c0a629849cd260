// The conversion API: arguments, output folders, progress and cancel, paths
// outside ASCII, and conversions on several threads at once. (Every golden
// and model case also runs through it, see cases_test.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
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

CConvertOptions Options(const std::string& outputDir, bool report, ProgressFn progress) {
  CConvertOptions o;
  o.outputDir = outputDir;
  o.report = report;
  o.progress = std::move(progress);
  return o;
}

// "m<i>.hvt" (built step by step: GCC 12 warns wrongly on "m" + to_string(i)).
std::string ModelName(int i) {
  std::string name = "m";
  name += std::to_string(i);
  name += ".hvt";
  return name;
}

std::set<std::string> Listing(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(dir)) names.insert(fs::relative(e.path(), dir).string());
  return names;
}

TEST(ConversionApi, ArgumentsAndOutputFolders) {
  TempDir dir;
  fs::create_directories(dir.File("out"));
  fs::create_directories(dir.File("data.old"));
  WriteFile(dir.File("m.hvt"), Model(3));
  WriteFile(dir.File("data.old/model"), Model(3));
  WriteFile(dir.File("a-file"), "");
  const struct {
    const char* name;
    std::string model, outputDir;
    int status;
    std::string output;  // "" nothing written
    const char* error;   // a part of the errors
  } cases[] = {
      {"no model path", "", "", kStatusBadArguments, "", "no model file given"},
      {"output folder that does not exist", dir.File("m.hvt"), dir.File("nowhere"), kStatusBadArguments, "",
       "output folder does not exist"},
      {"output folder that is a file", dir.File("m.hvt"), dir.File("a-file"), kStatusBadArguments, "",
       "not a folder: "},
      {"into a folder", dir.File("m.hvt"), dir.File("out"), kStatusDone, dir.File("out/m.qsx"), ""},
      {"into a folder given with its separator", dir.File("m.hvt"), dir.File("out") + "/", kStatusDone,
       dir.File("out/m.qsx"), ""},
      {"the last dot counts, also in a folder name", dir.File("data.old/model"), dir.File("out"), kStatusDone,
       dir.File("out/data.qsx"), ""},
      {"missing model", dir.File("gone.hvt"), dir.File("out"), kStatusMissing, "", "model file not found"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::set<std::string> before = Listing(dir.Path());
    const CConvertResult r = Convert(c.model, Options(c.outputDir, false, nullptr));
    EXPECT_EQ(c.status, r.status) << r.errors;
    EXPECT_EQ(c.output, r.outputPath);
    EXPECT_NE(std::string::npos, r.errors.find(c.error)) << r.errors;
    std::set<std::string> after = Listing(dir.Path());
    if (!c.output.empty()) {
      // The one new file, with the messages the model gives.
      EXPECT_EQ(1u, after.erase(fs::relative(c.output, dir.Path()).string()));
      EXPECT_EQ((std::vector<std::string>{"", "A multi-point constraint equation cannot be converted; skipped.", "",
                                          "Import <" + r.modelPath + ">"}),
                r.messages);
      fs::remove(c.output);
    }
    EXPECT_EQ(before, after);
  }
}

// The summary's counts, the strict status, and nothing written over an
// input: the model itself, through a link, or another input named by the
// caller. A refused .qsx is a file error: the model is read, nothing written.
TEST(ConversionApi, SummaryStrictAndInputsNeverWritten) {
  const std::string good = "   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n   -1\n";
  const std::string problems = ReadFile(SourceDir() + "/examples/frame-with-problems.hvt");
  const auto summary = [](bool strict) {
    CConvertOptions o;
    o.summary = true;
    o.strict = strict;
    return o;
  };
  const auto inputs = [](std::vector<std::string> files) {
    CConvertOptions o;
    o.inputs = std::move(files);
    return o;
  };
  const struct {
    const char* name;
    std::function<void(const TempDir&)> setup;  // beside "m.hvt" (the good model)
    std::string model;                          // under the folder
    CConvertOptions options;
    int status;
    std::string error;  // the errors, @D@ the folder
  } cases[] = {
      {"a clean model, strict", nullptr, "m.hvt", summary(true), kStatusDone, ""},
      {"the problems example, strict", [&](const TempDir& d) { WriteFile(d.File("p.hvt"), problems); }, "p.hvt",
       summary(true), kStatusLossy, "@D@/p.hvt: not converted: 2 elements, 1 material, 3 static loads; 1 unknown block; 7 lines outside blocks; "
       "reading stopped at line 1151; 2 dangling references (see --report)\n"},
      {"the problems example", [&](const TempDir& d) { WriteFile(d.File("p.hvt"), problems); }, "p.hvt",
       summary(false), kStatusDone, "@D@/p.hvt: not converted: 2 elements, 1 material, 3 static loads; 1 unknown block; 7 lines outside blocks; "
       "reading stopped at line 1151; 2 dangling references (see --report)\n"},
      {"a model named .qsx", [&](const TempDir& d) { WriteFile(d.File("x.qsx"), good); }, "x.qsx", {},
       kStatusFileError,
       "The file @D@/x.qsx is not written: it is the model file @D@/x.qsx.\n"
       "could not write the result of @D@/x.qsx\n"},
      {"the .qsx a symbolic link to the model", [](const TempDir& d) { fs::create_symlink("m.hvt", d.File("m.qsx")); },
       "m.hvt", {}, kStatusFileError, "The file @D@/m.qsx is not written: it is the model file @D@/m.hvt.\n"},
      {"the .qsx another name of the model", [](const TempDir& d) { fs::create_hard_link(d.File("m.hvt"), d.File("m.qsx")); },
       "m.hvt", {}, kStatusFileError, "The file @D@/m.qsx is not written: it is the model file @D@/m.hvt.\n"},
      {"the .qsx another input", [&](const TempDir& d) { WriteFile(d.File("m.qsx"), good); }, "m.hvt",
       inputs({"@D@/sub/../m.qsx"}), kStatusFileError,
       "The file @D@/m.qsx is not written: it is the model file @D@/m.qsx.\n"},
      {"the .qsx an input not there yet", nullptr, "m.hvt", inputs({"@D@/m.qsx"}), kStatusFileError,
       "The file @D@/m.qsx is not written: it is the model file @D@/m.qsx.\n"},
      {"another input elsewhere", [&](const TempDir& d) { WriteFile(d.File("m.qsx"), good); }, "m.hvt",
       inputs({"@D@/m2.qsx"}), kStatusDone, ""},
      {"a folder as the model", [](const TempDir& d) { fs::create_directory(d.File("f.hvt")); }, "f.hvt", {},
       kStatusFailed, "Can't open NEUtral file! (@D@/f.hvt: Is a directory)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteFile(dir.File("m.hvt"), good);
    fs::create_directory(dir.File("sub"));
    if (c.setup) c.setup(dir);
    const auto at = [&](std::string s) {
      for (size_t p; (p = s.find("@D@")) != std::string::npos;) s.replace(p, 3, dir.Path());
      return s;
    };
    CConvertOptions options = c.options;
    for (std::string& input : options.inputs) input = at(input);
    std::set<std::string> before = Listing(dir.Path());
    const std::string model = dir.File(c.model), modelText = ReadFile(model);
    const CConvertResult r = Convert(model, options);
    EXPECT_EQ(c.status, r.status);
    if (c.error.empty()) {
      EXPECT_EQ("", r.errors);
    } else {
      EXPECT_EQ(0u, r.errors.find(at(c.error))) << r.errors;
    }
    if (!r.outputPath.empty()) before.insert(fs::relative(r.outputPath, dir.Path()).string());
    EXPECT_EQ(before, Listing(dir.Path()));
    EXPECT_TRUE(modelText == ReadFile(model));
    if (c.status == kStatusFileError) {
      EXPECT_EQ("", r.outputPath);
      EXPECT_EQ(good, ReadFile(dir.File("m.hvt")));
    }
  }
}

// Progress rises from 0 to 1 through every block and section; a cancel at
// any point leaves the folder as it was, an earlier .qsx included.
TEST(ConversionApi, ProgressAndCancel) {
  TempDir dir;
  WriteFile(dir.File("m.hvt"), Model(50000));
  std::vector<CProgress> seen;
  const CConvertResult done = Convert(dir.File("m.hvt"), Options("", false, [&](const CProgress& p) {
                                                                   seen.push_back(p);
                                                                   return true;
                                                                 }));
  ASSERT_EQ(kStatusDone, done.status);
  const std::string written = ReadFile(dir.File("m.qsx"));
  ASSERT_GE(seen.size(), 2u + 2u + 39u);  // start, two blocks, 39 section groups
  EXPECT_EQ(0.0, seen.front().fraction);
  EXPECT_EQ(1.0, seen.back().fraction);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end(),
                             [](const CProgress& a, const CProgress& b) { return a.fraction < b.fraction; }));
  EXPECT_EQ(fs::file_size(dir.File("m.hvt")), seen.front().modelBytes);
  std::set<std::string> sections;
  size_t reading = 0;
  for (const CProgress& p : seen) p.section ? void(sections.insert(p.section)) : void(++reading);
  EXPECT_EQ(39u, sections.size());
  EXPECT_GE(reading, 3u);  // the start and each of the two blocks

  // Cancel at each kind of place: before reading, while reading, at a section,
  // inside a long section; with and without a .qsx there before.
  const size_t firstWrite = static_cast<size_t>(std::find_if(seen.begin(), seen.end(), [](const CProgress& p) {
                                                   return p.section != nullptr;
                                                 }) - seen.begin());
  const size_t places[] = {0, 1, firstWrite, firstWrite + 1, seen.size() - 2};
  for (bool earlier : {true, false}) {
    for (size_t place : places) {
      SCOPED_TRACE("cancel at call " + std::to_string(place) + (earlier ? " over an earlier .qsx" : ""));
      if (earlier) WriteFile(dir.File("m.qsx"), "earlier");
      if (!earlier) fs::remove(dir.File("m.qsx"));
      const std::set<std::string> before = Listing(dir.Path());
      size_t calls = 0;
      const CConvertResult r =
          Convert(dir.File("m.hvt"), Options("", true, [&](const CProgress&) { return calls++ != place; }));
      EXPECT_EQ(kStatusCancelled, r.status);
      EXPECT_EQ(place + 1, calls);
      EXPECT_EQ("", r.outputPath);
      EXPECT_TRUE(r.messages.empty());
      EXPECT_EQ(nullptr, r.report);
      EXPECT_EQ(before, Listing(dir.Path()));
      if (earlier) {
        EXPECT_EQ("earlier", ReadFile(dir.File("m.qsx")));
      }
    }
  }
  // The last call comes when the file is complete: too late to cancel.
  const CConvertResult late = Convert(dir.File("m.hvt"), Options("", false, [](const CProgress& p) {
                                                                    return p.fraction < 1.0;
                                                                  }));
  EXPECT_EQ(kStatusDone, late.status);
  EXPECT_EQ(written, ReadFile(dir.File("m.qsx")));
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
  const int kModels = 6;
  for (int i = 0; i < kModels; ++i) WriteFile(dir.File(ModelName(i)), Model(2000 + 500 * i));
  WriteFile(dir.File("bad.hvt"), "   -1\n403\n1,2\n   -1\n");
  std::vector<std::string> models;
  for (int i = 0; i < kModels; ++i) models.push_back(dir.File(ModelName(i)));
  models.push_back(dir.File("bad.hvt"));
  models.push_back(models.front());

  std::vector<std::string> qsx, lines;
  for (const std::string& m : models) {
    const CConvertResult r = Convert(m, Options("", true, nullptr));
    qsx.push_back(ReadFile(r.outputPath));
    lines.push_back(r.ReportJson());
    for (const std::string& l : r.messages) lines.back().append(l).append(1, '\n');
  }
  for (int round = 0; round < 3; ++round) {
    std::vector<CConvertResult> results(models.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < models.size(); ++i)
      threads.emplace_back([&, i] { results[i] = Convert(models[i], Options("", true, nullptr)); });
    for (std::thread& t : threads) t.join();
    for (size_t i = 0; i < models.size(); ++i) {
      SCOPED_TRACE(models[i]);
      std::string l = results[i].ReportJson();
      for (const std::string& m : results[i].messages) l.append(m).append(1, '\n');
      EXPECT_EQ(lines[i], l);
      EXPECT_TRUE(qsx[i] == ReadFile(results[i].outputPath));
    }
  }
  // Nothing but the models and their .qsx files.
  EXPECT_EQ(2u * (kModels + 1), Listing(dir.Path()).size());
}

// On four threads with the work cut finely, a cancel at any progress call
// stops the conversion there: no call after it, the folder as it was (an
// earlier .qsx included), and no thread of the conversion left running.
TEST(ConversionApi, CancelOnFourThreads) {
  TempDir dir;
  // Nodes, and groups of all nodes and all elements.
  std::string groups = "   -1\n408\n";
  for (int g = 1; g <= 8; ++g) {
    groups += std::to_string(g) + ",0,0\nG" + std::to_string(g) + "\n0,0,0,0,0,0\n0,0,0,0,0,0\n0,0\n";
    for (int e = 0; e < 6; ++e) groups += "0,0\n0,0,0\n0,0,0\n";
    groups += "2\n17\n1,20000,1,1\n-1\n21\n1,20000,1,1\n-1\n-1\n1\n-1\n";
  }
  WriteFile(dir.File("m.hvt"), Model(20000) + groups + "   -1\n");
  CParallelism cut = FineCut();
  cut.readBatchBytes = 2048;
  cut.writePieceLines = 64;
  CConvertOptions options;
  options.threads = 4;
  options.report = true;
  options.cut = &cut;
  std::vector<CProgress> seen;
  options.progress = [&](const CProgress& p) {
    seen.push_back(p);
    return true;
  };
  ASSERT_EQ(kStatusDone, Convert(dir.File("m.hvt"), options).status);
  const std::string written = ReadFile(dir.File("m.qsx"));
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end(),
                             [](const CProgress& a, const CProgress& b) { return a.fraction < b.fraction; }));
  const size_t threadsBefore = ProcessThreads();
  const size_t total = seen.size();
  ASSERT_GE(total, 10u);
  for (size_t place : {size_t{0}, size_t{1}, size_t{2}, total / 3, total / 2, total - 2}) {
    SCOPED_TRACE("cancel at call " + std::to_string(place) + " of " + std::to_string(total));
    WriteFile(dir.File("m.qsx"), "earlier");
    const std::set<std::string> before = Listing(dir.Path());
    size_t calls = 0;
    options.progress = [&](const CProgress&) { return calls++ != place; };
    const CConvertResult r = Convert(dir.File("m.hvt"), options);
    EXPECT_EQ(kStatusCancelled, r.status);
    EXPECT_EQ(place + 1, calls);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(before, Listing(dir.Path()));
    EXPECT_EQ("earlier", ReadFile(dir.File("m.qsx")));
    EXPECT_EQ(threadsBefore, ProcessThreads());
  }
  options.progress = nullptr;
  ASSERT_EQ(kStatusDone, Convert(dir.File("m.hvt"), options).status);
  EXPECT_TRUE(written == ReadFile(dir.File("m.qsx")));
}

}  // namespace
