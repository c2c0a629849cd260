// Block 402: properties.
#include "reader/import.h"

int CImportNEUtral::ReadProperties() { return 1; }
