// Helpers shared by the tests: temporary folders, whole-file reading and
// writing, and one-call conversions of model text.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "api/conversion.h"
#include "base/parallel.h"
#include "platform/stdio_env.h"
#include "store/datapool.h"

namespace hvx {
class CWriteQsxFromNeutral;
}

namespace hvxtest {

using namespace hvx;

std::string SourceDir();
std::string BinaryDir();
// Loads the built message catalogue (as the plug-in library does on load).
int LoadCatalogue();

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

// A UTF-8 locale such as "de_DE.UTF-8" usable by this process and its
// children: the system's when it has it, else one made with localedef in a
// temporary folder that LOCPATH names while the object lives. With `use`
// (and Active) it is this process's locale while the object lives.
class TestLocale {
 public:
  explicit TestLocale(const std::string& name, bool use = false);
  ~TestLocale();
  TestLocale(const TestLocale&) = delete;
  TestLocale& operator=(const TestLocale&) = delete;
  bool Active() const { return m_active; }

 private:
  TempDir m_dir;
  std::string m_saved;  // the process's locale before
  bool m_madeHere = false, m_active = false, m_used = false;
};

// Threads of this process (Linux; 0 elsewhere), counted after one thread was
// started and joined, so that helper threads a runtime starts with the first
// one (ThreadSanitizer's) are counted every time.
size_t ProcessThreads();
// The count again once it is `expected`, waiting up to a second: a joined
// thread may stay listed for a moment under load, one left running stays.
size_t ProcessThreadsSettled(size_t expected);

void WriteFile(const std::string& path, const std::string& text);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
// Every file under dir with its text, the folder's path in it as @DIR@ (a
// folder as "<folder>").
std::map<std::string, std::string> Contents(const std::string& dir);

// Everything one conversion produced.
struct Conversion {
  CConvertResult result;  // as the conversion request handed it back
  std::string qsx;        // the written .qsx text ("" when none)
  bool qsxWritten = false;
  std::string window;                   // message window lines, each followed by "\n"
  std::vector<std::string> otherFiles;  // files left in the folder besides model.hvt and model.qsx
};

// Converts model text written as model.hvt in a fresh folder (or a
// model.hvt that does not exist) through the conversion request.
Conversion ConvertText(const std::string& modelText, bool modelExists = true, const CConvertOptions& options = {});
// A cut that splits even small models: a few lines per batch, a line or two
// per piece, threads for any size.
CParallelism FineCut();
// Reads model text into a pool (read mode 1 unless given) and returns the
// read log text.
std::string ReadModel(const std::string& modelText, CDataPool*& pool, int readMode = 1);
// Reads and writes model text through the core only; returns the QSX text.
std::string ConvertCore(const std::string& modelText, std::string* readLog = nullptr, std::string* writeLog = nullptr,
                        int readMode = 1);

// What the command-line tool (the build's halvex2qsx) did, run in folder cwd
// with args as a shell takes them, the locale variables cleared and env's
// assignments (such as "LC_ALL=ja_JP.UTF-8") made; no standard input.
struct ToolRun {
  int status = -1;  // the exit status; -1 when it did not exit
  std::string out, err;
};
ToolRun RunTool(const std::string& args, const std::string& cwd, const std::string& env = "");
// The text with every `from` replaced by `to`.
std::string Replaced(std::string s, const std::string& from, const std::string& to);

// Shows the first differing line of two texts (for golden comparisons).
std::string FirstDifference(const std::string& expected, const std::string& actual);

// ---- model text -------------------------------------------------------------

using Lines = std::vector<std::string>;
// Several record fields compared in one check.
using Ints = std::vector<int32_t>;
using Dbls = std::vector<double>;

// One block: the opening delimiter is file line 1, the block number line 2,
// the data lines follow from line 3, then the closing delimiter.
std::string Block(int number, const Lines& lines);

// ---- pools and written text ---------------------------------------------------

// The record stored under id (a fresh record, and a failed check, when none is).
template <class Rec, class Codec>
Rec Get(const hvx::CHashMap<Rec, Codec>& map, int32_t id) {
  Rec r;
  EXPECT_TRUE(map.Lookup(id, r)) << "no record " << id;
  return r;
}

// An element record with the given type, topology, property, nodes and
// orientation vector; every other field as a fresh record has it.
T_ELEM_D Elem(int32_t type, int32_t topo, int32_t prop, std::initializer_list<int32_t> nodes,
              std::array<double, 3> orient = {});

// Writes the pool beside a model path in a fresh folder: the QSX text and the
// write log. A writer given by the caller stays for a look at its lists.
struct Written {
  std::string qsx;
  std::string log;
};
Written WritePool(CDataPool& pool, CWriteQsxFromNeutral* writer = nullptr);

// The section whose command line starts with cmd, through its closing empty
// line; "" when there is none.
std::string SectionOf(const std::string& qsx, const std::string& cmd);
// The text without its comment lines (those starting with ';'). Unit tests
// compare command and data lines; the golden cases pin every header comment.
std::string WithoutComments(const std::string& text);
// The lines of the sections whose command keywords are given: a command line
// opens a kept run when its keyword is one of them and ends it otherwise.
std::string KeepSections(const std::string& qsx, const std::set<std::string>& keywords);

}  // namespace hvxtest
