#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "host/platform.h"
#include "resources/dialogs.h"

namespace hvx {

void CConsolePlatform::MessageBox(const std::string& text) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", text.c_str());
}

std::unique_ptr<COutFile> CConsolePlatform::CreateFile(const std::string& path) {
  return DefaultEnv().CreateFile(path);
}

FILE* CConsolePlatform::OpenRead(const std::string& path) { return DefaultEnv().OpenRead(path); }

namespace {
bool Prompt(const char* label, std::string& value) {
  std::fprintf(stderr, "%s: ", label);
  std::fflush(stderr);
  std::string line;
  if (!std::getline(std::cin, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  value = line;
  return true;
}
}  // namespace

bool CConsolePlatform::FileInputDialog(std::string& modelPath, std::string& resultPath) {
  std::fprintf(stderr, "%s\n", kFileInputCaption);
  std::string model, result;
  if (!Prompt(kModelFileLabel, model) || !Prompt(kResultFileLabel, result)) return false;
  modelPath = model;
  resultPath = result;
  return true;
}

void CConsolePlatform::MessageWindow(const std::vector<std::string>& lines) {
  for (const std::string& l : lines) {
    std::fwrite(l.data(), 1, l.size(), stdout);
    std::fputc('\n', stdout);
  }
  std::fflush(stdout);
}

bool CConsolePlatform::FileStatus(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

void CConsolePlatform::RemoveFile(const std::string& path) {
  if (!path.empty()) ::unlink(path.c_str());
}

namespace {
IPlatform* g_platform = nullptr;
}

IPlatform& ActivePlatform() { return g_platform ? *g_platform : DefaultPlatform(); }

void SetActivePlatform(IPlatform* platform) { g_platform = platform; }

}  // namespace hvx
