// Supports, rigid links, end releases and end offsets.
#include "writer/writer.h"

int CWriteQsxFromNeutral::WriteConstraint() { return 1; }
int CWriteQsxFromNeutral::WriteRigidLink() { return 1; }
int CWriteQsxFromNeutral::WriteFrameRelease() { return 1; }
int CWriteQsxFromNeutral::WriteOffset() { return 1; }
