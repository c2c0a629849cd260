// The conversion request: arguments, output folders, the summary and strict
// status, never writing over an input, progress and cancel, paths outside
// ASCII (tables/api.txt), and conversions on several threads at once. (Every golden and model
// case runs through it too, see cases_test.cpp.)
#include "api/conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "api/conversion_env.h"
#include "tests/case_files.h"
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

// Each case of tables/api.txt; with "page" once more in a second folder with
// the page asked for.
TEST(ConversionApi, RequestRules) {
  for (const CaseRecord& c : ReadCases("api.txt", {"setup", "model", "into", "input", "summary", "status", "output",
                                                   "error", "message", "page", "page-status", "page-error"})) {
    SCOPED_TRACE(c.where);
    const auto prepare = [&](const TempDir& d) {
      WriteFile(d.File("m.hvt"), "   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n   -1\n");
      for (const char* folder : {"sub", "out", "data.old"}) fs::create_directory(d.File(folder));
      for (const std::string& setup : c.All("setup")) {
        // The first word, the last word and what is between them.
        const size_t first = setup.find(' '), last = setup.rfind(' ');
        const std::string what = setup.substr(0, first), a = setup.substr(first + 1, last - first - 1),
                          b = setup.substr(last + 1);
        if (what == "model") fs::create_directories(fs::path(d.File(a)).parent_path());
        if (what == "model")
          WriteFile(d.File(a), b == "problems" ? ReadFile(SourceDir() + "/examples/frame-with-problems.hvt")
                               : b.find('.') != std::string::npos ? ReadFile(SourceDir() + "/tests/tables/" + b)
                                                                  : Model(std::stoi(b)));
        if (what == "folder") fs::create_directory(d.File(a));
        if (what == "symlink") fs::create_symlink(a, d.File(b));
        if (what == "hardlink") fs::create_hard_link(d.File(a), d.File(b));
        ASSERT_TRUE(what == "model" || what == "folder" || what == "symlink" || what == "hardlink") << setup;
      }
    };
    const auto request = [&](const TempDir& d, bool html) {
      CConvertOptions options;
      options.outputDir = Replaced(c.Get("into"), "@D@", d.Path());
      for (const std::string& input : c.All("input")) options.inputs.push_back(Replaced(input, "@D@", d.Path()));
      options.summary = c.Has("summary");
      options.strict = c.Get("summary") == "strict";
      options.html = html;
      return Convert(c.Get("model").empty() ? "" : d.File(c.Get("model")), options);
    };
    TempDir dir;
    prepare(dir);
    const auto at = [&](std::string s) { return Replaced(s, "@D@", dir.Path()); };
    const std::string output = c.Get("output"), error = at(c.Get("error"));
    std::map<std::string, std::string> before = Contents(dir.Path());
    const CConvertResult r = request(dir, false);
    EXPECT_EQ(c.Int("status"), r.status) << r.errors;
    EXPECT_EQ(output.empty() ? "" : dir.File(output), r.outputPath);
    EXPECT_EQ(error.empty() ? r.errors.empty() : r.errors.find(error) == 0, true) << r.errors;
    EXPECT_TRUE(!c.Has("message") || (!r.messages.empty() && r.messages.back() == at(c.Get("message"))));
    // The one new file; every input as it was (an earlier m.qsx is no input).
    std::map<std::string, std::string> after = Contents(dir.Path());
    EXPECT_EQ(output.empty() ? 0u : 1u, after.erase(output));
    before.erase(output);
    EXPECT_TRUE(before == after) << "files changed, added or removed besides the output";
    if (!c.Has("page")) continue;
    // The page changes nothing else but for a page that cannot be written,
    // and leaves no partial page or temporary file.
    TempDir twin;
    prepare(twin);
    const CConvertResult p = request(twin, true);
    const auto here = [&](std::string s) { return Replaced(s, twin.Path(), dir.Path()); };
    EXPECT_EQ(c.Int("page-status", c.Int("status")), p.status) << p.errors;
    EXPECT_EQ(c.Get("page").empty() ? "" : twin.File(c.Get("page")), p.pagePath);
    EXPECT_TRUE(c.Has("page-error") ? p.errors.find(Replaced(c.Get("page-error"), "@D@", twin.Path())) != p.errors.npos
                                    : here(p.errors) == r.errors)
        << p.errors;
    std::vector<std::string> messages = p.messages;
    for (std::string& m : messages) m = here(m);
    EXPECT_EQ(r.messages, messages);
    std::map<std::string, std::string> files = Contents(twin.Path());
    EXPECT_EQ(c.Get("page").empty() ? 0u : 1u, files.erase(c.Get("page")));
    EXPECT_TRUE(files == Contents(dir.Path())) << "files other than the page differ";
  }
}

// Progress rises from 0 to 1 through every block and section; a cancel at
// any point stops the conversion there: no call after it, the folder as it
// was (an earlier .qsx included) and, on four threads with the work cut
// finely, no thread of the conversion left running. The last call comes when
// the file is complete: too late to cancel.
TEST(ConversionApi, ProgressAndCancel) {
  // Eight groups of all nodes and all elements, after 20000 nodes.
  const std::string groups = ReadFile(SourceDir() + "/tests/tables/groups_of_20000.hvt");
  CParallelism cut = FineCut();
  cut.readBatchBytes = 2048;
  cut.writePieceLines = 64;
  for (const unsigned threads : {0u, 4u}) {
    SCOPED_TRACE(threads ? "four threads, cut finely" : "one thread per core");
    TempDir dir;
    WriteFile(dir.File("m.hvt"), threads == 0 ? Model(50000) : Model(20000) + groups);
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
  CConvertOptions options;
  options.report = true;
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
