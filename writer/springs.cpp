// Spring supports, elastic links, nodal masses and node local axes.
#include "writer/writer.h"

void CWriteQsxFromNeutral::WriteGsprTypeWalk(const std::vector<int32_t>&) {}
int CWriteQsxFromNeutral::WriteGeneralSpring() { return 1; }
int CWriteQsxFromNeutral::WriteNodalMass() { return 1; }
int CWriteQsxFromNeutral::WritePointSpring() { return 1; }
int CWriteQsxFromNeutral::WriteElasticLink() { return 1; }
int CWriteQsxFromNeutral::WriteLocalAxis() { return 1; }
