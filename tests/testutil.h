// Helpers shared by the tests: temporary folders, whole-file reading and
// writing, and one-call conversions of model text.
#pragma once

#include <string>
#include <vector>

#include "host/platform_scripted.h"
#include "store/datapool.h"

namespace hvxtest {

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

void WriteFile(const std::string& path, const std::string& text);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// Everything one conversion produced.
struct Conversion {
  int rc = 0;
  std::string outputPath;
  std::string qsx;            // the written .qsx text ("" when none)
  bool qsxWritten = false;
  std::string window;         // message window lines, each followed by "\n"
  std::vector<std::string> boxes;
};

// Runs the whole driver on model text written as model.hvt in a fresh folder.
Conversion Convert(const std::string& modelText);
// Reads model text into a pool (read mode 1 unless given) and returns the
// read log text.
std::string ReadModel(const std::string& modelText, CDataPool*& pool, int readMode = 1);
// Reads and writes model text through the core only; returns the QSX text.
std::string ConvertCore(const std::string& modelText, std::string* readLog = nullptr,
                        std::string* writeLog = nullptr, int readMode = 1);

// Shows the first differing line of two texts (for golden comparisons).
std::string FirstDifference(const std::string& expected, const std::string& actual);

}  // namespace hvxtest
