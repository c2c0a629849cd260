// Static load cases and their loads: *STLDCASE and the *USE-STLD blocks.
#include "writer/writer.h"

int CWriteQsxFromNeutral::WriteStaticCaseTable() { return 1; }
int CWriteQsxFromNeutral::WriteStaticCaseBlocks() { return 1; }
