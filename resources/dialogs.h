// English texts of the two dialogs and of the plug-in's own messages, for
// platforms that show them without the resources (the console prompts), and
// for Windows when a text is missing from the resources. The control identifiers live in
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

// The plug-in's words around a file error on Windows (the string table of
// resources/dialogs_en.rc has them; the other languages' have translations).
inline constexpr const char* kFileNotCreatedText = "The file could not be created:";
inline constexpr const char* kFileNotWrittenText = "An error occurred while writing the file:";

// The plug-in's own message when a model's path cannot be handed to the host
// (as the string table of resources/dialogs_en.rc has it).
inline constexpr const char* kPathNotForHostText =
    "This model cannot be converted here: its folder has no short (8.3) name and its path holds characters that "
    "the system's code page for programs cannot, so the converted file's path could not be handed to the program. "
    "Move the model to a folder whose path holds only such characters. Nothing was written.";

}  // namespace hvx
