// Text for standard output and standard error of one job, kept until the
// jobs before it are out.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hvx {

// Text for standard output and standard error kept in the order it was put,
// to be written later through WriteText as if it had been written then: a
// job's output while earlier jobs still run.
class CBufferedText {
 public:
  void Put(std::FILE* f, std::string_view text);
  // Writes everything kept, flushing a stream before the other one takes
  // over, and forgets it.
  void WriteOut();
  bool Empty() const { return m_pieces.empty(); }

 private:
  std::vector<std::pair<std::FILE*, std::string>> m_pieces;
};

}  // namespace hvx
