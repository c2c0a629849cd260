// Inelastic hinges and initial forces.
#include "writer/writer.h"

int CWriteQsxFromNeutral::WriteInitialForce() { return 1; }
int CWriteQsxFromNeutral::WriteHingeProperty() { return 1; }
int CWriteQsxFromNeutral::WriteHingeAssign() { return 1; }
int CWriteQsxFromNeutral::WriteInitialElementForce() { return 1; }
