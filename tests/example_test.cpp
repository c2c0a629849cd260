// The shipped example model: converting it writes every section of the output
// chain and leaves nothing in the message window.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "tests/testutil.h"

using namespace hvxtest;

TEST(ExampleModel, ConvertsToEverySectionWithoutMessages) {
  const Conversion c = ConvertText(ReadFile(SourceDir() + "/examples/frame.hvt"));
  EXPECT_EQ(0, c.rc);
  EXPECT_EQ("", c.window);
  EXPECT_TRUE(c.boxes.empty());
  // The command keywords, each cut where a keyword cannot go on (so "*GROUP"
  // is not taken for "*GROUP-DAMP").
  std::set<std::string> found;
  std::istringstream in(c.qsx);
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] == '*') found.insert(line.substr(0, line.find_first_of(" ,;")));
  std::istringstream want(
      "*VERSION *UNIT *PROJINFO *STRUCTYPE *NODE *ELEMENT *MATERIAL *SECTION *THICKNESS *NL-PROP *HVX-NL-PROP "
      "*GSPRTYPE *CONSTRAINT *RIGIDLINK *FRAME-RLS *OFFSET *STLDCASE *USE-STLD *EIGEN-CTRL *SPEC-CTRL *SFUNCTION "
      "*SPLDCASE *TFUNCTION *THLDCASE *GROUND-ACC *DYN-NLOAD *DYN-SLOAD *GROUP *BNDR-GROUP *GROUP-DAMP *INIFORCE "
      "*IHINGE-PROP *IHINGE-ASSIGN *NL-LINK *GSPRING *NODALMASS *SPRING *ELASTICLINK *TH-GRAPH *TH-ANITIME "
      "*HVX-MN-TH-OUTPUT *LOCALAXIS *INI-EFORCE *HVX-ANALTYPE *HVX-DEGREE *HVX-PRINTOPT *HVX-CONSTRAINT "
      "*HVX-EIGEN-CTRL *HVX-NLCTRL *ENDDATA *CONLOAD *PRESSURE *PRESTRESS *SELFWEIGHT *BEAMLOAD *BSTEMPER *ELTEMPER *SPDISP");
  for (std::string kw; want >> kw;) EXPECT_EQ(1u, found.count(kw)) << kw << " missing";
  // The whole chain ran: the file starts at the base version and closes.
  EXPECT_EQ(0u, c.qsx.rfind("*VERSION\n  6.4.1\n\n", 0));
  EXPECT_TRUE(c.qsx.size() > 10 && c.qsx.compare(c.qsx.size() - 10, 10, "\n*ENDDATA\n") == 0);
}
