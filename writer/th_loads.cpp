// Time-history loads, group damping and history output.
#include "writer/writer.h"

int CWriteQsxFromNeutral::WriteGroundAcc() { return 1; }
int CWriteQsxFromNeutral::WriteDynNodalLoad() { return 1; }
int CWriteQsxFromNeutral::WriteGroupDamping() { return 1; }
int CWriteQsxFromNeutral::WriteHistoryOutput() { return 1; }
