#include "cli/console.h"

namespace hvx {

std::vector<std::string> CommandLineArguments(int argc, char** argv) { return {argv, argv + argc}; }

void WriteText(std::FILE* f, std::string_view text) { std::fwrite(text.data(), 1, text.size(), f); }

}  // namespace hvx
