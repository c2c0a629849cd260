// The header sections and the empty-pool output of the writer.
#include <gtest/gtest.h>

#include "tests/testutil.h"

using hvxtest::ConvertCore;

namespace {

const std::string kTail =
    "*HVX-DEGREE\n; FREEDOM(Dx,Dy,Dz,Rx,Ry,Rz)\n  000000\n\n"
    "*HVX-PRINTOPT\n;bINPUTDATA, bTIMEFORCE\n"
    ";bEIGEN, bMAXVAL, bRESIDISP, bMAXDISP, bMAXAXIAL, bMAXSHEAR, bMAXMOMENT, bMAXFREE\n"
    ";bTIME, bACCVELDISP, bBEAMFORCE, bHYSTERESIS, bAXIALCHANGE, bTRANFUNC, bSPECTRUM\n"
    "  YES, YES\n  YES, YES, YES, YES, YES, YES, YES, YES\n  YES, YES, YES, YES, YES, YES, YES\n\n"
    "*ENDDATA\n";

const std::string kVersion = "*VERSION\n  6.4.1\n\n";

std::string StructType(const char* values) {
  return std::string("*STRUCTYPE    ; Structure Type\n; iSTYP, iSMAS, GRAV, TEMPER, bALIGNBEAM, bALIGNSLAB\n") + values +
         "\n\n";
}

TEST(WriterHeader, EmptyPoolInReadModeZero) {
  // Read mode 0 leaves out the extension sections too.
  EXPECT_EQ(kVersion + StructType("  0, 0, 0, 0, NO, NO") + "*ENDDATA\n", ConvertCore("", nullptr, nullptr, 0));
}

TEST(WriterHeader, EmptyPoolInReadModeOne) {
  EXPECT_EQ(kVersion + StructType("  0, 0, 0, 0, NO, NO") + kTail, ConvertCore("no blocks at all\n"));
}

TEST(WriterHeader, UnitAndProjectSections) {
  const struct {
    const char* header;  // lines of block 100
    std::string expected;
  } cases[] = {
      {"Tower\n7\n3 2\n", "*UNIT    ; Unit System\n; FORCE, LENGTH\n kN, mm\n\n*PROJINFO\n   PROJECT=Tower\n\n"},
      {"Tower A  B\n7\n0 2\n", "*UNIT    ; Unit System\n; FORCE, LENGTH\n kN, \n\n*PROJINFO\n   PROJECT=Tower A  B\n\n"},
      {"   \n7\n0 0\n", ""},
      {"100% sure %s %n\n7\n5 6\n",
       "*UNIT    ; Unit System\n; FORCE, LENGTH\n kips, in\n\n*PROJINFO\n   PROJECT=100% sure %s %n\n\n"},
      {"T\n7\n4 9\n", "*UNIT    ; Unit System\n; FORCE, LENGTH\n , ft\n\n*PROJINFO\n   PROJECT=T\n\n"},
      {"T\n7\n1 3\n", "*UNIT    ; Unit System\n; FORCE, LENGTH\n kgf, m\n\n*PROJINFO\n   PROJECT=T\n\n"},
      {"T\n7\n2 4\n", "*UNIT    ; Unit System\n; FORCE, LENGTH\n tonf, cm\n\n*PROJINFO\n   PROJECT=T\n\n"},
      {"T\n7\n-1 5\n", "*UNIT    ; Unit System\n; FORCE, LENGTH\n lbf, \n\n*PROJINFO\n   PROJECT=T\n\n"},
      {"T\n7\n", ""},  // header never stored: no unit, no project
  };
  for (const auto& c : cases) {
    const std::string model = std::string("   -1\n100\n") + c.header + "   -1\n";
    EXPECT_EQ(kVersion + c.expected + StructType("  0, 0, 0, 0, NO, NO") + kTail, ConvertCore(model)) << c.header;
  }
}

TEST(WriterHeader, StructureTypeTable) {
  const struct {
    const char* line1;
    const char* values;
  } cases[] = {
      {"123456,0,0,0,0", "  0, 0, 0, 0, NO, NO"}, {"135,123,9.806,0,0", "  1, 1, 9.806, 0, NO, NO"},
      {"234,12,0,0,0", "  2, 2, 0, 0, NO, NO"},   {"126,123,9.806,0,0", "  3, 1, 9.806, 0, NO, NO"},
      {"12345,3,1e7,0,0", "  4, 3, 1e+07, 0, NO, NO"}, {"99,7,-0.5,0,0", "  0, 0, -0.5, 0, NO, NO"},
  };
  for (const auto& c : cases) {
    const std::string model =
        std::string("   -1\n900\n") + c.line1 + "\n0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n   -1\n";
    const std::string qsx = ConvertCore(model);
    EXPECT_NE(std::string::npos, qsx.find(StructType(c.values))) << c.line1 << "\n" << qsx;
  }
}

TEST(WriterHeader, DegreeAndPrintOptions) {
  const std::string model =
      "   -1\n900\n135,0,0,0,0\n1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2\n   -1\n";
  const std::string qsx = ConvertCore(model);
  EXPECT_NE(std::string::npos, qsx.find("*HVX-DEGREE\n; FREEDOM(Dx,Dy,Dz,Rx,Ry,Rz)\n  101010\n\n"));
  EXPECT_NE(std::string::npos,
            qsx.find("  NO, YES\n  YES, YES, YES, YES, YES, YES, YES, YES\n  YES, YES, YES, YES, YES, YES, NO\n\n"));
  const std::string q12 = ConvertCore("   -1\n900\n12,0,0,0,0\n0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n   -1\n");
  EXPECT_NE(std::string::npos, q12.find("  110000\n"));
}

}  // namespace
