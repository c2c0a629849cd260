#include <cstdio>
#include <iostream>

#include "plugin/platform.h"
#include "platform/stdio_env.h"
#include "resources/dialogs.h"

namespace hvx {

void IPlatform::ShowPathNotForHost(const std::string& path) {
  MessageBox(std::string(kPathNotForHostText) + "\n" + path);
}

void CConsolePlatform::MessageBox(const std::string& text) {
  std::fflush(stdout);
  DefaultEnv().MessageBox(text);
}

std::unique_ptr<COutFile> CConsolePlatform::CreateFile(const std::string& path) {
  return DefaultEnv().CreateFile(path);
}

FILE* CConsolePlatform::OpenRead(const std::string& path) { return DefaultEnv().OpenRead(path); }

bool CConsolePlatform::FileStatus(const std::string& path, uint64_t* size) {
  return DefaultEnv().FileStatus(path, size);
}

void CConsolePlatform::RemoveFile(const std::string& path) { DefaultEnv().RemoveFile(path); }

char CConsolePlatform::Separator() const { return DefaultEnv().Separator(); }

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

}  // namespace hvx
