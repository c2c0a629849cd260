// One fuzz iteration: any bytes are a model file. Usually (first byte even)
// they go through the conversion API as the command line's conversions do,
// with the report and the check of the written text, and the report rendered
// as text and JSON (with the first byte's second bit set, again with the
// summary's count alone, which must come to the same dangling references);
// when the first byte is odd they are read in read mode 0 and written by the
// core directly, the one way the API never reads. threaded: the conversion
// runs on two threads with the work cut into pieces small enough that fuzz
// inputs are split too (a target of its own: starting threads costs far more
// than converting a small model). Files live in memory: nothing touches the
// disk. Shared by the fuzz targets and the regression test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "api/conversion.h"
#include "base/env.h"
#include "base/parallel.h"
#include "reader/import.h"
#include "writer/writer.h"

namespace hvxfuzz {

// The model is the fuzz input; the logs stay in memory (read back for the
// messages), the .qsx and the page are dropped.
class CMemoryEnv : public hvx::IConvertEnv {
 public:
  CMemoryEnv(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  void MessageBox(const std::string&) override {}
  std::unique_ptr<hvx::COutFile> CreateFile(const std::string& path) override {
    struct CFile : hvx::COutFile {
      explicit CFile(std::string* k) : keep(k) {}
      void Write(const char* data, size_t size) override {
        if (keep) keep->append(data, size);
      }
      void Close() override {}
      void Abort() noexcept override {}
      std::string* keep;
    };
    const bool dropped = path.ends_with(".qsx") || path.ends_with(".html");
    return std::make_unique<CFile>(dropped ? nullptr : &(m_files[path] = std::string()));
  }
  FILE* OpenRead(const std::string& path) override {
    const auto it = m_files.find(path);
    if (path != kModel && it == m_files.end()) return nullptr;
    const void* data = path == kModel ? static_cast<const void*>(m_data) : it->second.data();
    const size_t size = path == kModel ? m_size : it->second.size();
    return size == 0 ? std::fopen("/dev/null", "rb") : fmemopen(const_cast<void*>(data), size, "rb");
  }
  bool FileStatus(const std::string&, uint64_t* size) override {
    if (size) *size = m_size;
    return true;
  }
  void RemoveFile(const std::string& path) override { m_files.erase(path); }

  static constexpr const char* kModel = "/fuzz/model.hvt";

 private:
  const uint8_t* m_data;
  size_t m_size;
  std::map<std::string, std::string> m_files;
};

inline void ConvertBytes(const uint8_t* data, size_t size, bool threaded) {
  CMemoryEnv env(data, size);
  if (size > 0 && (data[0] & 1)) {
    hvx::CImportNEUtral reader(env);
    reader.ImportBuffer(std::string_view(reinterpret_cast<const char*>(data), size), 0, CMemoryEnv::kModel);
    hvx::CWriteQsxFromNeutral writer(env);
    writer.Write(CMemoryEnv::kModel, reader.GetDataPool());
    return;
  }
  hvx::CConvertRequest options;
  options.model = CMemoryEnv::kModel;
  options.report = true;
  hvx::CParallelism cut;
  cut.readBatchBytes = 256, cut.writePieceLines = 4, cut.readFromBytes = 0, cut.writeFromLines = 0;
  options.threads = threaded ? 2 : 1;
  if (threaded) options.cut = &cut;
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
