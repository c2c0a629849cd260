// General link properties and general links: *NL-PROP, *HVX-NL-PROP, *NL-LINK.
#include "writer/writer.h"

void CWriteQsxFromNeutral::WriteNlPropWalk(const std::vector<int32_t>&) {}
void CWriteQsxFromNeutral::WriteHvxNlPropWalk(const std::vector<int32_t>&) {}
int CWriteQsxFromNeutral::WriteGeneralLink() { return 1; }
