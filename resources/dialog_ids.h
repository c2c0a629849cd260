// Identifiers of the plug-in's resources: the two dialog templates and their
// controls, its string table and its manifest; the one definition shared by
// the resource scripts (resources/*.rc) and the code. Plain macros, so the
// resource compiler reads this file as well.
#ifndef HALVEX_RESOURCES_DIALOG_IDS_H
#define HALVEX_RESOURCES_DIALOG_IDS_H

// File input dialog.
#define IDD_FILE_INPUT 1000
#define IDC_MODEL_FILE 19001
#define IDC_RESULT_FILE 19002
#define IDC_MODEL_BROWSE 19003
#define IDC_RESULT_BROWSE 19005

// Message window.
#define IDD_MESSAGE_WINDOW 1002
#define IDC_MESSAGE_LIST 1000

// The plug-in's own texts (the catalogue's may come from another library,
// which need not have them).
#define IDS_FILE_NOT_CREATED 100
#define IDS_FILE_NOT_WRITTEN 101
#define IDS_PATH_NOT_FOR_HOST 102

// The plug-in's manifest (common controls version 6) for the activation
// context it creates around its dialogs; the number the system gives a
// library's manifest (ISOLATIONAWARE_MANIFEST_RESOURCE_ID).
#define IDR_PLUGIN_MANIFEST 2

// Controls that are never addressed (the labels).
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif  // HALVEX_RESOURCES_DIALOG_IDS_H
