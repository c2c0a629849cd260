#include <signal.h>

#include <atomic>
#include <cstdlib>

#include "platform/console.h"

namespace hvx {

namespace {
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set in a signal handler");

extern "C" void OnInterrupt(int) { g_interrupted.store(true); }
}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) { return {argv, argv + argc}; }

void WriteText(std::FILE* f, std::string_view text) { std::fwrite(text.data(), 1, text.size(), f); }

void CatchInterrupt() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // The handler is taken once: the next Ctrl+C ends the process.
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
}

bool Interrupted() { return g_interrupted.load(); }

void ExitInterrupted() {
  std::fflush(stdout);
  std::fflush(stderr);
  signal(SIGINT, SIG_DFL);
  raise(SIGINT);
  std::_Exit(128 + SIGINT);
}

}  // namespace hvx
