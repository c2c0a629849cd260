// The plug-in's dialogs: a thin modal dialog over an HWND, whose one static
// procedure finds the object through the window's user data (stored at
// WM_INITDIALOG), and the two dialogs built from the templates in the
// plug-in's own resources (resources/dialogs*.rc), in the user's interface
// language. Texts are UTF-16 inside; the platform layer converts at its edge.
#pragma once

#include "platform/win32.h"
// (windows.h first, through platform/win32.h.)

#include <string>
#include <vector>

namespace hvx {

// The text of a dialog's control.
std::wstring DlgItemText(HWND dialog, int id);

// A text of the plug-in's string table in the user's interface language (as
// the dialogs pick theirs), English when there is none in it.
std::wstring PluginString(unsigned id);

// Held around each of the plug-in's modal windows (dialogs, message boxes):
// its own activation context, whose manifest asks for the common controls of
// version 6, is active on this thread meanwhile (the host's stays as it
// was), and Owner() is the window it is modal to: the thread's active window,
// else its foreground window when that is the thread's, else the thread's
// first visible top-level window (the system disables it while the modal
// window is up).
class CModalScope {
 public:
  CModalScope();
  ~CModalScope();
  CModalScope(const CModalScope&) = delete;
  CModalScope& operator=(const CModalScope&) = delete;
  HWND Owner() const { return m_owner; }

 private:
  HWND m_owner;
  ULONG_PTR m_cookie = 0;
  bool m_activated = false;
};

// A modal dialog from a template of the plug-in's resources.
class CDialog {
 public:
  virtual ~CDialog() = default;

  // Runs the template modally; its end code, or -1 when it could not be shown.
  INT_PTR DoModal(int templateId);

 protected:
  HWND Handle() const { return m_hwnd; }
  void End(INT_PTR code) { ::EndDialog(m_hwnd, code); }

  // Return TRUE to let the system set the focus.
  virtual BOOL OnInit() { return TRUE; }
  virtual void OnOk() { End(IDOK); }
  virtual void OnCancel() { End(IDCANCEL); }
  // A button other than OK and Cancel; true when handled.
  virtual bool OnButtonClicked(int) { return false; }

 private:
  bool OnCommand(int id, int code);
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_hwnd = nullptr;
};

// The file input dialog (template IDD_FILE_INPUT): the model file and the
// result file, each typed or chosen in the system's file-open dialog.
class CFileInputDlg : public CDialog {
 public:
  std::wstring modelPath;
  std::wstring resultPath;

 protected:
  BOOL OnInit() override;
  void OnOk() override;
  bool OnButtonClicked(int id) override;

 private:
  void Refresh();
  void Browse(std::wstring& path, int field, const char* defaultExt, const char* filterId);
};

// The message window (template IDD_MESSAGE_WINDOW): the lines in a list box
// scrolled sideways as far as the widest one; Ctrl+C copies them all.
class CMsgDlg : public CDialog {
 public:
  explicit CMsgDlg(const std::vector<std::wstring>& lines) : m_lines(lines) {}

 protected:
  BOOL OnInit() override;

 private:
  static LONG WidestEntry(HWND list);
  static LRESULT CALLBACK KeyProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
  void CopyLines() const;
  const std::vector<std::wstring>& m_lines;
};

}  // namespace hvx
