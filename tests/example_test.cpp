// The shipped example model: converting it writes every section of the output
// chain and leaves nothing in the message window.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <sstream>
#include <string>

#include "tests/testutil.h"

using namespace hvxtest;

namespace {

// Command keywords of the lines that start with '*', each cut at the first
// character that cannot belong to a keyword (so "*GROUP" is not taken for
// "*GROUP-DAMP").
std::set<std::string> CommandKeywords(const std::string& qsx) {
  std::set<std::string> found;
  std::istringstream in(qsx);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] != '*') continue;
    size_t end = 1;
    while (end < line.size() && (std::isupper(static_cast<unsigned char>(line[end])) ||
                                 std::isdigit(static_cast<unsigned char>(line[end])) ||
                                 line[end] == '-'))
      ++end;
    found.insert(line.substr(0, end));
  }
  return found;
}

TEST(ExampleModel, ConvertsToEverySectionWithoutMessages) {
  const Conversion c = Convert(ReadFile(SourceDir() + "/examples/frame.hvt"));
  EXPECT_EQ(0, c.rc);
  ASSERT_TRUE(c.qsxWritten);
  EXPECT_EQ("", c.window);
  EXPECT_TRUE(c.boxes.empty());

  // In the order of the output chain.
  const char* const kSections[] = {
      "*VERSION", "*UNIT", "*PROJINFO", "*STRUCTYPE", "*NODE", "*ELEMENT", "*MATERIAL",
      "*SECTION", "*THICKNESS", "*NL-PROP", "*HVX-NL-PROP", "*GSPRTYPE",
      "*CONSTRAINT", "*RIGIDLINK", "*FRAME-RLS", "*OFFSET", "*STLDCASE", "*USE-STLD",
      "*EIGEN-CTRL", "*SPEC-CTRL", "*SFUNCTION", "*SPLDCASE",
      "*TFUNCTION", "*THLDCASE", "*GROUND-ACC", "*DYN-NLOAD", "*DYN-SLOAD",
      "*GROUP", "*BNDR-GROUP", "*GROUP-DAMP", "*INIFORCE", "*IHINGE-PROP", "*IHINGE-ASSIGN",
      "*NL-LINK", "*GSPRING", "*NODALMASS", "*SPRING", "*ELASTICLINK",
      "*TH-GRAPH", "*TH-ANITIME", "*HVX-MN-TH-OUTPUT", "*LOCALAXIS", "*INI-EFORCE",
      "*HVX-ANALTYPE", "*HVX-DEGREE", "*HVX-PRINTOPT", "*HVX-CONSTRAINT", "*HVX-EIGEN-CTRL",
      "*HVX-NLCTRL", "*ENDDATA",
  };
  const std::set<std::string> found = CommandKeywords(c.qsx);
  for (const char* kw : kSections) EXPECT_EQ(1u, found.count(kw)) << kw << " missing";

  // Several kinds of static load inside the load case blocks.
  for (const char* kw : {"*CONLOAD", "*PRESSURE", "*PRESTRESS", "*SELFWEIGHT", "*BEAMLOAD",
                         "*BSTEMPER", "*ELTEMPER", "*SPDISP"})
    EXPECT_EQ(1u, found.count(kw)) << kw << " missing";

  // The whole chain ran: the file starts at the base version and closes.
  EXPECT_EQ(0u, c.qsx.rfind("*VERSION\n  6.4.1\n\n", 0));
  const std::string tail = "\n*ENDDATA\n";
  ASSERT_GE(c.qsx.size(), tail.size());
  EXPECT_EQ(tail, c.qsx.substr(c.qsx.size() - tail.size()));
}

}  // namespace
