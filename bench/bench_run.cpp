// Benchmark runner: for each model runs the baseline and the converter
// alternately, measures wall time and peak resident memory of every run, and
// prints one table row per model with the medians, then the target checks.
//
//   usage: hvx_benchrun --baseline BIN --converter BIN [--converter-arg ARG ...] [--runs N] MODEL...
//
// Each --converter-arg is passed to the converter before the model (such as
// --threads 1).
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct RunResult {
  double seconds = 0.0;
  double cpuSeconds = 0.0;  // user + system
  double peakMB = 0.0;
};

// Runs bin with the arguments, then arg, output and errors discarded (the
// converter's summary line is not shown for every run); exits on failure.
RunResult RunOnce(const std::string& bin, const std::vector<std::string>& args, const std::string& arg) {
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv{const_cast<char*>(bin.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const auto t0 = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, bin.c_str(), &fa, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", bin.c_str());
    std::exit(1);
  }
  int status = 0;
  struct rusage ru {};
  if (wait4(pid, &status, 0, &ru) < 0) {
    std::perror("wait4");
    std::exit(1);
  }
  const auto t1 = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&fa);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s %s failed (status %d)\n", bin.c_str(), arg.c_str(), status);
    std::exit(1);
  }
  RunResult r;
  r.seconds = std::chrono::duration<double>(t1 - t0).count();
  r.peakMB = static_cast<double>(ru.ru_maxrss) / 1024.0;  // kilobytes on Linux
  r.cpuSeconds = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
                 static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
  return r;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

struct Row {
  std::string model;
  double mb = 0.0, base = 0.0, conv = 0.0, cpu = 0.0, peak = 0.0;
};

}  // namespace

int main(int argc, char** argv) {
  std::string baseline, converter;
  std::vector<std::string> converterArgs;
  int runs = 5;
  std::vector<std::string> models;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--baseline" && i + 1 < argc) baseline = argv[++i];
    else if (a == "--converter" && i + 1 < argc) converter = argv[++i];
    else if (a == "--converter-arg" && i + 1 < argc) converterArgs.push_back(argv[++i]);
    else if (a == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else models.push_back(a);
  }
  if (baseline.empty() || converter.empty() || models.empty()) {
    std::fprintf(stderr,
                 "usage: hvx_benchrun --baseline BIN --converter BIN [--converter-arg ARG ...] [--runs N] MODEL...\n");
    return 1;
  }
  // The converter's processor time (user + system) is the steadier figure
  // on a busy machine.
  std::printf("%-22s %9s %10s %10s %7s %9s %9s %8s %8s\n", "model", "input MB", "baseline s", "convert s",
              "ratio", "conv MB/s", "peak MB", "RSS/in", "cpu s");
  std::vector<Row> rows;
  for (const std::string& model : models) {
    struct stat st {};
    if (stat(model.c_str(), &st) != 0) {
      std::perror(model.c_str());
      return 1;
    }
    Row row;
    row.model = model;
    row.mb = static_cast<double>(st.st_size) / 1e6;
    std::vector<double> base, conv, cpu, peak;
    for (int r = 0; r < runs; ++r) {
      base.push_back(RunOnce(baseline, {}, model).seconds);
      const RunResult c = RunOnce(converter, converterArgs, model);
      conv.push_back(c.seconds);
      cpu.push_back(c.cpuSeconds);
      peak.push_back(c.peakMB);
    }
    row.base = Median(base);
    row.conv = Median(conv);
    row.cpu = Median(cpu);
    row.peak = *std::max_element(peak.begin(), peak.end());
    const double inMiB = static_cast<double>(st.st_size) / (1024.0 * 1024.0);
    if (row.mb >= 1.0)
      std::printf("%-22s %9.2f %10.4f %10.4f %7.3f %9.1f %9.1f %8.3f %8.4f\n", row.model.c_str(), row.mb, row.base,
                  row.conv, row.conv / row.base, row.mb / row.conv, row.peak, row.peak / inMiB, row.cpu);
    else  // too small for throughput and memory ratios to mean anything
      std::printf("%-22s %9.2f %10.4f %10.4f %7.3f %9s %9.1f %8s %8.4f\n", row.model.c_str(), row.mb, row.base,
                  row.conv, row.conv / row.base, "-", row.peak, "-", row.cpu);
    std::fflush(stdout);
    rows.push_back(row);
  }
  // Growth of the conversion time between models whose sizes differ tenfold.
  for (size_t i = 0; i + 1 < rows.size(); ++i) {
    const double f = rows[i + 1].mb / rows[i].mb;
    if (f > 8.0 && f < 12.5)
      std::printf("scaling %s -> %s: input x%.2f, conversion time x%.2f (target <= 10.5)\n", rows[i].model.c_str(),
                  rows[i + 1].model.c_str(), f, rows[i + 1].conv / rows[i].conv);
  }
  // The targets, on the largest and the smallest model.
  const Row& big = *std::max_element(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.mb < b.mb; });
  const Row& small = *std::min_element(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.mb < b.mb; });
  if (big.mb >= 1.0) {
    const double ratio = big.conv / big.base, rss = big.peak / (big.mb * 1e6 / (1024.0 * 1024.0));
    std::printf("%s: conversion/baseline %.3f (target <= 0.5) %s; peak RSS/input %.3f (target <= 1.0) %s\n",
                big.model.c_str(), ratio, ratio <= 0.5 ? "met" : "NOT met", rss, rss <= 1.0 ? "met" : "NOT met");
  }
  if (small.mb < 1.0)
    std::printf("%s: %.1f ms including process start (target < 20 ms) %s\n", small.model.c_str(), small.conv * 1e3,
                small.conv < 0.020 ? "met" : "NOT met");
  return 0;
}
