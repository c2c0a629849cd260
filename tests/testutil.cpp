#include "tests/testutil.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <gtest/gtest.h>

#include "host/driver.h"
#include "host/msgdll.h"
#include "reader/import.h"
#include "writer/writer.h"

namespace hvxtest {

std::string SourceDir() { return HALVEX_SOURCE_DIR; }
std::string BinaryDir() { return HALVEX_BINARY_DIR; }

int LoadCatalogue() { return hvx::CMsgDll::Load((BinaryDir() + "/libConvertmsg.so").c_str()); }

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "hvxtest-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  m_path = std::filesystem::canonical(tmpl).string();
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
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

Conversion Convert(const std::string& modelText) {
  TempDir dir;
  const std::string model = dir.File("model.hvt");
  WriteFile(model, modelText);
  hvx::CScriptedPlatform p;
  p.answers.push_back({true, model, ""});
  Conversion c;
  std::string resultPath;
  c.rc = hvx::RunConversion(p, c.outputPath, resultPath);
  const std::string qsx = dir.File("model.qsx");
  c.qsxWritten = Exists(qsx);
  if (c.qsxWritten) c.qsx = ReadFile(qsx);
  for (const auto& w : p.windows)
    for (const auto& l : w) c.window += l + "\n";
  c.boxes = p.messageBoxes;
  return c;
}

std::string ReadModel(const std::string& modelText, CDataPool*& pool, int readMode) {
  static std::unique_ptr<CImportNEUtral> keep;  // keeps the pool alive for the caller
  TempDir dir;
  keep = std::make_unique<CImportNEUtral>();
  keep->ImportBuffer(modelText, readMode, dir.File("ReadErr.msg"));
  pool = keep->GetDataPool();
  return ReadFile(dir.File("ReadErr.msg"));
}

std::string ConvertCore(const std::string& modelText, std::string* readLog, std::string* writeLog,
                        int readMode) {
  TempDir dir;
  const std::string model = dir.File("model.hvt");
  WriteFile(model, modelText);
  CImportNEUtral reader;
  reader.Import(model, readMode);
  CWriteQsxFromNeutral writer;
  writer.Write(model, reader.GetDataPool());
  if (readLog) *readLog = ReadFile(dir.File("ReadErr.msg"));
  if (writeLog) *writeLog = ReadFile(dir.File("halvexcvt.msg"));
  return ReadFile(dir.File("model.qsx"));
}

std::string FirstDifference(const std::string& expected, const std::string& actual) {
  std::istringstream e(expected), a(actual);
  std::string le, la;
  int n = 0;
  while (true) {
    ++n;
    const bool he = static_cast<bool>(std::getline(e, le));
    const bool ha = static_cast<bool>(std::getline(a, la));
    if (!he && !ha) return "texts are equal";
    if (!he || !ha || le != la) {
      std::ostringstream s;
      s << "first difference at line " << n << "\n  EXPECTED: " << (he ? le : "<end>") << "\n  ACTUAL:   "
        << (ha ? la : "<end>");
      return s.str();
    }
  }
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
