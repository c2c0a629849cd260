// The QSX command-text writer: turns the data pool into one ".qsx" file beside
// the model file (or where it is told), section by section in a fixed order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/env.h"
#include "base/parallel.h"
#include "store/datapool.h"

namespace hvx {

// A boundary group: a group name, the spring and link elements it names (those
// no earlier boundary group holds) and how many times *BNDR-GROUP lists it.
struct T_BNDRGRP_D {
  std::string name;
  std::vector<int32_t> elems;
  int64_t lines = 0;
};

class CQsxSections;

class CWriteQsxFromNeutral {
 public:
  explicit CWriteQsxFromNeutral(hvx::IConvertEnv& env);
  ~CWriteQsxFromNeutral();
  CWriteQsxFromNeutral(const CWriteQsxFromNeutral&) = delete;
  CWriteQsxFromNeutral& operator=(const CWriteQsxFromNeutral&) = delete;

  // Writes the pool beside the model file (or to outputPath when given). 1
  // when the file was written completely or a file error was shown, 0 when a
  // section writer gave up.
  int Write(const std::string& modelPath, CDataPool* pool, const std::string& outputPath = "");
  // Threads and piece size for the long sections (default: the calling
  // thread alone).
  void SetParallelism(const CParallelism& par);

  // The boundary groups once *BNDR-GROUP is written, and the name of the
  // first one that holds elem, or "".
  std::vector<T_BNDRGRP_D>& BoundaryGroups();
  std::string BoundaryGroupName(int32_t elem) const;

 private:
  std::unique_ptr<CQsxSections> m_sections;
};

}  // namespace hvx
