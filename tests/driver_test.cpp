// The conversion driver: result codes, paths, logs and the message window,
// file faults, and the message catalogue.
#include "plugin/driver.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "api/conversion_env.h"
#include "api/msgdll.h"
#include "base/msgcat.h"
#include "resources/dialogs.h"
#include "tests/platform_scripted.h"
#include "tests/case_files.h"
#include "tests/testutil.h"

using namespace hvx;
using namespace hvxtest;
namespace fs = std::filesystem;

namespace {

const std::string kBadNode = "   -1\n403\n1,2\n   -1\n";
const std::string kResult = "/r/result.hvb";

// Each case of tables/driver.txt.
TEST(Driver, ResultCodesPathsFileFaultsAndLogs) {
  for (const CaseRecord& c :
       ReadCases("driver.txt", {"model", "path", "cancel", "fail-create", "fail-write", "fail-after", "host-model",
                                "host-qsx", "host-result", "rc", "out", "res", "box", "window", "size"})) {
    SCOPED_TRACE(c.where);
    TempDir dir;
    const std::string model = dir.File(c.Get("path")), qsx = hvx::ReplaceExtension(model, ".qsx");
    fs::create_directories(fs::path(model).parent_path());
    std::string text = c.Get("model");
    if (text == "@MANY") text = "   -1\n403\n";  // no closing delimiter
    for (int i = 1; c.Get("model") == "@MANY" && i <= 20000; ++i)
      text += std::to_string(i) + ",0,0,0,0,0,0,0,0,0,0,1,2,3,0\n";
    if (text == "@FOLDER") fs::create_directory(model);
    if (c.Has("model") && text != "@FOLDER") WriteFile(model, text);
    hvx::CScriptedPlatform p;
    p.answers.push_back({!c.Has("cancel"), model, kResult});
    if (c.Has("fail-create")) p.failCreatePath = dir.File(c.Get("fail-create"));
    if (c.Has("fail-write")) p.failWritePath = dir.File(c.Get("fail-write"));
    p.failWriteAfter = static_cast<size_t>(c.Int("fail-after"));
    for (const auto& [key, path] : {std::pair{"host-model", model}, {"host-qsx", qsx}, {"host-result", kResult}})
      if (c.Has(key)) p.hostForms[path] = c.Get(key) == "@NONE" ? std::nullopt : std::optional(c.Get(key));
    std::string out = "OUT", res = "RES";
    const int rc = c.Int("rc");
    EXPECT_EQ(rc, hvx::RunConversion(p, out, res));
    EXPECT_EQ(Replaced(c.Get("out", "OUT"), "@DIR@", dir.Path()), out);
    EXPECT_EQ(c.Get("res", rc == 0 ? kResult : "RES"), res);
    const std::vector<std::string> boxes = c.All("box");
    ASSERT_EQ(boxes.size(), p.messageBoxes.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
      const std::string box = Replaced(Replaced(boxes[i], "@DIR@", dir.Path()), "@REFUSAL@", kPathNotForHostText);
      EXPECT_TRUE(box.rfind("...", 0) == 0 ? p.messageBoxes[i].find(box.substr(3)) != std::string::npos
                                           : p.messageBoxes[i] == box)
          << p.messageBoxes[i];
    }
    using Window = std::vector<std::string>;
    Window window = c.All("window");
    for (std::string& l : window) l = Replaced(l, "@MODEL@", model);
    EXPECT_EQ(window.empty() ? std::vector<Window>() : std::vector<Window>{window}, p.windows);
    EXPECT_EQ(c.Has("size"), Exists(qsx));
    EXPECT_TRUE(c.Get("size", "any") == "any" || std::to_string(fs::file_size(qsx)) == c.Get("size"))
        << fs::file_size(qsx);
    EXPECT_FALSE(Exists(dir.File("ReadErr.msg")));
    EXPECT_FALSE(Exists(dir.File("halvexcvt.msg")));
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
  EXPECT_EQ("Halvex Model Files (*.hvt)|*.hvt|All Files (*.*)|*.*||",
            hvx::LookupMessage("IDS_HALVEX_Model_File_Filter"));
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
  EXPECT_EQ((std::vector<std::vector<std::string>>{{"", kFallback, "", "Import <" + dir.File("m.hvt") + ">"}}),
            p.windows);

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
