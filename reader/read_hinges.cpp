// Block 902: inelastic hinge properties; block 903: initial element forces.
#include "reader/import.h"

int CImportNEUtral::ReadHingeProperties() { return 1; }
int CImportNEUtral::ReadInitialForces() { return 1; }
