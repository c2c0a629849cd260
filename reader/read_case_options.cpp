// Block 901: load-case options.
#include "reader/import.h"

int CImportNEUtral::ReadCaseOptions() { return 1; }
