// Point rows of functions shared by the spectrum and time-history sections:
// argument/value pairs two to a line, and modal damping points (mode number,
// damping ratio) one to a line for the first six, the rest run on in one line.
#pragma once

#include <algorithm>
#include <cstddef>

#include "base/numbers.h"
#include "store/datapool.h"
#include "writer/textsink.h"

namespace hvx {

inline size_t PointCount(const T_FUNC_D& f) { return std::min(f.arg.size(), f.value.size()); }

// Pairs two to a line: evenFmt opens a line, oddFmt ends it; an odd count is
// closed by a line break after the last point.
inline void WritePointPairs(CTextSink& w, const T_FUNC_D& f, const char* evenFmt, const char* oddFmt) {
  const size_t n = PointCount(f);
  for (size_t i = 0; i < n; ++i) w.Format(i % 2 == 0 ? evenFmt : oddFmt, f.arg[i], f.value[i]);
  if (n % 2 == 1) w.Format("\n");
}

// The modal damping function a load set names, when it exists with type 17.
inline const T_FUNC_D* ModalDampingFunction(CDataPool& pool, const T_LOAD_D& load) {
  const T_FUNC_D* f = pool.functions.Find(load.Q[1]);
  return f && f->type == 17 ? f : nullptr;
}

// Modal damping points: a line break after each of the first six points; the
// seventh and later run on and are closed by one line break. Returns the count.
inline size_t WriteModalDampingPoints(CTextSink& w, const T_FUNC_D& f) {
  const size_t n = PointCount(f);
  for (size_t i = 0; i < n; ++i) {
    w.Format(" %d, %g,", TruncToInt(f.arg[i]), f.value[i]);
    if (i < 6) w.Format("\n");
  }
  if (n >= 7) w.Format("\n");
  return n;
}

}  // namespace hvx
