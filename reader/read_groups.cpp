// Block 408: groups.
#include "reader/import.h"

int CImportNEUtral::ReadGroups() { return 1; }
