// Element output: *ELEMENT.
#include "writer/writer.h"

int CWriteQsxFromNeutral::WriteElement() { return 1; }
