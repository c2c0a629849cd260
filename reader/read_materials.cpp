// Block 601: materials.
#include "reader/import.h"

int CImportNEUtral::ReadMaterials() { return 1; }
