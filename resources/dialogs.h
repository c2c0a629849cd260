// Texts and control identifiers of the two dialogs: the file input dialog
// (template 1000) and the message window (template 1002). The console platform
// uses the texts as its prompts; a Windows platform builds its dialogs from
// the same templates.
#pragma once

namespace hvx {

inline constexpr int kFileInputTemplate = 1000;
inline constexpr const char* kFileInputCaption = "Import HALVEX ";
inline constexpr const char* kModelFileLabel = "Model File";
inline constexpr const char* kResultFileLabel = "Result File";
inline constexpr int kModelEdit = 19001;
inline constexpr int kResultEdit = 19002;
inline constexpr int kModelBrowse = 19003;
inline constexpr int kResultBrowse = 19005;
inline constexpr const char* kModelDefaultExt = ".hvt";
inline constexpr const char* kResultDefaultExt = ".hvb";

inline constexpr int kMessageWindowTemplate = 1002;
inline constexpr const char* kMessageWindowCaption = "Message Window";
inline constexpr int kMessageList = 1000;
inline constexpr const char* kCloseButton = "Close";

inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;

}  // namespace hvx
