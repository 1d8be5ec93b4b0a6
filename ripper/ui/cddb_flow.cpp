#include "ripper/ui/cddb_flow.h"

#include <string>

#include "components/cddb/cddb.h"
#include "ripper/engine/message_pump.h"
#include "ripper/engine/session_names.h"
#include "ripper/engine/track_tags.h"
#include "ripper/engine/user_message.h"
#include "ripper/engine/window_basics.h"
#include "ripper/ui/code_dialog.h"
#include "ripper/ui/form1.h"
#include "ripper/ui/form1_ids.h"
#include "ripper/ui/form3.h"

namespace {

constexpr wchar_t kCaptionOn[] = L"Use CDDB";
constexpr wchar_t kCaptionOff[] = L"Dont use CDDB";

// Replaces one List1 entry in place, keeping its selection.
void SetEntry(HWND list, int index, const std::wstring& text) {
  const bool selected = SendMessageW(list, LB_GETSEL, index, 0) > 0;
  SendMessageW(list, LB_DELETESTRING, index, 0);
  SendMessageW(list, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str()));
  if (selected) SendMessageW(list, LB_SETSEL, TRUE, index);
}

void KeepDiscDetails(CddbClient& client) {
  CddbDiscDetails d;
  CddbEntry e;
  if (CddbLastEntry(client, e)) d = {e.artist, e.album, e.year, e.genre};
  SetCddbDiscDetails(d);
}

// A WM_QUIT that came during the lookup is kept by the pumps here; it has
// to reach the main loop however the flow ends.
struct QuitForwarder {
  ~QuitForwarder() { RepostPendingQuit(); }
};

void BackToMainWindow(Form1& form) {
  Form3Unload();
  ShowWindow(form.Hwnd(), SW_SHOW);
  PumpPendingMessages();
}

}  // namespace

void Command7Flow(Form1& form) {
  HWND button = form.Control(kIdCommand7);
  HWND main = form.Hwnd();
  Form1State& st = form.State();

  if (WindowText(button) == kCaptionOff) {
    st.UseCddb = kVbFalse;
    SetWindowTextW(button, kCaptionOn);
    ClearCddbDiscDetails();
    form.LoadTrackList();
    return;
  }
  CddbClient& cddb = form.Cddb();
  QuitForwarder forwardQuit;
  st.UseCddb = kVbTrue;
  cddb.SetClientName(L"trackforge");
  ShowUserMessage(main,
                  L"To Identify the CD using CDDB database you must connect to the internet, "
                  L"please do so now");
  cddb.SetConnection(L"Open");
  Form3Show();
  ShowWindow(main, SW_HIDE);
  PumpPendingMessages();
  const std::wstring title = cddb.DiscTitle();
  const std::wstring failure = cddb.LastError();

  if (!failure.empty()) {
    // The same way out as a No, with the reason.
    cddb.SetConnection(L"Close");
    BackToMainWindow(form);
    st.UseCddb = kVbFalse;
    ClearCddbDiscDetails();
    if (QuitPending()) return;  // closing: no message to answer
    ShowUserMessage(main, L"The CD could not be identified through CDDB.\n\n" + failure);
    return;
  }

  const int answer =
      ShowUserMessage(Form3Window(), L"Is this the CD you have in the Drive ?\n" + title, MB_YESNO);
  BackToMainWindow(form);

  if (answer != IDYES) {
    ShowUserMessage(main,
                    L"Ok, then the use of CDDB is disabled for now, you can disconnect from the "
                    L"internet if you want to");
    st.UseCddb = kVbFalse;
    cddb.SetConnection(L"Close");
    return;
  }

  const int16_t n = cddb.CddbTrackCount();
  HWND list1 = form.Control(kIdList1);
  const int entries = int(SendMessageW(list1, LB_GETCOUNT, 0, 0));
  // Titles beyond the track list have no entry to go to and are dropped.
  for (int16_t t = 1; t >= 1 && t <= n && t <= entries; ++t) {
    int16_t track = t;
    SetEntry(list1, t - 1, NumberText(t) + L" - " + cddb.TrackTitle(track));
  }
  cddb.SetConnection(L"Close");
  KeepDiscDetails(cddb);
  ShowUserMessage(main, L"Data retrieved, you can disconnect from the internet now");
  SetWindowTextW(button, kCaptionOff);
}
