#include "ripper/ui/form4.h"

#include <string>

#include "ripper/engine/session_names.h"
#include "ripper/engine/user_message.h"
#include "ripper/engine/window_basics.h"
#include "ripper/ui/cddbui_ids.h"
#include "ripper/ui/code_dialog.h"
#include "ripper/ui/form1.h"

namespace {

HWND g_form4 = nullptr;

std::wstring SystemErrorText(DWORD code) {
  wchar_t* buf = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
  std::wstring s = n && buf ? std::wstring(buf, n) : L"Error " + std::to_wstring(code) + L".";
  if (buf) LocalFree(buf);
  while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' ')) s.pop_back();
  return s;
}

void MakeDirClick(HWND dlg, Form1& form) {
  const std::wstring name = WindowText(GetDlgItem(dlg, kIdForm4Text1));
  // The same join as the session's paths: nothing after a drive root.
  const std::wstring path = JoinOutputPath(form.OutputFolder(), name);
  if (name.empty()) {
    ShowUserMessage(dlg, L"Please type the name of the new folder.");
    return;
  }
  if (!CreateDirectoryW(path.c_str(), nullptr)) {
    // Reported, and the dialog stays open with the name kept.
    const DWORD err = GetLastError();
    ShowUserMessage(dlg, L"The folder " + path + L" cannot be created.\n\n" + SystemErrorText(err));
    SetFocus(GetDlgItem(dlg, kIdForm4Text1));
    return;
  }
  form.RefreshDir1();
  EndDialog(dlg, IDOK);
}

INT_PTR Handle(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
      g_form4 = dlg;
      code_dialog::SizeAndCentre(dlg, 3765, 1035);
      HWND text =
          code_dialog::AddControl(dlg, kIdForm4Text1, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP,
                                  240, 240, 3255, 285, WS_EX_CLIENTEDGE);
      // Shown as the default: Enter after typing the name makes the folder.
      code_dialog::AddControl(dlg, kIdForm4Command1, L"BUTTON", L"Make Dir", BS_DEFPUSHBUTTON | WS_TABSTOP,
                              960, 600, 1215, 375);
      code_dialog::AddControl(dlg, kIdForm4Command2, L"BUTTON", L"Abort", BS_PUSHBUTTON | WS_TABSTOP, 2280,
                              600, 1215, 375);
      SetFocus(text);
      return FALSE;  // focus set here
    }
    case WM_COMMAND:
      if (!form) break;
      switch (LOWORD(wp)) {
        case kIdForm4Command1:
        case IDOK:  // what the dialog manager sends for Enter
          if (HIWORD(wp) == BN_CLICKED) MakeDirClick(dlg, *form);
          return TRUE;
        case kIdForm4Command2:
        case IDCANCEL:  // Esc and the close box abort as well
          EndDialog(dlg, IDCANCEL);
          return TRUE;
      }
      break;
    case WM_DESTROY:
      g_form4 = nullptr;
      break;
  }
  return FALSE;
}

}  // namespace

void ShowForm4(Form1& form) {
  if (g_form4) return;
  code_dialog::Run(form.Hwnd(), L"Make Directory", code_dialog::Guarded<Handle>,
                   reinterpret_cast<LPARAM>(&form));
}

void Form4Unload() { code_dialog::EndIfUp(g_form4, IDCANCEL); }

HWND Form4Window() { return g_form4; }
