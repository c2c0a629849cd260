// The conversion driver: result codes, paths, logs and the message window,
// file faults, and the message catalogue.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <filesystem>

#include "host/convlogs.h"
#include "host/driver.h"
#include "host/msgdll.h"
#include "base/msgcat.h"
#include "tests/testutil.h"

using namespace hvxtest;
namespace fs = std::filesystem;

namespace {

const char* const kNode = "   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n   -1\n";

struct DriveResult {
  int rc;
  std::string out = "OUT";
  std::string res = "RES";
};

DriveResult Drive(hvx::CScriptedPlatform& p) {
  DriveResult r;
  r.rc = hvx::RunConversion(p, r.out, r.res);
  return r;
}

TEST(Driver, CancelLeavesEverythingAlone) {
  hvx::CScriptedPlatform p;
  p.answers.push_back({false, "", ""});
  const DriveResult r = Drive(p);
  EXPECT_EQ(1, r.rc);
  EXPECT_EQ("OUT", r.out);
  EXPECT_EQ("RES", r.res);
  EXPECT_EQ(0, p.waitCursorDepth);
  EXPECT_EQ(0, p.moduleDepth);
  EXPECT_TRUE(p.windows.empty());
}

TEST(Driver, MissingModelSetsOnlyTheResultPath) {
  TempDir dir;
  hvx::CScriptedPlatform p;
  p.answers.push_back({true, dir.File("gone.hvt"), "/r/result.hvb"});
  const DriveResult r = Drive(p);
  EXPECT_EQ(0, r.rc);
  EXPECT_EQ("OUT", r.out);
  EXPECT_EQ("/r/result.hvb", r.res);
  EXPECT_FALSE(Exists(dir.File("gone.qsx")));
  EXPECT_FALSE(Exists(dir.File("ReadErr.msg")));
  EXPECT_EQ(0, p.waitCursorDepth);
}

TEST(Driver, OutputPathRule) {
  const struct {
    const char* rel;       // model path relative to the temporary folder
    const char* expected;  // output path relative to it
  } cases[] = {{"model.hvt", "model.qsx"}, {"model", "model.qsx"}, {"data.old/model", "data.qsx"},
               {"a.b.c", "a.b.qsx"}};
  for (const auto& c : cases) {
    TempDir dir;
    fs::create_directories(fs::path(dir.File(c.rel)).parent_path());
    WriteFile(dir.File(c.rel), kNode);
    hvx::CScriptedPlatform p;
    p.answers.push_back({true, dir.File(c.rel), "x.hvb"});
    const DriveResult r = Drive(p);
    EXPECT_EQ(0, r.rc) << c.rel;
    EXPECT_EQ(dir.File(c.expected), r.out) << c.rel;
    EXPECT_EQ("x.hvb", r.res);
    EXPECT_TRUE(Exists(dir.File(c.expected))) << c.rel;
  }
}

TEST(Driver, LogsAreShownThenDeleted) {
  TempDir dir;
  const std::string model = dir.File("m.hvt");
  WriteFile(model, "   -1\n100\nT\n101\n1 1\n   -1\n   -1\n403\n1,2\n   -1\n");
  hvx::CScriptedPlatform p;
  p.answers.push_back({true, model, ""});
  const DriveResult r = Drive(p);
  EXPECT_EQ(0, r.rc);
  ASSERT_EQ(1u, p.windows.size());
  EXPECT_EQ((std::vector<std::string>{"", "File version is higher than supported (line 4); reading goes on.",
                                      "Invalid format in line 9.", "", "Import <" + model + ">"}),
            p.windows[0]);
  EXPECT_FALSE(Exists(dir.File("ReadErr.msg")));
  EXPECT_FALSE(Exists(dir.File("halvexcvt.msg")));
}

TEST(Driver, ModelThatIsAFolderCannotBeOpened) {
  TempDir dir;
  fs::create_directory(dir.File("folder.hvt"));
  hvx::CScriptedPlatform p;
  p.answers.push_back({true, dir.File("folder.hvt"), "r"});
  const DriveResult r = Drive(p);
  EXPECT_EQ(-1, r.rc);
  EXPECT_EQ("OUT", r.out);
  EXPECT_EQ("RES", r.res);
  EXPECT_EQ((std::vector<std::string>{"Can't open NEUtral file!"}), p.messageBoxes);
  EXPECT_FALSE(Exists(dir.File("folder.qsx")));
  EXPECT_FALSE(Exists(dir.File("ReadErr.msg")));
}

TEST(Driver, OutputFileThatCannotBeCreated) {
  TempDir dir;
  WriteFile(dir.File("m.hvt"), kNode);
  hvx::CScriptedPlatform p;
  p.failCreatePath = dir.File("m.qsx");
  p.answers.push_back({true, dir.File("m.hvt"), "r"});
  const DriveResult r = Drive(p);
  // A file error is shown, and the conversion still counts as done.
  EXPECT_EQ(0, r.rc);
  EXPECT_EQ(dir.File("m.qsx"), r.out);
  ASSERT_EQ(1u, p.messageBoxes.size());
  EXPECT_NE(std::string::npos, p.messageBoxes[0].find(dir.File("m.qsx")));
  EXPECT_FALSE(Exists(dir.File("m.qsx")));
}

TEST(Driver, WriteFailingPartWay) {
  TempDir dir;
  std::string model = "   -1\n403\n";
  for (int i = 1; i <= 20000; ++i) model += std::to_string(i) + ",0,0,0,0,0,0,0,0,0,0,1,2,3,0\n";
  WriteFile(dir.File("m.hvt"), model);
  hvx::CScriptedPlatform p;
  p.failWritePath = dir.File("m.qsx");
  p.failWriteAfter = 100000;
  p.answers.push_back({true, dir.File("m.hvt"), "r"});
  const DriveResult r = Drive(p);
  EXPECT_EQ(0, r.rc);
  ASSERT_EQ(1u, p.messageBoxes.size());
  EXPECT_NE(std::string::npos, p.messageBoxes[0].find("m.qsx"));
  // The file is left as far as it got.
  EXPECT_EQ(100000u, fs::file_size(dir.File("m.qsx")));
  EXPECT_FALSE(Exists(dir.File("halvexcvt.msg")));
}

// A write log entry made before the output file fails stays in the log and is
// shown; one that would come after the failing point never happens.
TEST(Driver, WriteLogEntriesBeforeAFileErrorAreShown) {
  // No nodes, one constraint set holding a three-term equation: the rigid-link
  // output logs one entry once about 125 bytes of output are written
  // ("*VERSION" and "*STRUCTYPE" sections), and the file goes on past 300 bytes.
  const std::string model =
      "   -1\n506\n3\nBASE\n-1\n8,0,0\n3\n4,3,-1\n3,3,0.5\n2,3,0.5\n-1\n   -1\n";
  const struct {
    size_t budget;     // bytes the output file takes before it fails
    bool entryShown;
  } cases[] = {{300, true}, {50, false}};
  for (const auto& c : cases) {
    TempDir dir;
    WriteFile(dir.File("m.hvt"), model);
    hvx::CScriptedPlatform p;
    p.failWritePath = dir.File("m.qsx");
    p.failWriteAfter = c.budget;
    p.answers.push_back({true, dir.File("m.hvt"), "r"});
    const DriveResult r = Drive(p);
    EXPECT_EQ(0, r.rc) << c.budget;
    EXPECT_EQ(1u, p.messageBoxes.size()) << c.budget;
    EXPECT_EQ(c.budget, fs::file_size(dir.File("m.qsx")));
    if (c.entryShown) {
      ASSERT_EQ(1u, p.windows.size()) << c.budget;
      EXPECT_EQ((std::vector<std::string>{"", "A multi-point constraint equation cannot be converted; skipped.", "",
                                          "Import <" + dir.File("m.hvt") + ">"}),
                p.windows[0]);
    } else {
      EXPECT_TRUE(p.windows.empty()) << c.budget;
    }
    EXPECT_FALSE(Exists(dir.File("halvexcvt.msg")));
  }
}

TEST(Driver, UnwritableLogFolderDoesNotFailTheConversion) {
  TempDir dir;
  WriteFile(dir.File("m.hvt"), "   -1\n403\n1,2\n   -1\n");
  hvx::CScriptedPlatform p;
  p.failCreatePath = dir.File("ReadErr.msg");
  p.answers.push_back({true, dir.File("m.hvt"), "r"});
  const DriveResult r = Drive(p);
  EXPECT_EQ(0, r.rc);
  EXPECT_TRUE(p.windows.empty());  // the entry had nowhere to go
  EXPECT_TRUE(Exists(dir.File("m.qsx")));
}

TEST(ConversionLogs, LongLinesShowInPieces) {
  TempDir dir;
  WriteFile(dir.File("ReadErr.msg"), std::string(600, 'x'));
  WriteFile(dir.File("halvexcvt.msg"), "w1\nw2\n");
  hvx::CScriptedPlatform p;
  EXPECT_EQ((std::vector<std::string>{std::string(499, 'x'), std::string(101, 'x'), "w1", "w2"}),
            hvx::CollectLogLines(p, dir.File("model.hvt")));
  EXPECT_TRUE(hvx::MessageList({}, "m").empty());
  EXPECT_EQ((std::vector<std::string>{"", "a", "", "Import <m>"}), hvx::MessageList({"a"}, "m"));
  // Without a folder part there are no logs to look for.
  EXPECT_TRUE(hvx::CollectLogLines(p, "model.hvt").empty());
}

TEST(Catalogue, TextsAndFallbacks) {
  // The catalogue is loaded for the whole test run.
  ASSERT_TRUE(hvx::CMsgDll::IsLoaded());
  EXPECT_STREQ("Invalid format in line %d.\n", hvx::LookupMessage("IDS_HALVEX_Invalid_format_in_line_d__"));
  EXPECT_STREQ("Halvex Model Files (*.hvt)|*.hvt|All Files (*.*)|*.*||",
               hvx::LookupMessage("IDS_HALVEX_Model_File_Filter"));
  EXPECT_STREQ("Unknown message: IDS_NOPE\n", hvx::LookupMessage("IDS_NOPE"));
  EXPECT_EQ(1, LoadCatalogue());  // already loaded

  hvx::CMsgDll::Unload();
  EXPECT_STREQ("Error : DLL is not loaded. check message dll!", hvx::LookupMessage("IDS_HALVEX_Model_File_Filter"));
  EXPECT_EQ(0, hvx::CMsgDll::Load("libno-such-catalogue.so"));
  EXPECT_STREQ("Error : DLL is not loaded. check message dll!", hvx::LookupMessage("IDS_HALVEX_Invalid_format_in_line_d__"));
  // A library without LoadStr is unloaded again.
  const std::string noLookup = BinaryDir() + "/tests/libnomsg_lookup.so";
  EXPECT_EQ(0, hvx::CMsgDll::Load(noLookup.c_str()));
  EXPECT_FALSE(hvx::CMsgDll::IsLoaded());
  EXPECT_STREQ("Error : DLL is not loaded. check message dll!", hvx::LookupMessage("IDS_HALVEX_Invalid_format_in_line_d__"));

  // Conversions go on with the fallback text in the logs.
  const Conversion c = Convert("   -1\n403\n1,2\n   -1\n");
  EXPECT_EQ("\nError : DLL is not loaded. check message dll!\n\nImport <", c.window.substr(0, 56));

  EXPECT_EQ(1, LoadCatalogue());
  EXPECT_TRUE(hvx::CMsgDll::IsLoaded());
}

// The plug-in library as a host loads it: exported names, the application
// object loading the catalogue beside the library, ConvertFile's result.
TEST(PluginLibrary, ExportsAndApplicationObject) {
  const std::string lib = BinaryDir() + "/libConvertHalvex.so";
  void* h = dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(nullptr, h) << dlerror();
  using Convert2 = int (*)(std::string&, std::string&);
  using Convert0 = int (*)();
  using SetPlatform = void (*)(hvx::IPlatform*);
  auto convert2 = reinterpret_cast<Convert2>(dlsym(h, "ConvertFile2"));
  auto convert0 = reinterpret_cast<Convert0>(dlsym(h, "ConvertFile"));
  auto setPlatform = reinterpret_cast<SetPlatform>(dlsym(h, "HalvexSetPlatform"));
  ASSERT_TRUE(convert2 && convert0 && setPlatform);

  TempDir dir;
  WriteFile(dir.File("m.hvt"), "   -1\n403\n1,2\n   -1\n");
  hvx::CScriptedPlatform p;
  p.answers.push_back({true, dir.File("m.hvt"), "r.hvb"});
  p.answers.push_back({false, "", ""});
  setPlatform(&p);
  std::string out, res;
  EXPECT_EQ(0, convert2(out, res));
  EXPECT_EQ(dir.File("m.qsx"), out);
  ASSERT_EQ(1u, p.windows.size());
  EXPECT_EQ("Invalid format in line 3.", p.windows[0][1]);  // the library found its catalogue
  EXPECT_EQ(1, convert0());  // cancelled
  setPlatform(nullptr);
  dlclose(h);
}

}  // namespace
