// Block 404: elements.
#include "reader/import.h"

int CImportNEUtral::ReadElements() { return 1; }
