#include "api/status.h"

#include <algorithm>
#include <vector>

namespace hvx {
namespace {

// clang-format off
constexpr CStatusInfo kStatuses[kStatusCount] = {
    {kStatusDone, "DONE", 0, "all converted",
     {"converted", "変換しました", "변환됨", "已转换"}},
    {kStatusBadArguments, "BAD_ARGUMENTS", 6, "usage error (nothing converted)",
     {"usage error", "使い方の誤り", "사용법 오류", "用法错误"}},
    {kStatusFailed, "FAILED", 2, "a conversion failed",
     {"conversion failed", "変換に失敗しました", "변환 실패", "转换失败"}},
    {kStatusMissing, "MISSING", 3, "a model file does not exist",
     {"model file not found", "モデル ファイルが見つかりません", "모델 파일 없음", "找不到模型文件"}},
    {kStatusFileError, "FILE_ERROR", 4, "a file could not be written, or would have been a model",
     {"file not written", "ファイルを書き込めませんでした", "파일을 쓸 수 없음", "无法写入文件"}},
    {kStatusLossy, "LOSSY", 1, "(with --strict) something was not converted or dangles",
     {"converted with losses", "変換されなかったものがあります", "변환되지 않은 항목 있음", "有未转换的内容"}},
    {kStatusCancelled, "CANCELLED", 5, nullptr,
     {"cancelled", "キャンセルされました", "취소됨", "已取消"}},
};
// clang-format on

}  // namespace

const CStatusInfo* StatusTable() { return kStatuses; }

const CStatusInfo& StatusInfo(int code) {
  return code >= 0 && code < kStatusCount ? kStatuses[code] : kStatuses[kStatusFailed];
}

std::string StatusText(int code, int language) {
  return StatusInfo(code).text[language >= 0 && language < 4 ? language : 0];
}

int MoreSevere(int a, int b) { return StatusInfo(b).severity > StatusInfo(a).severity ? b : a; }

std::string ExitStatusHelp(size_t width) {
  // "Exit status: 0 ...; 1 ...; ... 5 .... With several models the most
  // severe status wins: 4, then 3, 2, 5, 0." over the exit statuses that
  // one model can give.
  std::string text = "Exit status:";
  std::vector<const CStatusInfo*> ranked;
  for (const CStatusInfo& s : kStatuses) {
    if (!s.meaning) continue;
    text += (s.code == 0 ? " " : "; ") + std::to_string(s.code) + " " + s.meaning;
    if (s.code != kStatusBadArguments) ranked.push_back(&s);
  }
  std::sort(ranked.begin(), ranked.end(),
            [](const CStatusInfo* a, const CStatusInfo* b) { return a->severity > b->severity; });
  text += ". With several models the most severe status wins:";
  for (size_t i = 0; i < ranked.size(); ++i)
    text += (i == 0 ? " " : i == 1 ? ", then " : ", ") + std::to_string(ranked[i]->code);
  text += ".";
  // Words to lines of at most width columns.
  std::string out, line;
  size_t from = 0;
  while (from < text.size()) {
    size_t to = text.find(' ', from);
    if (to == std::string::npos) to = text.size();
    const std::string word = text.substr(from, to - from);
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      out += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    from = to + 1;
  }
  return out + line + "\n";
}

}  // namespace hvx
