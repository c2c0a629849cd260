// Hostile and oversized input: every case ends in bounded time and memory
// with the documented log entry, or is converted (numbers out of range and
// binary bytes: tests/model_cases/reader_hostile.txt).
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "plugin/platform.h"
#include "tests/testutil.h"

using namespace hvx;

using namespace hvxtest;

namespace {

TEST(Limits, TenMegabyteLine) {
  // A 10 MB line inside a node block arrives as 499-character pieces; the
  // first piece is one field of digits, too few values: line 3 fails.
  std::string model = "   -1\n403\n" + std::string(10u << 20, '7') + "\n   -1\n";
  CDataPool* pool = nullptr;
  EXPECT_EQ("Invalid format in line 3.\n", ReadModel(model, pool));
  // Between blocks it is skipped piece by piece, each piece counted.
  model = std::string(10u << 20, 'x') + "\n   -1\n403\n1,2\n   -1\n";
  const size_t pieces = (10u << 20) / 499 + 1;
  EXPECT_EQ("Invalid format in line " + std::to_string(pieces + 3) + ".\n", ReadModel(model, pool));
}

TEST(Limits, AMillionBlocks) {
  std::string model;
  for (int i = 0; i < 1000000; ++i) model += "   -1\n413\n   -1\n";
  model += "   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n   -1\n";
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel(model, pool));
  EXPECT_EQ(1u, pool->nodes.Count());
  // Empty blocks: the first one ends reading.
  std::string empties;
  for (int i = 0; i < 1000000; ++i) empties += "   -1\n";
  EXPECT_EQ("Invalid format in line 1.\n", ReadModel(empties, pool));
}

TEST(Limits, CountedListClaimingTwoBillionEntries) {
  // The list runs out at the closing delimiter (line 8), which is named; no
  // memory is set aside for the claimed count.
  CDataPool* pool = nullptr;
  EXPECT_EQ("Invalid format in line 8.\n",
            ReadModel("   -1\n402\n1,0,0,1,0,0\nT\n0,0,0,0\n2000000000\n1\n   -1\n", pool));
  EXPECT_EQ(0u, pool->properties.Count());
}

TEST(ConsoleDialog, PromptsAndEndOfInputCancels) {
  hvx::CConsolePlatform p;
  std::streambuf* old = std::cin.rdbuf();
  std::istringstream both("/m/model.hvt\n/m/result.hvb\n");
  std::cin.rdbuf(both.rdbuf());
  std::string model = "keep", result = "keep";
  EXPECT_TRUE(p.FileInputDialog(model, result));
  EXPECT_EQ("/m/model.hvt", model);
  EXPECT_EQ("/m/result.hvb", result);
  std::istringstream half("/m/other.hvt\n");
  std::cin.rdbuf(half.rdbuf());
  std::cin.clear();
  EXPECT_FALSE(p.FileInputDialog(model, result));
  EXPECT_EQ("/m/model.hvt", model);  // a cancelled dialog leaves the paths alone
  std::cin.rdbuf(old);
  std::cin.clear();
}

}  // namespace
