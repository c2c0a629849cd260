// Analysis-control extension sections (*HVX-).
#include "writer/writer.h"

int CWriteQsxFromNeutral::WriteHvxAnalType() { return 1; }

int CWriteQsxFromNeutral::WriteHvxDegree() {
  if (ReadMode() != 1) return 1;
  // Digit k of the structure code frees degree of freedom k.
  const std::string code = hvx::Format("%d", Pool().Analysis().structCode);
  char freedom[7] = "000000";
  for (int k = 0; k < 6; ++k)
    if (code.find(static_cast<char>('1' + k)) != std::string::npos) freedom[k] = '1';
  Out("*HVX-DEGREE\n");
  Out("; FREEDOM(Dx,Dy,Dz,Rx,Ry,Rz)\n");
  Out("  %s\n", freedom);
  Out("\n");
  return 1;
}

int CWriteQsxFromNeutral::WriteHvxPrintOpt() {
  if (ReadMode() != 1) return 1;
  const int32_t* v = Pool().Analysis().set;
  auto yn = [&](int i) { return v[i] != 0 ? "NO" : "YES"; };
  Out("*HVX-PRINTOPT\n");
  Out(";bINPUTDATA, bTIMEFORCE\n");
  Out(";bEIGEN, bMAXVAL, bRESIDISP, bMAXDISP, bMAXAXIAL, bMAXSHEAR, bMAXMOMENT, bMAXFREE\n");
  Out(";bTIME, bACCVELDISP, bBEAMFORCE, bHYSTERESIS, bAXIALCHANGE, bTRANFUNC, bSPECTRUM\n");
  Out("  %s, %s\n", yn(0), yn(1));
  Out("  %s, %s, %s, %s, %s, %s, %s, %s\n", yn(2), yn(3), yn(4), yn(5), yn(6), yn(7), yn(8), yn(9));
  Out("  %s, %s, %s, %s, %s, %s, %s\n", yn(10), yn(11), yn(12), yn(13), yn(14), yn(15), yn(16));
  Out("\n");
  return 1;
}
int CWriteQsxFromNeutral::WriteHvxConstraint() { return 1; }
int CWriteQsxFromNeutral::WriteHvxEigenCtrl() { return 1; }
int CWriteQsxFromNeutral::WriteHvxNlCtrl() { return 1; }
