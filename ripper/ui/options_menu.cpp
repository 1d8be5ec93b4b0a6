#include "ripper/ui/options_menu.h"

#include "ripper/engine/user_message.h"
#include "ripper/ui/read_offset_dialog.h"
#include "ripper/ui/read_offset_text.h"

void OptionsMenu::AppendTo(HMENU bar) {
  secure_ = run_.secure || store_.Check(kSecureReadingValue, false);
  verify_ = run_.verify || store_.Check(kVerifyAccurateRipValue, false);
  menu_ = CreatePopupMenu();
  AppendMenuW(menu_, MF_STRING | (secure_ ? MF_CHECKED : MF_UNCHECKED), kMenuSecureReading,
              L"Secure reading");
  AppendMenuW(menu_, MF_STRING | (verify_ ? MF_CHECKED : MF_UNCHECKED), kMenuVerifyAccurateRip,
              L"Verify with AccurateRip");
  AppendMenuW(menu_, MF_STRING, kMenuReadOffset, L"Read offset...");
  AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(menu_), L"Options");
}

void OptionsMenu::Toggle(int id, bool& check, const wchar_t* valueName, HWND owner) {
  check = !check;
  CheckMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | (check ? MF_CHECKED : MF_UNCHECKED));
  if (!store_.SetCheck(valueName, check))
    ShowUserMessage(owner, L"The setting cannot be saved: it applies until wavequill ends.");
}

void OptionsMenu::Click(int id, HWND owner, const std::wstring& driveDescription) {
  switch (id) {
    case kMenuSecureReading:
      Toggle(id, secure_, kSecureReadingValue, owner);
      break;
    case kMenuVerifyAccurateRip:
      Toggle(id, verify_, kVerifyAccurateRipValue, owner);
      break;
    case kMenuReadOffset: {
      int32_t offset = Current(driveDescription).read.offsetSamples;
      if (!ShowReadOffsetDialog(owner, DriveSettingName(driveDescription), offset)) break;
      // The user's choice replaces what the command line set for this run.
      run_.haveReadOffset = false;
      if (!store_.SetReadOffset(driveDescription, offset)) {
        run_.haveReadOffset = true;
        run_.readOffset = offset;
        ShowUserMessage(owner, L"The read offset cannot be saved: it applies until wavequill ends.");
      }
      break;
    }
  }
}

RipOptions OptionsMenu::Current(const std::wstring& driveDescription) const {
  RipOptions o;
  o.read.secure = secure_;
  o.verify = verify_;
  int32_t stored = 0;
  if (run_.haveReadOffset)
    o.read.offsetSamples = run_.readOffset;
  else if (!driveDescription.empty() && store_.ReadOffset(driveDescription, stored))
    o.read.offsetSamples = stored;
  return o;
}
