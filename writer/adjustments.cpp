// Model adjustments before writing.
#include "writer/writer.h"

void CWriteQsxFromNeutral::AdjustBeamPoints() {}
