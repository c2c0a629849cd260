// English texts of the two dialogs, for platforms that show them without the
// dialog templates (the console prompts). The control identifiers live in
// resources/dialog_ids.h; the templates themselves in resources/dialogs*.rc.
#pragma once

#include "resources/dialog_ids.h"

namespace hvx {

inline constexpr const char* kFileInputCaption = "Import HALVEX ";
inline constexpr const char* kModelFileLabel = "Model File";
inline constexpr const char* kResultFileLabel = "Result File";
// Default extensions of the two file-open dialogs.
inline constexpr const char* kModelDefaultExt = "hvt";
inline constexpr const char* kResultDefaultExt = "hvb";

inline constexpr const char* kMessageWindowCaption = "Message Window";
inline constexpr const char* kCloseButton = "Close";

}  // namespace hvx
