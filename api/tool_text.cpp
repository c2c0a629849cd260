#include "api/tool_text.h"

#include "platform/language.h"

#include <cstring>

namespace hvx {
namespace {

// English, Japanese, Korean, Simplified Chinese. A translation keeps the
// English text's placeholders; its words may put them in another order.
// clang-format off
constexpr CToolText kTexts[] = {
    {EText::kModelNotFound,
     {"model file not found: {1}",
      "モデル ファイルが見つかりません: {1}",
      "모델 파일을 찾을 수 없습니다: {1}",
      "找不到模型文件: {1}"}},
    {EText::kNoModelGiven,
     {"no model file given",
      "モデル ファイルが指定されていません",
      "모델 파일이 지정되지 않았습니다",
      "未指定模型文件"}},
    {EText::kNoOutputFolder,
     {"output folder does not exist: {1}",
      "出力フォルダーがありません: {1}",
      "출력 폴더가 없습니다: {1}",
      "输出文件夹不存在: {1}"}},
    {EText::kNotAFolder,
     {"not a folder: {1}",
      "フォルダーではありません: {1}",
      "폴더가 아닙니다: {1}",
      "不是文件夹: {1}"}},
    {EText::kResultNotWritten,
     {"could not write the result of {1}",
      "{1} の変換結果を書き込めませんでした",
      "{1}의 변환 결과를 쓸 수 없습니다",
      "无法写入 {1} 的转换结果"}},
    {EText::kUnexpectedFailure,
     {"unexpected failure while converting {1}",
      "{1} の変換中に予期しないエラーが発生しました",
      "{1}을(를) 변환하는 중 예기치 않은 오류가 발생했습니다",
      "转换 {1} 时发生意外错误"}},
    {EText::kNotOverwritten,
     {"The file {1} is not written: it is the model file {2}.",
      "ファイル {1} は書き込みません: モデル ファイル {2} と同じファイルです。",
      "파일 {1}은(는) 쓰지 않습니다: 모델 파일 {2}과(와) 같은 파일입니다.",
      "不写入文件 {1}：它就是模型文件 {2}。"}},
    {EText::kSameOutput,
     {"{1} and {2} would both be written to {3}; nothing converted",
      "{1} と {2} の変換結果がどちらも {3} になります。何も変換しません",
      "{1}과(와) {2}의 변환 결과가 모두 {3}에 쓰입니다. 아무것도 변환하지 않습니다",
      "{1} 和 {2} 都将写入 {3}，未进行任何转换"}},
    {EText::kReportNotWritten,
     {"could not write the report {1}",
      "レポート {1} を書き込めませんでした",
      "보고서 {1}을(를) 쓸 수 없습니다",
      "无法写入报告 {1}"}},
    {EText::kPageNotWritten,
     {"could not write the page {1}",
      "ページ {1} を書き込めませんでした",
      "페이지 {1}을(를) 쓸 수 없습니다",
      "无法写入页面 {1}"}},
    {EText::kUsageHint,
     {"Run 'halvex2qsx --help' to see the options.",
      "オプションは 'halvex2qsx --help' で表示できます。",
      "옵션을 보려면 'halvex2qsx --help'를 실행하십시오.",
      "运行 'halvex2qsx --help' 查看选项。"}},
    {EText::kCheckTakesFilesOnly,
     {"--check takes QSX files and -j only, no other option",
      "--check には QSX ファイルと -j だけを指定します (ほかのオプションは使えません)",
      "--check에는 QSX 파일과 -j만 지정합니다(다른 옵션은 사용할 수 없습니다)",
      "--check 只接受 QSX 文件和 -j，不能与其他选项一起使用"}},
    {EText::kNoQsxGiven,
     {"no QSX file given",
      "QSX ファイルが指定されていません",
      "QSX 파일이 지정되지 않았습니다",
      "未指定 QSX 文件"}},
    {EText::kReportJsonNeedsName,
     {"--report-json needs a file name",
      "--report-json にはファイル名が必要です",
      "--report-json에는 파일 이름이 필요합니다",
      "--report-json 需要文件名"}},
    {EText::kNoSuchFile,
     {"{1}: no such file",
      "{1}: ファイルがありません",
      "{1}: 파일이 없습니다",
      "{1}: 文件不存在"}},
    {EText::kReadError,
     {"{1}: read error",
      "{1}: 読み込みエラー",
      "{1}: 읽기 오류",
      "{1}: 读取错误"}},
    {EText::kFailure,
     {"unexpected failure",
      "予期しないエラーが発生しました",
      "예기치 않은 오류가 발생했습니다",
      "发生意外错误"}},
    {EText::kProgressReading,
     {"reading {1}: {2}%",
      "読み込み中 {1}: {2}%",
      "읽는 중 {1}: {2}%",
      "正在读取 {1}: {2}%"}},
    {EText::kProgressWriting,
     {"writing {1}: {2}",
      "書き込み中 {1}: {2}",
      "쓰는 중 {1}: {2}",
      "正在写入 {1}: {2}"}},
    {EText::kProgressModels,
     {"converted {1} of {2} models",
      "{2} 個のモデルのうち {1} 個を変換済み",
      "모델 {2}개 중 {1}개 변환됨",
      "已转换 {1}/{2} 个模型"}},
    {EText::kJobsNotANumber,
     {"-j/--jobs takes a number of models from 1 up, not '{1}'",
      "-j/--jobs には 1 以上のモデル数を指定します ('{1}' は使えません)",
      "-j/--jobs에는 1 이상의 모델 수를 지정합니다('{1}'은(는) 사용할 수 없습니다)",
      "-j/--jobs 需要 1 或更大的模型数，而不是 '{1}'"}},
    {EText::kSummaryLine,
     {"{1}: {2} (see --report)",
      "{1}: {2} (詳しくは --report)",
      "{1}: {2} (자세한 내용은 --report)",
      "{1}: {2}（详见 --report）"}},
    {EText::kSummaryNotConverted,
     {"not converted: {1}",
      "変換されなかったもの: {1}",
      "변환되지 않음: {1}",
      "未转换: {1}"}},
    {EText::kSummaryPartly,
     {"partly converted: {1}",
      "一部だけ変換されたもの: {1}",
      "일부만 변환됨: {1}",
      "部分转换: {1}"}},
    {EText::kSummaryKindCount,
     {"{1} {2}",
      "{2} {1} 件",
      "{2} {1}개",
      "{2} {1} 个"}},
    {EText::kSummaryListSeparator,
     {", ",
      "、",
      ", ",
      "、"}},
    {EText::kSummaryUnknownBlocks,
     {"{1} unknown block|{1} unknown blocks",
      "不明なブロック {1} 個",
      "알 수 없는 블록 {1}개",
      "未知数据块 {1} 个"}},
    {EText::kSummaryLinesOutside,
     {"{1} line outside blocks|{1} lines outside blocks",
      "ブロック外の行 {1} 行",
      "블록 밖의 줄 {1}개",
      "数据块外的行 {1} 行"}},
    {EText::kSummaryReadingStopped,
     {"reading stopped at line {1}",
      "{1} 行目で読み込みを中止",
      "{1}번째 줄에서 읽기 중단",
      "在第 {1} 行停止读取"}},
    {EText::kSummaryDangling,
     {"{1} dangling reference|{1} dangling references",
      "未定義のものへの参照 {1} 件",
      "정의되지 않은 대상에 대한 참조 {1}개",
      "悬空引用 {1} 处"}},
    {EText::kSummaryNoDataBlock,
     {"no Halvex data block found",
      "Halvex のデータ ブロックがありません",
      "Halvex 데이터 블록이 없습니다",
      "未找到 Halvex 数据块"}},
};

// Kind names by the report's key: English singular|plural, then the others.
struct CKindName {
  const char* key;
  const char* text[4];
};
constexpr CKindName kKindNames[] = {
    {"nodes", {"node|nodes", "節点", "절점", "节点"}},
    {"elements", {"element|elements", "要素", "요소", "单元"}},
    {"materials", {"material|materials", "材料", "재료", "材料"}},
    {"properties", {"property|properties", "特性", "속성", "特性"}},
    {"constraint_equations", {"constraint equation|constraint equations", "拘束式", "구속 방정식", "约束方程"}},
    {"load_sets", {"load set|load sets", "荷重セット", "하중 세트", "荷载集"}},
    {"static_loads", {"static load|static loads", "静的荷重", "정적 하중", "静力荷载"}},
    {"groups", {"group|groups", "グループ", "그룹", "组"}},
    {"functions", {"function|functions", "関数", "함수", "函数"}},
    {"hinge_properties", {"hinge property|hinge properties", "ヒンジ特性", "힌지 속성", "铰特性"}},
};
// clang-format on
static_assert(std::size(kTexts) == static_cast<size_t>(EText::kCount));

// The singular or plural part of "one|many" (the whole text without "|").
std::string_view Form(std::string_view text, long long count) {
  const size_t bar = text.find('|');
  if (bar == std::string_view::npos) return text;
  return count == 1 ? text.substr(0, bar) : text.substr(bar + 1);
}

std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9' &&
        pattern[i + 2] == '}') {
      const size_t n = static_cast<size_t>(pattern[i + 1] - '1');
      if (n < args.size()) out.append(args.begin()[n]);
      i += 2;
      continue;
    }
    out += pattern[i];
  }
  return out;
}

const char* Pattern(int language, EText id) {
  const int lang = language >= 0 && language < 4 ? language : 0;
  return kTexts[static_cast<int>(id)].text[lang];
}

// The tool's language for this text: English where the ANSI code page cannot
// hold the translation.
int LanguageFor(EText id) {
  const int lang = ToolLanguage();
  return lang != 0 && !FitsAnsi(Pattern(lang, id)) ? 0 : lang;
}

std::string KindName(int language, const std::string& key, long long count) {
  for (const CKindName& k : kKindNames)
    if (key == k.key) return std::string(Form(k.text[language], count));
  return key;
}

std::string KindList(int language, const std::vector<CSummary::CKindCount>& kinds) {
  std::string s;
  for (const CSummary::CKindCount& k : kinds) {
    if (!s.empty()) s += Pattern(language, EText::kSummaryListSeparator);
    s += TextIn(language, EText::kSummaryKindCount,
                {std::to_string(k.count), KindName(language, k.kind, k.count)});
  }
  return s;
}

}  // namespace

const CToolText* ToolTexts() { return kTexts; }

std::string TextIn(int language, EText id, std::initializer_list<std::string_view> args, long long count) {
  return Fill(Form(Pattern(language, id), count), args);
}

std::string Text(EText id, std::initializer_list<std::string_view> args) {
  return Fill(Form(Pattern(LanguageFor(id), id), 2), args);
}

std::string SummaryLineIn(int language, const CSummary& s, const std::string& model) {
  if (!s.Any()) return std::string();
  std::vector<std::string> parts;
  const auto counted = [&](EText id, long long n) {
    parts.push_back(TextIn(language, id, {std::to_string(n)}, n));
  };
  if (s.noDataBlock) parts.push_back(TextIn(language, EText::kSummaryNoDataBlock));
  if (!s.notConverted.empty())
    parts.push_back(TextIn(language, EText::kSummaryNotConverted, {KindList(language, s.notConverted)}));
  if (!s.partlyConverted.empty())
    parts.push_back(TextIn(language, EText::kSummaryPartly, {KindList(language, s.partlyConverted)}));
  if (s.unknownBlocks != 0) counted(EText::kSummaryUnknownBlocks, s.unknownBlocks);
  if (s.linesOutsideBlocks != 0) counted(EText::kSummaryLinesOutside, s.linesOutsideBlocks);
  if (s.readStoppedAtLine >= 0) counted(EText::kSummaryReadingStopped, s.readStoppedAtLine);
  if (s.danglingReferences != 0) counted(EText::kSummaryDangling, s.danglingReferences);
  std::string joined;
  for (const std::string& p : parts) joined += (joined.empty() ? "" : "; ") + p;
  return TextIn(language, EText::kSummaryLine, {model, joined}) + "\n";
}

std::string SummaryLine(const CSummary& s, const std::string& model) {
  // One language for the whole line: English unless every piece it may
  // hold fits the ANSI code page.
  int lang = ToolLanguage();
  for (int id = static_cast<int>(EText::kSummaryLine); lang != 0 && id < static_cast<int>(EText::kCount); ++id)
    if (!FitsAnsi(Pattern(lang, static_cast<EText>(id)))) lang = 0;
  for (const CKindName& k : kKindNames)
    if (lang != 0 && !FitsAnsi(k.text[lang])) lang = 0;
  return SummaryLineIn(lang, s, model);
}

}  // namespace hvx
