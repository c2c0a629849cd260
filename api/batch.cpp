// The checks of a batch before anything runs (api/conversion.h).
#include <optional>
#include <string>
#include <vector>

#include "api/conversion.h"
#include "api/tool_text.h"
#include "platform/fileops.h"

namespace hvx {
namespace {

// A file by its name made absolute (on Windows folded to one case and one
// separator) and, when it exists, its identity: two paths are one file when
// either is the same, so a link counts as what it links to.
struct CNamedFile {
  std::string path;  // as given
  std::string name;
  CFileId id;
  bool exists = false;
  explicit CNamedFile(const std::string& p) : path(p), name(AbsolutePath(p)), id(FileIdOf(name)) {
#ifdef _WIN32
    for (char& c : name) c = c == '/' ? '\\' : (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
#endif
    exists = StatFile(p).exists;
  }
  bool operator==(const CNamedFile& o) const { return name == o.name || id == o.id; }
};

}  // namespace

CBatchPlan PlanBatch(const std::vector<std::string>& modelPaths, const std::string& outputDir, bool html,
                     const std::string& reportJson) {
  CBatchPlan plan;
  if (const std::string problem = OutputFolderProblem(outputDir); !problem.empty()) {
    plan.status = kStatusBadArguments;
    plan.notes = problem + "\n";
    return plan;
  }
  // A result that would be a model is not written at all: the models it
  // would be go to inputsOf, for the conversion to refuse it and say so.
  std::vector<std::vector<std::string>>& inputsOf = plan.inputsOf;
  std::vector<CNamedFile> models, outputs, pages;
  for (const std::string& m : modelPaths) {
    models.emplace_back(m);
    outputs.emplace_back(OutputPath(m, outputDir));
    if (html) pages.emplace_back(PagePath(outputs.back().name));
  }
  const std::optional<CNamedFile> report =
      reportJson.empty() ? std::nullopt : std::optional<CNamedFile>(CNamedFile(reportJson));
  if (report)
    for (const CNamedFile& m : models)
      if (*report == m) {
        plan.status = kStatusFileError;
        plan.notes = Text(EText::kNotOverwritten, {reportJson, m.path}) + "\n";
        return plan;
      }
  inputsOf.assign(models.size(), {});
  std::vector<bool> writes(models.size());
  for (size_t i = 0; i < models.size(); ++i) {
    for (const CNamedFile& m : models)
      if (outputs[i] == m || (html && pages[i] == m)) inputsOf[i].push_back(m.path);
    writes[i] = models[i].exists && inputsOf[i].empty();
  }
  for (size_t i = 0; i < models.size(); ++i) {
    if (!writes[i]) continue;
    for (size_t j = 0; j < i; ++j)
      if (writes[j] && outputs[i] == outputs[j] && !(models[i] == models[j])) {
        plan.status = kStatusBadArguments;
        plan.notes = Text(EText::kSameOutput, {models[j].path, models[i].path, outputs[i].path}) + "\n";
        return plan;
      }
    if (report && (outputs[i] == *report || (html && pages[i] == *report))) {
      const CNamedFile& both = outputs[i] == *report ? outputs[i] : pages[i];
      plan.status = kStatusBadArguments;
      plan.notes = Text(EText::kSameOutput, {models[i].path, "--report-json", both.path}) + "\n";
      return plan;
    }
  }
  return plan;
}

}  // namespace hvx
