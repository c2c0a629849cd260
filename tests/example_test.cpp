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
  EXPECT_EQ(0, c.result.status);
  EXPECT_EQ("", c.window);
  EXPECT_EQ("", c.result.errors);
  // The command keywords, each cut where a keyword cannot go on (so "*GROUP"
  // is not taken for "*GROUP-DAMP").
  std::set<std::string> found;
  std::istringstream in(c.qsx);
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] == '*') found.insert(line.substr(0, line.find_first_of(" ,;")));
  std::istringstream want(ReadFile(SourceDir() + "/tests/tables/example_sections.txt"));
  int keywords = 0;
  for (std::string kw; std::getline(want, kw); keywords += kw[0] != '#')
    EXPECT_TRUE(kw[0] == '#' || found.count(kw) == 1) << kw << " missing";
  EXPECT_GT(keywords, 50);
  // The whole chain ran: the file starts at the base version and closes.
  EXPECT_EQ(0u, c.qsx.rfind("*VERSION\n  6.4.1\n\n", 0));
  EXPECT_TRUE(c.qsx.size() > 10 && c.qsx.compare(c.qsx.size() - 10, 10, "\n*ENDDATA\n") == 0);
}
