// Time-history analysis: *TFUNCTION, *THLDCASE, *DYN-SLOAD.
#include "writer/writer.h"

int CWriteQsxFromNeutral::WriteTimeFunction() { return 1; }
int CWriteQsxFromNeutral::WriteTimeHistoryLoadCase() { return 1; }
int CWriteQsxFromNeutral::WriteNonlinearStaticLoad() { return 1; }
