// Section and thickness output: *SECTION and *THICKNESS, and the order of the
// five property walks (links and spring types live in links.cpp, springs.cpp).
#include "writer/writer.h"

int CWriteQsxFromNeutral::WriteProperties() {
  if (Pool().properties.Empty()) return 1;
  const std::vector<int32_t> ids = Pool().properties.SortedKeys();
  WriteSectionWalk(ids);
  WriteThicknessWalk(ids);
  WriteNlPropWalk(ids);
  WriteHvxNlPropWalk(ids);
  WriteGsprTypeWalk(ids);
  return 1;
}

void CWriteQsxFromNeutral::WriteSectionWalk(const std::vector<int32_t>&) {}
void CWriteQsxFromNeutral::WriteThicknessWalk(const std::vector<int32_t>&) {}
