// One fuzz iteration: any bytes are read as a model file from memory (in read
// mode 1, and in read mode 0 when the first byte is odd) and the resulting pool
// is written through the whole section chain to a sink that hands the text to
// the reference check and discards it. The conversion report is filled and
// rendered as text and JSON. Nothing touches the disk. Shared by the fuzz
// target and the regression test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "check/qsxcheck.h"
#include "cli/report_output.h"
#include "reader/import.h"
#include "writer/writer.h"

namespace hvxfuzz {

class CDiscardFile : public hvx::COutFile {
 public:
  explicit CDiscardFile(hvx::CQsxChecker* checker) : m_checker(checker) {}
  void Write(const char* data, size_t size) override {
    bytes += size;
    if (m_checker) m_checker->Feed(std::string_view(data, size));
  }
  void Close() override {}
  void Abort() noexcept override {}
  size_t bytes = 0;

 private:
  hvx::CQsxChecker* m_checker;
};

class CDiscardEnv : public hvx::IConvertEnv {
 public:
  void MessageBox(const std::string&) override {}
  std::unique_ptr<hvx::COutFile> CreateFile(const std::string& path) override {
    return std::make_unique<CDiscardFile>(path == "/fuzz/model.qsx" ? checker : nullptr);
  }
  FILE* OpenRead(const std::string&) override { return nullptr; }
  hvx::CConversionReport* Report() override { return report; }
  hvx::CConversionReport* report = nullptr;
  hvx::CQsxChecker* checker = nullptr;
};

inline void ConvertBytes(const uint8_t* data, size_t size) {
  CDiscardEnv env;
  hvxcli::CModelReport rep;
  hvx::CQsxChecker checker;
  env.report = &rep.facts;
  env.checker = &checker;
  const int readMode = (size > 0 && (data[0] & 1)) ? 0 : 1;
  {
    CImportNEUtral reader(env);
    reader.ImportBuffer(std::string_view(reinterpret_cast<const char*>(data), size), readMode, "/fuzz/ReadErr.msg");
    CWriteQsxFromNeutral writer(env);
    writer.Write("/fuzz/model.hvt", reader.GetDataPool());
  }
  rep.model = "/fuzz/model.hvt";
  rep.checked = true;
  rep.dangling = checker.Finish();
  // Rendering must not fail on any text the model carries.
  (void)hvxcli::ReportText(rep);
  (void)hvxcli::ReportJson(rep).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace hvxfuzz
