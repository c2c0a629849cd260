#include "host/convlogs.h"

#include "reader/linesource.h"
#include "base/format.h"

namespace hvx {

std::vector<std::string> CollectLogLines(IPlatform& p, const std::string& modelPath) {
  std::vector<std::string> lines;
  const std::string folder = FolderOf(modelPath, p.Separator());
  if (folder.empty()) return lines;
  for (const char* name : {kReadLogName, kWriteLogName}) {
    FILE* f = p.OpenRead(folder + name);
    if (!f) continue;
    CFileLineSource src(f);
    std::string line;
    while (src.ReadLine(line)) lines.push_back(line);
    std::fclose(f);
  }
  return lines;
}

std::vector<std::string> MessageList(const std::vector<std::string>& logLines, const std::string& modelPath) {
  std::vector<std::string> list;
  if (logLines.empty()) return list;
  list.reserve(logLines.size() + 3);
  list.emplace_back();
  list.insert(list.end(), logLines.begin(), logLines.end());
  list.emplace_back();
  list.push_back(Format("Import <%s>", modelPath));
  return list;
}

void ShowAndRemoveLogs(IPlatform& p, const std::string& modelPath) {
  const std::vector<std::string> list = MessageList(CollectLogLines(p, modelPath), modelPath);
  if (!list.empty()) p.MessageWindow(list);
  const std::string folder = FolderOf(modelPath, p.Separator());
  if (folder.empty()) return;
  p.RemoveFile(folder + kReadLogName);
  p.RemoveFile(folder + kWriteLogName);
}

}  // namespace hvx
