// Block 420: functions.
#include "reader/import.h"

int CImportNEUtral::ReadFunctions() { return 1; }
