#include "resources/catalogue.h"

#include <cstring>

namespace hvx {
namespace {

// Every translation keeps the English text's printf conversions in the same
// order, its line end, and the filter patterns between the '|' separators.
// clang-format off
constexpr Message kMessages[] = {
    {"IDS_HALVEX_Model_File_Filter",
     {"Halvex Model Files (*.hvt)|*.hvt|All Files (*.*)|*.*||",
      "Halvex モデル ファイル (*.hvt)|*.hvt|すべてのファイル (*.*)|*.*||",
      "Halvex 모델 파일 (*.hvt)|*.hvt|모든 파일 (*.*)|*.*||",
      "Halvex 模型文件 (*.hvt)|*.hvt|所有文件 (*.*)|*.*||"}},
    {"IDS_HALVEX_Result_File_Filter",
     {"Halvex Result Files (*.hvb)|*.hvb|All Files (*.*)|*.*||",
      "Halvex 結果ファイル (*.hvb)|*.hvb|すべてのファイル (*.*)|*.*||",
      "Halvex 결과 파일 (*.hvb)|*.hvb|모든 파일 (*.*)|*.*||",
      "Halvex 结果文件 (*.hvb)|*.hvb|所有文件 (*.*)|*.*||"}},
    {"IDS_HALVEX_Invalid_format_in_line_d__",
     {"Invalid format in line %d.\n",
      "%d 行目の形式が正しくありません。\n",
      "%d번째 줄의 형식이 잘못되었습니다.\n",
      "第 %d 行的格式无效。\n"}},
    {"IDS_HALVEX_Because_of_upper_version_file",
     {"File version is higher than supported (line %d); reading goes on.\n",
      "ファイルのバージョンが対応バージョンを超えています (%d 行目)。読み込みを続けます。\n",
      "파일 버전이 지원 버전보다 높습니다(%d번째 줄). 계속 읽습니다.\n",
      "文件版本高于支持的版本（第 %d 行），继续读取。\n"}},
    {"IDS_HALVEX_Igrnore_SKCV_in_current_version",
     {"Hinge property %d: unsupported hinge curve ignored.\n",
      "ヒンジ特性 %d: 未対応のヒンジ曲線を無視しました。\n",
      "힌지 속성 %d: 지원되지 않는 힌지 곡선을 무시했습니다.\n",
      "铰特性 %d：不支持的铰曲线已忽略。\n"}},
    {"IDS_HALVEX_Cannot_assign_distload_to_truss",
     {"A beam load cannot be assigned to a truss element; skipped.\n",
      "トラス要素には梁荷重を割り当てられません。スキップしました。\n",
      "트러스 요소에는 보 하중을 지정할 수 없습니다. 건너뜁니다.\n",
      "桁架单元不能施加梁荷载，已跳过。\n"}},
    {"IDS_HALVEX_Cannot_assign_prestress_load_to_truss",
     {"A prestress load cannot be assigned to a truss element; skipped.\n",
      "トラス要素にはプレストレス荷重を割り当てられません。スキップしました。\n",
      "트러스 요소에는 프리스트레스 하중을 지정할 수 없습니다. 건너뜁니다.\n",
      "桁架单元不能施加预应力荷载，已跳过。\n"}},
    {"IDS_HALVEX_Cannot_read_mutipoint_constraint",
     {"A multi-point constraint equation cannot be converted; skipped.\n",
      "多点拘束式は変換できません。スキップしました。\n",
      "다점 구속 방정식은 변환할 수 없습니다. 건너뜁니다.\n",
      "多点约束方程无法转换，已跳过。\n"}},
    {"IDS_HALVEX_Chage_leylagh_damp_to_energy_in_mode",
     {"Rayleigh damping changed to strain-energy proportional damping in a modal time-history case.\n",
      "モーダル時刻歴解析ケースのレイリー減衰をひずみエネルギー比例減衰に変更しました。\n",
      "모드 시간이력 해석 케이스의 레일리 감쇠를 변형 에너지 비례 감쇠로 변경했습니다.\n",
      "模态时程分析工况中的瑞利阻尼已改为应变能比例阻尼。\n"}},
};
// clang-format on

}  // namespace

std::span<const Message> Messages() { return kMessages; }

int FindMessage(const char* id) {
  if (!id) return -1;
  for (size_t i = 0; i < std::size(kMessages); ++i)
    if (std::strcmp(kMessages[i].id, id) == 0) return static_cast<int>(i);
  return -1;
}

}  // namespace hvx
