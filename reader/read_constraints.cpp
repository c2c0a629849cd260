// Block 506: constraint sets.
#include "reader/import.h"

int CImportNEUtral::ReadConstraints() { return 1; }
