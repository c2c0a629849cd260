#include "tests/testutil.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "api/conversion.h"
#include "api/conversion_env.h"
#include "api/msgdll.h"
#include "reader/import.h"
#include "writer/writer.h"

namespace hvxtest {

std::string SourceDir() { return HALVEX_SOURCE_DIR; }
std::string BinaryDir() { return HALVEX_BINARY_DIR; }

int LoadCatalogue() { return hvx::CMsgDll::Load((BinaryDir() + "/libConvertmsg.so").c_str()); }

namespace {
std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}
}  // namespace

ToolRun RunTool(const std::string& args, const std::string& cwd, const std::string& env) {
  TempDir cap;
  const std::string cmd = "cd " + Quote(cwd) + " && env -u LC_ALL -u LC_MESSAGES -u LANG " + env + " " +
                          Quote(BinaryDir() + "/halvex2qsx") + " " + args + " >" + Quote(cap.File("out")) + " 2>" +
                          Quote(cap.File("err")) + " </dev/null";
  const int rc = std::system(cmd.c_str());
  return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, ReadFile(cap.File("out")), ReadFile(cap.File("err"))};
}

std::string Replaced(std::string s, const std::string& from, const std::string& to) {
  for (size_t p; (p = s.find(from)) != std::string::npos;) s.replace(p, from.size(), to);
  return s;
}

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "hvxtest-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  m_path = std::filesystem::canonical(tmpl).string();
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

// Tried with setlocale and put back: glibc's newlocale leaks its LOCPATH list.
TestLocale::TestLocale(const std::string& name, bool use) {
  const char* current = std::setlocale(LC_ALL, nullptr);
  m_saved = current ? current : "C";
  const size_t dot = name.find('.');
  if (std::setlocale(LC_ALL, name.c_str()) == nullptr && dot != std::string::npos) {
    const std::string cmd = "localedef -i " + name.substr(0, dot) + " -f " + name.substr(dot + 1) + " " +
                            m_dir.File(name) + " >/dev/null 2>&1";
    m_madeHere = std::system(cmd.c_str()) == 0;
    if (m_madeHere) setenv("LOCPATH", m_dir.Path().c_str(), 1);
  }
  m_active = std::setlocale(LC_ALL, name.c_str()) != nullptr;
  m_used = use && m_active;
  if (!m_used) std::setlocale(LC_ALL, m_saved.c_str());
}

TestLocale::~TestLocale() {
  if (m_used) std::setlocale(LC_ALL, m_saved.c_str());
  if (m_madeHere) unsetenv("LOCPATH");
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f.write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

std::map<std::string, std::string> Contents(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
    files[std::filesystem::relative(e.path(), dir).string()] =
        e.is_directory() ? "<folder>" : Replaced(ReadFile(e.path().string()), dir, "@DIR@");
  return files;
}

size_t ProcessThreads() {
  std::thread([] {}).join();
  size_t n = 0;
#if defined(__linux__)
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/task")) ++n;
#endif
  return n;
}

size_t ProcessThreadsSettled(size_t expected) {
  size_t now = ProcessThreads();
  for (int wait = 0; wait < 100 && now != expected; ++wait, now = ProcessThreads())
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return now;
}

Conversion ConvertText(const std::string& modelText, bool modelExists, const CConvertOptions& options) {
  TempDir dir;
  const std::string model = dir.File("model.hvt"), qsx = dir.File("model.qsx");
  if (modelExists) WriteFile(model, modelText);
  Conversion c{Convert(model, options), "", Exists(qsx), "", {}};
  if (c.qsxWritten) c.qsx = ReadFile(qsx);
  for (const std::string& l : c.result.messages) c.window += l + "\n";
  for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
    const std::string name = e.path().filename().string();
    if (name != "model.hvt" && name != "model.qsx") c.otherFiles.push_back(name);
  }
  return c;
}

CParallelism FineCut() {
  CParallelism cut;
  cut.readBatchBytes = 40;
  cut.writePieceLines = 1;
  cut.readFromBytes = 0;
  cut.writeFromLines = 0;
  return cut;
}

std::string ReadModel(const std::string& modelText, CDataPool*& pool, int readMode) {
  static std::unique_ptr<CImportNEUtral> keep;  // keeps the pool alive for the caller
  TempDir dir;
  keep = std::make_unique<CImportNEUtral>(hvx::DefaultEnv());
  keep->ImportBuffer(modelText, readMode, dir.File("model.hvt"));
  pool = keep->GetDataPool();
  return ReadFile(dir.File("ReadErr.msg"));
}

std::string ConvertCore(const std::string& modelText, std::string* readLog, std::string* writeLog, int readMode) {
  TempDir dir;
  const std::string model = dir.File("model.hvt");
  WriteFile(model, modelText);
  CImportNEUtral reader(hvx::DefaultEnv());
  reader.Import(model, readMode);
  CWriteQsxFromNeutral writer(hvx::DefaultEnv());
  writer.Write(model, reader.GetDataPool());
  if (readLog) *readLog = ReadFile(dir.File("ReadErr.msg"));
  if (writeLog) *writeLog = ReadFile(dir.File("halvexcvt.msg"));
  return ReadFile(dir.File("model.qsx"));
}

std::string FirstDifference(const std::string& expected, const std::string& actual) {
  std::istringstream e(expected), a(actual);
  std::string le, la;
  for (int n = 1;; ++n) {
    const bool he = static_cast<bool>(std::getline(e, le)), ha = static_cast<bool>(std::getline(a, la));
    if (!he && !ha) return "texts are equal";
    if (!he || !ha || le != la)
      return "first difference at line " + std::to_string(n) + "\n  EXPECTED: " + (he ? le : "<end>") +
             "\n  ACTUAL:   " + (ha ? la : "<end>");
  }
}

std::string Block(int number, const Lines& lines) {
  std::string s = "   -1\n" + std::to_string(number) + "\n";
  for (const auto& l : lines) s += l + "\n";
  return s + "   -1\n";
}

T_ELEM_D Elem(int32_t type, int32_t topo, int32_t prop, std::initializer_list<int32_t> nodes,
              std::array<double, 3> orient) {
  T_ELEM_D e;
  e.type = type;
  e.topo = topo;
  e.prop = prop;
  int i = 0;
  for (int32_t n : nodes) e.node[i++] = n;
  for (int k = 0; k < 3; ++k) e.orient[k] = orient[k];
  return e;
}

Written WritePool(CDataPool& pool, CWriteQsxFromNeutral* writer) {
  TempDir dir;
  CWriteQsxFromNeutral own(hvx::DefaultEnv());
  (writer ? *writer : own).Write(dir.File("model.hvt"), &pool);
  return {ReadFile(dir.File("model.qsx")), ReadFile(dir.File("halvexcvt.msg"))};
}

std::string SectionOf(const std::string& qsx, const std::string& cmd) {
  const std::string text = "\n" + qsx;
  const size_t b = text.find("\n" + cmd);
  const size_t e = b == std::string::npos ? b : text.find("\n\n", b + 1);
  return e == std::string::npos ? "" : text.substr(b + 1, e + 1 - b);
}

std::string WithoutComments(const std::string& text) {
  std::istringstream in(text);
  std::string line, out;
  while (std::getline(in, line))
    if (line.empty() || line[0] != ';') out += line + "\n";
  return out;
}

std::string KeepSections(const std::string& qsx, const std::set<std::string>& keywords) {
  std::istringstream in(qsx);
  std::string line, out;
  bool keep = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '*') keep = keywords.count(line.substr(0, line.find_first_of(" ,;"))) != 0;
    if (keep) out += line + "\n";
  }
  return out;
}

}  // namespace hvxtest

// The tests run with the message catalogue loaded, as the plug-in library does.
namespace {
class CatalogueEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { hvxtest::LoadCatalogue(); }
  void TearDown() override { hvx::CMsgDll::Unload(); }
};
const auto* const g_catalogueEnv = ::testing::AddGlobalTestEnvironment(new CatalogueEnvironment);
}  // namespace
