#include "ripper/ui/read_offset_dialog.h"

#include "ripper/engine/user_message.h"
#include "ripper/engine/window_basics.h"
#include "ripper/ui/code_dialog.h"
#include "ripper/ui/read_offset_text.h"

namespace {

HWND g_dialog = nullptr;

struct DialogData {
  std::wstring driveName;
  int32_t offset = 0;
};

bool OkClick(HWND dlg, DialogData& data) {
  HWND text = GetDlgItem(dlg, kIdReadOffsetText);
  int32_t value = 0;
  if (!ParseReadOffset(WindowText(text), value)) {
    ShowUserMessage(dlg, ReadOffsetRangeMessage());
    SetFocus(text);
    SendMessageW(text, EM_SETSEL, 0, -1);
    return false;
  }
  data.offset = value;
  return true;
}

INT_PTR Handle(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* data = reinterpret_cast<DialogData*>(GetWindowLongPtrW(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
      data = reinterpret_cast<DialogData*>(lp);
      g_dialog = dlg;
      code_dialog::SizeAndCentre(dlg, 5040, 2400);
      const std::wstring label =
          L"Read-offset correction of " + data->driveName + L", in samples (-3000 to +3000):";
      code_dialog::AddControl(dlg, kIdReadOffsetLabel, L"STATIC", label.c_str(), SS_LEFT, 240, 180, 4560,
                              435);
      HWND text = code_dialog::AddControl(
          dlg, kIdReadOffsetText, L"EDIT", ReadOffsetText(data->offset).c_str(),
          ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, 240, 690, 1215, 315, WS_EX_CLIENTEDGE);
      code_dialog::AddControl(
          dlg, kIdReadOffsetHint, L"STATIC",
          L"This is the value the AccurateRip drive list gives for this drive, for example +6.", SS_LEFT, 240,
          1140, 4560, 435);
      code_dialog::AddControl(dlg, IDOK, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 2400,
                              1800, 1095, 375);
      code_dialog::AddControl(dlg, IDCANCEL, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 3705, 1800,
                              1095, 375);
      SetFocus(text);
      SendMessageW(text, EM_SETSEL, 0, -1);
      return FALSE;  // focus set here
    }
    case WM_COMMAND:
      if (!data) break;
      switch (LOWORD(wp)) {
        case IDOK:
          if (HIWORD(wp) == BN_CLICKED && OkClick(dlg, *data)) EndDialog(dlg, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dlg, IDCANCEL);
          return TRUE;
      }
      break;
    case WM_DESTROY:
      g_dialog = nullptr;
      break;
  }
  return FALSE;
}

}  // namespace

bool ShowReadOffsetDialog(HWND owner, const std::wstring& driveName, int32_t& offset) {
  if (g_dialog) return false;
  DialogData data{driveName, offset};
  const INT_PTR r = code_dialog::Run(owner, kReadOffsetCaption, code_dialog::Guarded<Handle>,
                                     reinterpret_cast<LPARAM>(&data));
  if (r != IDOK) return false;
  offset = data.offset;
  return true;
}

HWND ReadOffsetDialogWindow() { return g_dialog; }

void ReadOffsetDialogUnload() { code_dialog::EndIfUp(g_dialog, IDCANCEL); }
