// Block 892: hinge curves; block 894: history output requests.
#include "reader/import.h"

int CImportNEUtral::ReadHingeCurves() { return 1; }
int CImportNEUtral::ReadHistoryOutputs() { return 1; }
