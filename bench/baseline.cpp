// Baseline for the benchmark: the least a reader of a model file must do.
// Reads the file with fgets into a 500-byte buffer and converts every
// comma-separated field with strtod; nothing else. The sum and count of the
// values are printed so that the work cannot be optimised away.
//
//   usage: hvx_baseline MODEL.hvt
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: hvx_baseline MODEL.hvt\n");
    return 1;
  }
  FILE* f = std::fopen(argv[1], "r");
  if (!f) {
    std::perror(argv[1]);
    return 1;
  }
  char buf[500];
  double sum = 0.0;
  long long fields = 0, lines = 0;
  while (std::fgets(buf, sizeof buf, f)) {
    ++lines;
    for (char* p = buf;;) {
      sum += std::strtod(p, nullptr);
      ++fields;
      char* comma = std::strchr(p, ',');
      if (!comma) break;
      p = comma + 1;
    }
  }
  std::fclose(f);
  std::printf("%lld lines, %lld fields, sum %.17g\n", lines, fields, sum);
  return 0;
}
