// Eigenvalue and response-spectrum analysis.
#include "writer/writer.h"

int CWriteQsxFromNeutral::WriteEigenControl() { return 1; }
int CWriteQsxFromNeutral::WriteSpectrumControl() { return 1; }
int CWriteQsxFromNeutral::WriteSpectrumFunction() { return 1; }
int CWriteQsxFromNeutral::WriteSpectrumLoadCase() { return 1; }
