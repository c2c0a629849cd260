// One fuzz iteration: any bytes are a model file. Usually (first byte even)
// they go through the conversion API as the command line's conversions do,
// with the work cut into pieces small enough that fuzz inputs are split too
// (on two threads for a quarter of them), with the report and the check of the written text on a
// thread of its own, and the report rendered as text and JSON (with the
// first byte's second bit set, again with the summary's count alone, which
// must come to the same dangling references); when the first byte is odd they are read in read mode 0 and written by the core
// directly, the one way the API never reads. Files live in memory: nothing
// touches the disk. Shared by the fuzz target and the regression test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <string>

#include "api/conversion.h"
#include "base/env.h"
#include "base/parallel.h"
#include "reader/import.h"
#include "writer/writer.h"

namespace hvxfuzz {

class CDiscardFile : public hvx::COutFile {
 public:
  void Write(const char*, size_t size) override { bytes += size; }
  void Close() override {}
  void Abort() noexcept override {}
  size_t bytes = 0;
};

// The model is the fuzz input; every file written is dropped.
class CMemoryEnv : public hvx::IConvertEnv {
 public:
  CMemoryEnv(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  void MessageBox(const std::string&) override {}
  std::unique_ptr<hvx::COutFile> CreateFile(const std::string&) override { return std::make_unique<CDiscardFile>(); }
  FILE* OpenRead(const std::string&) override {
    if (m_size == 0) return std::fopen("/dev/null", "rb");
    return fmemopen(const_cast<uint8_t*>(m_data), m_size, "rb");
  }
  bool FileStatus(const std::string&, uint64_t* size) override {
    if (size) *size = m_size;
    return true;
  }
  void RemoveFile(const std::string&) override {}

 private:
  const uint8_t* m_data;
  size_t m_size;
};

inline void ConvertBytes(const uint8_t* data, size_t size) {
  CMemoryEnv env(data, size);
  if (size > 0 && (data[0] & 1)) {
    hvx::CImportNEUtral reader(env);
    reader.ImportBuffer(std::string_view(reinterpret_cast<const char*>(data), size), 0, "/fuzz/model.hvt");
    hvx::CWriteQsxFromNeutral writer(env);
    writer.Write("/fuzz/model.hvt", reader.GetDataPool());
    return;
  }
  hvx::CConvertRequest options;
  options.model = "/fuzz/model.hvt";
  options.report = true;
  // Threads cost far more than a small model's conversion: a quarter of the
  // inputs (first byte's bits 2 and 3 clear) run on two threads.
  options.threads = size == 0 || (data[0] & 0x0C) == 0 ? 2 : 1;
  hvx::CParallelism cut;
  cut.readBatchBytes = 256;
  cut.writePieceLines = 4;
  cut.readFromBytes = 0;
  cut.writeFromLines = 0;
  options.cut = &cut;
  const hvx::CConvertResult r = hvx::Convert(options, &env);
  // Rendering must not fail on any text the model carries.
  (void)r.ReportText();
  (void)r.ReportJson();
  if (size > 0 && (data[0] & 2)) {
    // The summary alone counts the dangling references from the numbers the
    // writer records where it can: the same count as the check of the text.
    options.report = false;
    options.summary = true;
    CMemoryEnv again(data, size);
    const hvx::CConvertResult counted = hvx::Convert(options, &again);
    if (counted.summary.danglingReferences != r.summary.danglingReferences) std::abort();
  }
}

}  // namespace hvxfuzz
