// Material output: *MATERIAL.
#include "writer/writer.h"

int CWriteQsxFromNeutral::WriteMaterial() { return 1; }
