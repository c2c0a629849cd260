// Groups: *GROUP, collecting the boundary groups.
#include "writer/writer.h"

int CWriteQsxFromNeutral::WriteGroup() { return 1; }
