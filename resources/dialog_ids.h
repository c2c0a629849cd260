// Identifiers of the two dialog templates and their controls, the one
// definition shared by the resource scripts (resources/dialogs*.rc) and the
// code. Plain macros, so the resource compiler reads this file as well.
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

// Controls that are never addressed (the labels).
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif  // HALVEX_RESOURCES_DIALOG_IDS_H
