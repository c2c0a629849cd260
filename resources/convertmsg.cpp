// The message catalogue library: maps a message identifier to its English
// text. Identifiers it does not know give "Unknown message: <identifier>".
#include <cstring>
#include <string>

namespace {
struct Entry {
  const char* id;
  const char* text;
};

constexpr Entry kMessages[] = {
    {"IDS_HALVEX_Model_File_Filter", "Halvex Model Files (*.hvt)|*.hvt|All Files (*.*)|*.*||"},
    {"IDS_HALVEX_Result_File_Filter", "Halvex Result Files (*.hvb)|*.hvb|All Files (*.*)|*.*||"},
    {"IDS_HALVEX_Invalid_format_in_line_d__", "Invalid format in line %d.\n"},
    {"IDS_HALVEX_Because_of_upper_version_file", "File version is higher than supported (line %d); reading goes on.\n"},
    {"IDS_HALVEX_Igrnore_SKCV_in_current_version", "Hinge property %d: unsupported hinge curve ignored.\n"},
    {"IDS_HALVEX_Cannot_assign_distload_to_truss", "A beam load cannot be assigned to a truss element; skipped.\n"},
    {"IDS_HALVEX_Cannot_assign_prestress_load_to_truss",
     "A prestress load cannot be assigned to a truss element; skipped.\n"},
    {"IDS_HALVEX_Cannot_read_mutipoint_constraint", "A multi-point constraint equation cannot be converted; skipped.\n"},
    {"IDS_HALVEX_Chage_leylagh_damp_to_energy_in_mode",
     "Rayleigh damping changed to strain-energy proportional damping in a modal time-history case.\n"},
};
}  // namespace

#if defined(_WIN32)
#define CONVERTMSG_EXPORT __declspec(dllexport)
#else
#define CONVERTMSG_EXPORT __attribute__((visibility("default")))
#endif

extern "C" CONVERTMSG_EXPORT const char* LoadStr(const char* id) {
  if (id) {
    for (const Entry& e : kMessages)
      if (std::strcmp(e.id, id) == 0) return e.text;
  }
  // The text is used at once by the caller, so one buffer per thread will do.
  static thread_local std::string unknown;
  unknown = "Unknown message: ";
  unknown += id ? id : "";
  unknown += "\n";
  return unknown.c_str();
}
