// Prints the Python package's Status enumeration (halvex/_status.py) from the
// library's status table, so that the names and codes cannot drift from it.
#include <cstdio>

#include "api/status.h"

int main() {
  std::printf(
      "# The statuses of a conversion, written by the build from the library's\n"
      "# status table; not edited by hand.\n"
      "import enum\n"
      "\n"
      "\n"
      "class Status(enum.IntEnum):\n"
      "    \"\"\"A conversion's status: the command-line tool's exit status for one\n"
      "    model, or CANCELLED when the progress callback cancelled.\"\"\"\n"
      "\n");
  const hvx::CStatusInfo* table = hvx::StatusTable();
  for (int i = 0; i < hvx::kStatusCount; ++i)
    std::printf("    %s = %d  # %s\n", table[i].name, table[i].code, table[i].text[0]);
  return 0;
}
