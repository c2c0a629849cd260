// One fuzz iteration: any bytes are read as a model file from memory (in read
// mode 1, and in read mode 0 when the first byte is odd) and the resulting pool
// is written through the whole section chain to a sink that discards the text.
// Nothing touches the disk. Shared by the fuzz target and the regression test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

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

class CDiscardEnv : public hvx::IConvertEnv {
 public:
  void MessageBox(const std::string&) override {}
  std::unique_ptr<hvx::COutFile> CreateFile(const std::string&) override { return std::make_unique<CDiscardFile>(); }
  FILE* OpenRead(const std::string&) override { return nullptr; }
};

inline void ConvertBytes(const uint8_t* data, size_t size) {
  static CDiscardEnv env;
  const int readMode = (size > 0 && (data[0] & 1)) ? 0 : 1;
  CImportNEUtral reader(env);
  reader.ImportBuffer(std::string_view(reinterpret_cast<const char*>(data), size), readMode, "/fuzz/ReadErr.msg");
  CWriteQsxFromNeutral writer(env);
  writer.Write("/fuzz/model.hvt", reader.GetDataPool());
}

}  // namespace hvxfuzz
