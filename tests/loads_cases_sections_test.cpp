// The golden cases of supports and static loads, compared on their own
// sections only (*CONSTRAINT to *OFFSET, *STLDCASE and the *USE-STLD blocks)
// plus the message window, so they are checked while the sections of other
// subjects in the same files are still being written.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "tests/testutil.h"

using namespace hvxtest;

namespace {

std::string OwnSections(const std::string& qsx) {
  static const std::set<std::string> kOwn = {
      "*CONSTRAINT", "*RIGIDLINK", "*FRAME-RLS", "*OFFSET",  "*STLDCASE", "*USE-STLD", "*CONLOAD",  "*PRESSURE",
      "*PRESTRESS",  "*SELFWEIGHT", "*BEAMLOAD", "*BSTEMPER", "*ELTEMPER", "*SPDISP"};
  std::istringstream in(qsx);
  std::string line, out;
  bool keep = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '*') keep = kOwn.count(line.substr(0, line.find_first_of(" ,;"))) != 0;
    if (keep) out += line + "\n";
  }
  return out;
}

}  // namespace

TEST(LoadsCases, OwnSectionsAndWindowMatch) {
  const char* cases[] = {"constraints-and-frame-ends", "static-loads-nodes-pressures-solids",
                         "static-loads-beams-trusses-temperatures", "static-two-load-sets-one-static",
                         "load-block-read-error"};
  for (const char* name : cases) {
    const std::string dir = SourceDir() + "/tests/cases/" + name;
    if (!Exists(dir + "/model.hvt")) {
      ADD_FAILURE() << name << ": no model";
      continue;
    }
    const Conversion c = Convert(ReadFile(dir + "/model.hvt"));
    const std::string expected = ReadFile(dir + "/expected.qsx");
    const std::string own = OwnSections(expected);
    EXPECT_EQ(own, OwnSections(c.qsx)) << name << ": " << FirstDifference(own, OwnSections(c.qsx));
    const std::string window =
        Exists(dir + "/expected.stdout") ? ReadFile(dir + "/expected.stdout") : std::string();
    // Convert writes the model as model.hvt in a folder of its own; the window
    // names that path, so compare with the path cut out.
    const size_t open = c.window.find("Import <");
    std::string actual = c.window;
    if (open != std::string::npos) actual = c.window.substr(0, open) + "Import <@MODEL@>\n";
    EXPECT_EQ(window, actual) << name;
  }
}
