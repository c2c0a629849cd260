// The conversion driver: result codes, paths, logs and the message window,
// file faults, and the message catalogue.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include <filesystem>

#include "base/msgcat.h"
#include "api/conversion_env.h"
#include "plugin/driver.h"
#include "api/msgdll.h"
#include "resources/dialogs.h"
#include "tests/platform_scripted.h"
#include "tests/testutil.h"

using namespace hvx;

using namespace hvxtest;
namespace fs = std::filesystem;

namespace {

const std::string kNode = "   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n   -1\n";
const std::string kBadNode = "   -1\n403\n1,2\n   -1\n";
const std::string kFolder = "<folder>";
constexpr long kAbsent = -1, kAny = -2;

std::string ManyNodes() {
  std::string model = "   -1\n403\n";
  for (int i = 1; i <= 20000; ++i) model += std::to_string(i) + ",0,0,0,0,0,0,0,0,0,0,1,2,3,0\n";
  return model;
}
// No nodes, one constraint set holding a three-term equation: the rigid-link
// output logs one entry once about 125 bytes of output are written ("*VERSION"
// and "*STRUCTYPE" sections), and the file goes on past 300 bytes.
const std::string kEquation = "   -1\n506\n3\nBASE\n-1\n8,0,0\n3\n4,3,-1\n3,3,0.5\n2,3,0.5\n-1\n   -1\n";

struct DriveCase {
  const char* name;
  std::string model;       // text of the model file ("" none, kFolder a folder)
  const char* path;        // model path under the folder
  bool ok;                 // the dialog's answer
  const char* failCreate;  // file faults, under the folder ("" none)
  const char* failWrite;
  size_t failAfter;
  int rc;
  const char* out;                  // outputPath under the folder (nullptr: untouched); resultPath is set when rc is 0
  std::vector<std::string> boxes;   // "@DIR@/..." must be contained, other texts whole
  std::vector<std::string> window;  // the one message window's lines, @MODEL@ the model path
  long qsxSize;                     // of the output file: kAbsent, kAny or exact
};

TEST(Driver, ResultCodesPathsFileFaultsAndLogs) {
  // clang-format off
  const DriveCase cases[] = {
      {"cancel leaves everything alone", kNode, "m.hvt", false, "", "", 0, 1, nullptr, {}, {}, kAbsent},
      {"missing model sets only the result path", "", "gone.hvt", true, "", "", 0, 0, nullptr, {}, {}, kAbsent},
      {"extension replaced", kNode, "model", true, "", "", 0, 0, "model.qsx", {}, {}, kAny},
      {"dot in a folder name", kNode, "data.old/model", true, "", "", 0, 0, "data.qsx", {}, {}, kAny},
      {"last extension replaced", kNode, "a.b.c", true, "", "", 0, 0, "a.b.qsx", {}, {}, kAny},
      {"read log entries in order", "   -1\n100\nT\n101\n1 1\n   -1\n" + kBadNode, "m.hvt", true, "", "", 0, 0,
       "m.qsx", {},
       {"", "File version is higher than supported (line 4); reading goes on.", "Invalid format in line 9.", "",
        "Import <@MODEL@>"},
       kAny},
      {"model that is a folder", kFolder, "folder.hvt", true, "", "", 0, -1, nullptr, {"Can't open NEUtral file!"}, {},
       kAbsent},
      {"output file that cannot be created: shown, still done", kNode, "m.hvt", true, "m.qsx", "", 0, 0, "m.qsx",
       {"@DIR@/m.qsx"}, {}, kAbsent},
      {"write failing part way: the file left as far as it got", ManyNodes(), "m.hvt", true, "", "m.qsx", 100000, 0,
       "m.qsx", {"@DIR@/m.qsx"}, {}, 100000},
      {"write log entry before the file error is shown", kEquation, "m.hvt", true, "", "m.qsx", 300, 0, "m.qsx",
       {"@DIR@/m.qsx"}, {"", "A multi-point constraint equation cannot be converted; skipped.", "", "Import <@MODEL@>"},
       300},
      {"write log entry after the file error never happens", kEquation, "m.hvt", true, "", "m.qsx", 50, 0, "m.qsx",
       {"@DIR@/m.qsx"}, {}, 50},
      // A .qsx that would be the model itself is refused as a file that cannot
      // be created: the box says why, the call is done, the model stays.
      {"a model named .qsx is not written over", kBadNode, "x.qsx", true, "", "", 0, 0, "x.qsx",
       {"The file @DIR@/x.qsx is not written: it is the model file @DIR@/x.qsx."},
       {"", "Invalid format in line 3.", "", "Import <@MODEL@>"}, 20},
      {"unwritable log folder: the entry has nowhere to go", kBadNode, "m.hvt", true, "ReadErr.msg", "", 0, 0, "m.qsx",
       {}, {}, kAny},
  };
  // clang-format on
  for (const DriveCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string model = dir.File(c.path), qsx = hvx::ReplaceExtension(model, ".qsx");
    fs::create_directories(fs::path(model).parent_path());
    if (c.model == kFolder) fs::create_directory(model);
    if (c.model != kFolder && !c.model.empty()) WriteFile(model, c.model);
    hvx::CScriptedPlatform p;
    p.answers.push_back({c.ok, model, "/r/result.hvb"});
    if (*c.failCreate) p.failCreatePath = dir.File(c.failCreate);
    if (*c.failWrite) p.failWritePath = dir.File(c.failWrite);
    p.failWriteAfter = c.failAfter;
    std::string out = "OUT", res = "RES";
    EXPECT_EQ(c.rc, hvx::RunConversion(p, out, res));
    EXPECT_EQ(c.out ? dir.File(c.out) : "OUT", out);
    EXPECT_EQ(c.rc == 0 ? "/r/result.hvb" : "RES", res);
    ASSERT_EQ(c.boxes.size(), p.messageBoxes.size());
    for (size_t i = 0; i < c.boxes.size(); ++i) {
      const std::string part = Replaced(c.boxes[i], "@DIR@", dir.Path());
      EXPECT_TRUE(part == c.boxes[i] ? p.messageBoxes[i] == part : p.messageBoxes[i].find(part) != std::string::npos)
          << p.messageBoxes[i];
    }
    std::vector<std::vector<std::string>> windows;
    if (!c.window.empty()) windows.push_back(c.window);
    for (auto& w : windows)
      for (auto& l : w) l = Replaced(l, "@MODEL@", model);
    EXPECT_EQ(windows, p.windows);
    EXPECT_EQ(c.qsxSize != kAbsent, Exists(qsx));
    EXPECT_TRUE(c.qsxSize < 0 || static_cast<uintmax_t>(c.qsxSize) == fs::file_size(qsx)) << fs::file_size(qsx);
    EXPECT_FALSE(Exists(dir.File("ReadErr.msg")));
    EXPECT_FALSE(Exists(dir.File("halvexcvt.msg")));
    EXPECT_EQ(0, p.waitCursorDepth);
  }
}

// Paths the host's 8-bit interface cannot carry as they are (on Windows: not
// in the ANSI code page): their short forms go out instead; a model whose
// path has none is refused before anything is written, never with a silent 0;
// the result path never fails a call.
TEST(Driver, PathsTheHostCannotTake) {
  const std::optional<std::string> kNone;
  const struct {
    const char* name;
    bool modelExists;
    std::optional<std::string> model, qsx, result;  // host forms; "" the path itself
    int rc;
    const char *out, *res;    // nullptr: untouched; "" the path itself
    const char* windowModel;  // as "Import <...>" names it; nullptr: no window
    bool qsxWritten;
  } cases[] = {
      {"short forms of model and output", true, "M~1.HVT", "M~1.QSX", "", 0, "M~1.QSX", "", "M~1.HVT", true},
      {"model without one: refused, nothing written", true, kNone, "", "", -1, nullptr, nullptr, nullptr, false},
      {"output without one after writing: refused, the file stays", true, "M~1.HVT", kNone, "", -1, nullptr, nullptr,
       "M~1.HVT", true},
      {"result without one: handed back as best it goes", true, "", "", kNone, 0, "", "lossy /r/result.hvb", "", true},
      {"missing model: the rule for a missing file", false, kNone, kNone, "R~1.HVB", 0, nullptr, "R~1.HVB", nullptr,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string model = dir.File("m.hvt"), qsx = dir.File("m.qsx");
    if (c.modelExists) WriteFile(model, kBadNode);
    hvx::CScriptedPlatform p;
    p.answers.push_back({true, model, "/r/result.hvb"});
    const auto form = [](const std::optional<std::string>& f, const std::string& path) {
      return f && f->empty() ? std::optional<std::string>(path) : f;
    };
    p.hostForms = {
        {model, form(c.model, model)}, {qsx, form(c.qsx, qsx)}, {"/r/result.hvb", form(c.result, "/r/result.hvb")}};
    std::string out = "OUT", res = "RES";
    EXPECT_EQ(c.rc, hvx::RunConversion(p, out, res));
    EXPECT_EQ(!c.out ? "OUT" : *c.out ? c.out : qsx, out);
    EXPECT_EQ(!c.res ? "RES" : *c.res ? c.res : "/r/result.hvb", res);
    const std::vector<std::string> refusal = {std::string(hvx::kPathNotForHostText) + "\n" + model};
    EXPECT_EQ(c.rc == -1 ? refusal : std::vector<std::string>(), p.messageBoxes);
    std::vector<std::vector<std::string>> windows;
    if (c.windowModel)
      windows.push_back({"", "Invalid format in line 3.", "",
                         "Import <" + std::string(*c.windowModel ? c.windowModel : model) + ">"});
    EXPECT_EQ(windows, p.windows);
    EXPECT_EQ(c.qsxWritten, Exists(qsx));
    EXPECT_FALSE(Exists(dir.File("ReadErr.msg")));
    EXPECT_EQ(0, p.waitCursorDepth);
  }
}

TEST(ConversionLogs, LongLinesShowInPieces) {
  TempDir dir;
  WriteFile(dir.File("ReadErr.msg"), std::string(600, 'x'));
  WriteFile(dir.File("halvexcvt.msg"), "w1\nw2\n");
  hvx::CScriptedPlatform p;
  EXPECT_EQ((std::vector<std::string>{std::string(499, 'x'), std::string(101, 'x'), "w1", "w2"}),
            p.LogLines(dir.File("model.hvt")));
  EXPECT_TRUE(hvx::MessageList({}, "m").empty());
  EXPECT_EQ((std::vector<std::string>{"", "a", "", "Import <m>"}), hvx::MessageList({"a"}, "m"));
  // Without a folder part there are no logs to look for.
  EXPECT_TRUE(p.LogLines("model.hvt").empty());
}

TEST(Catalogue, TextsAndFallbacks) {
  const char* const kFallback = "Error : DLL is not loaded. check message dll!";
  const char* const kInvalid = "IDS_HALVEX_Invalid_format_in_line_d__";
  // The catalogue is loaded for the whole test run.
  EXPECT_EQ("Invalid format in line %d.\n", hvx::LookupMessage(kInvalid));
  EXPECT_EQ("Halvex Model Files (*.hvt)|*.hvt|All Files (*.*)|*.*||", hvx::LookupMessage("IDS_HALVEX_Model_File_Filter"));
  EXPECT_EQ("Unknown message: IDS_NOPE\n", hvx::LookupMessage("IDS_NOPE"));
  EXPECT_EQ(1, LoadCatalogue());  // already loaded

  hvx::CMsgDll::Unload();
  EXPECT_EQ(kFallback, hvx::LookupMessage("IDS_HALVEX_Model_File_Filter"));
  EXPECT_EQ(0, hvx::CMsgDll::Load("libno-such-catalogue.so"));
  EXPECT_EQ(kFallback, hvx::LookupMessage(kInvalid));
  // A library without LoadStr is unloaded again.
  EXPECT_EQ(0, hvx::CMsgDll::Load((BinaryDir() + "/tests/libnomsg_lookup.so").c_str()));
  EXPECT_EQ(kFallback, hvx::LookupMessage(kInvalid));
  // Conversions go on with the fallback text in the logs.
  TempDir dir;
  WriteFile(dir.File("m.hvt"), kBadNode);
  hvx::CScriptedPlatform p;
  p.answers.push_back({true, dir.File("m.hvt"), ""});
  std::string out, res;
  EXPECT_EQ(0, hvx::RunConversion(p, out, res));
  EXPECT_EQ((std::vector<std::vector<std::string>>{{"", kFallback, "", "Import <" + dir.File("m.hvt") + ">"}}), p.windows);

  EXPECT_EQ(1, LoadCatalogue());
  EXPECT_EQ("Invalid format in line %d.\n", hvx::LookupMessage(kInvalid));
}

// The plug-in library as a host loads it: the entry points, the application
// object loading the catalogue beside the library, ConvertFile's result. On
// POSIX systems its dialog reads both paths from standard input.
TEST(PluginLibrary, EntryPointsAndApplicationObject) {
  void* h = dlopen((BinaryDir() + "/libConvertHalvex.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(nullptr, h) << dlerror();
  auto convert2 = reinterpret_cast<int (*)(std::string&, std::string&)>(dlsym(h, "ConvertFile2"));
  auto convert0 = reinterpret_cast<int (*)()>(dlsym(h, "ConvertFile"));
  ASSERT_TRUE(convert2 && convert0);

  TempDir dir;
  WriteFile(dir.File("m.hvt"), kBadNode);
  // The answers: the model and result paths, then end of input (cancel).
  WriteFile(dir.File("answers"), dir.File("m.hvt") + "\nr.hvb\n");
  const int savedIn = dup(0), savedOut = dup(1);
  ASSERT_TRUE(std::freopen(dir.File("answers").c_str(), "r", stdin));
  ASSERT_TRUE(std::freopen(dir.File("window").c_str(), "w", stdout));
  std::string out, res;
  const int rc2 = convert2(out, res);
  const int rc0 = convert0();
  std::fflush(stdout);
  dup2(savedIn, 0);
  dup2(savedOut, 1);
  close(savedIn);
  close(savedOut);
  std::cin.clear();
  EXPECT_EQ(0, rc2);
  EXPECT_EQ(dir.File("m.qsx"), out);
  EXPECT_EQ("r.hvb", res);
  // The library found its catalogue.
  EXPECT_EQ("\nInvalid format in line 3.\n\nImport <" + dir.File("m.hvt") + ">\n", ReadFile(dir.File("window")));
  EXPECT_EQ(1, rc0);  // cancelled
  dlclose(h);
}

}  // namespace
