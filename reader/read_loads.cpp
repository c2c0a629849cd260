// Block 507: load sets.
#include "reader/import.h"

int CImportNEUtral::ReadLoads() { return 1; }
