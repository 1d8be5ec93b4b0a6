#include "ripper/ui/form1.h"

#include <commctrl.h>

#include "ripper/engine/form2.h"
#include "ripper/engine/session.h"
#include "ripper/engine/twips.h"
#include "ripper/engine/user_message.h"
#include "ripper/engine/window_basics.h"
#include "ripper/ui/about_box.h"
#include "ripper/ui/bitrate_table.h"
#include "ripper/ui/cddb_flow.h"
#include "ripper/ui/drive_list.h"
#include "ripper/ui/folder_list.h"
#include "ripper/ui/form1_ids.h"
#include "ripper/ui/form1_texts.h"
#include "ripper/ui/form4.h"
#include "ripper/ui/read_offset_dialog.h"
#include "wq_version.h"

namespace {

Form1* g_instance = nullptr;

constexpr COLORREF kLightYellow = RGB(255, 255, 192);
constexpr int kClientWidthTwips = 8145;
constexpr int kClientHeightTwips = 5685;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

constexpr wchar_t kAspiMessage[] =
    L"Can\u00B4t initialize ASPI ! Please use a newer version of ASPI. Program abort!";
constexpr wchar_t kDrivePrompt[] = L"Please select your audio CD drive from above.";

}  // namespace

Form1::Form1(Form1Components components) : components_(std::move(components)) {
  g_instance = this;
  if (components_.reader) components_.reader->SetEvents(this);
  if (components_.encoder) components_.encoder->SetEvents(this);
  for (size_t i = 0; i < components_.moreEncoders.size(); ++i) {
    slotEvents_.push_back(std::make_unique<SlotEvents>(*this, static_cast<int>(i + 1)));
    components_.moreEncoders[i]->SetEvents(slotEvents_.back().get());
  }
  if (components_.accurateRip) components_.accurateRip->SetEvents(this);
}

Form1::~Form1() {
  if (components_.reader) components_.reader->SetEvents(nullptr);
  if (components_.encoder) components_.encoder->SetEvents(nullptr);
  for (auto& e : components_.moreEncoders) e->SetEvents(nullptr);
  if (components_.accurateRip) components_.accurateRip->SetEvents(nullptr);
  if (hwnd_) DestroyWindow(hwnd_);
  if (yellow_) DeleteObject(yellow_);
  if (g_instance == this) g_instance = nullptr;
}

Form1* Form1::Instance() { return g_instance; }

// ---- window and controls --------------------------------------------------

bool Form1::Load() {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  auto icon = [inst](int cx, int cy) {
    return static_cast<HICON>(LoadImageW(inst, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, GetSystemMetrics(cx),
                                         GetSystemMetrics(cy), 0));
  };
  RegisterFormClass(WQ_FORM1_CLASS, WndProc, IDC_ARROW, icon(SM_CXICON, SM_CYICON),
                    icon(SM_CXSMICON, SM_CYSMICON));
  yellow_ = CreateSolidBrush(kLightYellow);

  HMENU bar = CreateBitRateMenu();
  hwnd_ = CreateWindowExW(0, WQ_FORM1_CLASS, L"X", kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          TwipsToPixels(kClientWidthTwips, ScreenDpi()),
                          TwipsToPixels(kClientHeightTwips, ScreenDpi()), nullptr, bar, inst, this);
  if (!hwnd_) {
    ShowUserMessage(nullptr, L"The main window cannot be created.");
    return false;
  }
  // Twips convert at the DPI of the screen the window is on.
  dpi_ = WindowDpi(hwnd_);
  font_ = MessageFont(dpi_);
  CreateControls();
  Layout();
  CentreOnMonitor(hwnd_);
  if (!FormLoad()) {
    // Ends at once: no unload handler, no window left.
    HWND gone = hwnd_;
    hwnd_ = nullptr;
    DestroyWindow(gone);
    return false;
  }
  return true;
}

void Form1::Show() {
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  SetFocus(Control(kIdList1));
}

HMENU Form1::CreateBitRateMenu() {
  HMENU bar = CreateMenu();
  bitRateMenu_ = CreatePopupMenu();
  for (int i = kFirstBitRateIndex; i <= kLastBitRateIndex; ++i) {
    UINT flags = MF_STRING | (i == kDefaultBitRateIndex ? MF_CHECKED : MF_UNCHECKED);
    AppendMenuW(bitRateMenu_, flags, BitRateMenuId(i), BitRateCaption(i).c_str());
  }
  AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(bitRateMenu_), L"Bitrate");
  options_.AppendTo(bar);
  return bar;
}

HWND Form1::AddControl(int id, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int cl,
                       int ct, int left, int top, int width, int height) {
  placed_.push_back({id, cl + left, ct + top, width, height});
  int x = TwipsToPixels(cl + left, dpi_), y = TwipsToPixels(ct + top, dpi_);
  int w = TwipsToPixels(width, dpi_), h = TwipsToPixels(height, dpi_);
  HWND c =
      CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (c) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return c;
}

void Form1::CreateControls() {
  // Created in tab order; frames' contents are placed relative to the frame.
  const DWORD frame = BS_GROUPBOX;
  const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
  const DWORD edit = ES_AUTOHSCROLL | WS_TABSTOP;
  const DWORD list = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;
  const int f1x = 0, f1y = 0, f2x = 4200, f2y = 0, f3x = 4200, f3y = 2160, f4x = 4200, f4y = 4800;

  AddControl(kIdFrame1, L"BUTTON", L"CD tracks", frame, 0, 0, 0, f1x, f1y, 4095, 5655);
  AddControl(kIdList1, L"LISTBOX", L"", list | LBS_MULTIPLESEL, WS_EX_CLIENTEDGE, f1x, f1y, 120, 240, 3855,
             4785);
  AddControl(kIdFrame2, L"BUTTON", L"Audio CD drives ( select first with double click )", frame, 0, 0, 0, f2x,
             f2y, 3855, 2055);
  AddControl(kIdList2, L"LISTBOX", L"", list, WS_EX_CLIENTEDGE, f2x, f2y, 120, 240, 3615, 1230);
  AddControl(kIdText1, L"EDIT", L"", edit, WS_EX_CLIENTEDGE, f2x, f2y, 120, 1560, 3615, 315);
  AddControl(kIdFrame3, L"BUTTON", L"Write mp3 files in ...      mp3 file name start as.. .", frame, 0, 0, 0,
             f3x, f3y, 3855, 2535);

  RECT r;
  r.left = TwipsToPixels(f3x + 120, dpi_);
  r.top = TwipsToPixels(f3y + 360, dpi_);
  r.right = r.left + TwipsToPixels(1575, dpi_);
  r.bottom = r.top + TwipsToPixels(315, dpi_);
  HWND drive1 = drive_list::Create(hwnd_, kIdDrive1, r, yellow_);
  placed_.push_back({kIdDrive1, f3x + 120, f3y + 360, 1575, 315});
  SendMessageW(drive1, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

  r.left = TwipsToPixels(f3x + 120, dpi_);
  r.top = TwipsToPixels(f3y + 840, dpi_);
  r.right = r.left + TwipsToPixels(3615, dpi_);
  r.bottom = r.top + TwipsToPixels(1215, dpi_);
  HWND dir1 = folder_list::Create(hwnd_, kIdDir1, r);
  placed_.push_back({kIdDir1, f3x + 120, f3y + 840, 3615, 1215});
  SendMessageW(dir1, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

  AddControl(kIdText2, L"EDIT", L"Track", edit, WS_EX_CLIENTEDGE, f3x, f3y, 1800, 360, 1935, 315);
  AddControl(kIdFrame4, L"BUTTON", L"Rip and encode", frame, 0, 0, 0, f4x, f4y, 3855, 855);
  AddControl(kIdCommand1, L"BUTTON", L"Start", button, 0, f4x, f4y, 240, 360, 975, 375);
  AddControl(kIdCommand3, L"BUTTON", L"Make Dir", button, 0, f3x, f3y, 2880, 2160, 855, 255);
  AddControl(kIdCommand4, L"BUTTON", L"Stop", button, 0, f1x, f1y, 1200, 5160, 975, 375);
  AddControl(kIdCommand5, L"BUTTON", L"Play", button, 0, f1x, f1y, 120, 5160, 975, 375);
  AddControl(kIdCommand6, L"BUTTON", L"Quit", button, 0, f4x, f4y, 2640, 360, 975, 375);
  AddControl(kIdCommand2, L"BUTTON", L"About", button, 0, 0, 0, 5640, 5160, 975, 375);
  AddControl(kIdCommand7, L"BUTTON", L"Use CDDB", button, 0, f1x, f1y, 2400, 5160, 1575, 375);

  // Long entries and the drive's description (a disc image's whole path)
  // can always be read whole.
  KeepEntriesWhole(Control(kIdList1));
  KeepEntriesWhole(Control(kIdList2));
  ShowWholeInTooltip(Control(kIdText1));
}

void Form1::Layout() {
  font_ = MessageFont(dpi_);
  for (const Placed& p : placed_) {
    HWND c = Control(p.id);
    SetWindowPos(c, nullptr, TwipsToPixels(p.left, dpi_), TwipsToPixels(p.top, dpi_),
                 TwipsToPixels(p.width, dpi_), TwipsToPixels(p.height, dpi_), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  // Owner-drawn items were measured before they had this font.
  HWND drive1 = Control(kIdDrive1), dir1 = Control(kIdDir1);
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, font_);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  int itemH = tm.tmHeight + 2;
  SendMessageW(dir1, LB_SETITEMHEIGHT, 0, itemH);
  SendMessageW(drive1, CB_SETITEMHEIGHT, 0, itemH);
  // The closed field plus its border comes to the design height.
  int field = TwipsToPixels(315, dpi_) - 2 * GetSystemMetrics(SM_CYEDGE) - 2;
  SendMessageW(drive1, CB_SETITEMHEIGHT, WPARAM(-1), field > itemH ? field : itemH);
  const SIZE grown = FitChildren(hwnd_, dpi_);
  SetClientSize(hwnd_, TwipsToPixels(kClientWidthTwips, dpi_) + grown.cx,
                TwipsToPixels(kClientHeightTwips, dpi_) + grown.cy);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form1::OnDpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
}

LRESULT CALLBACK Form1::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    static_cast<Form1*>(cs->lpCreateParams)->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<Form1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  try {
    return self->Handle(msg, wp, lp);
  } catch (...) {
    // Nothing may unwind into the window system.
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

LRESULT Form1::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
      // Every list, text box and the drive list share the light yellow.
      SetBkColor(reinterpret_cast<HDC>(wp), kLightYellow);
      SetTextColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(yellow_);
    case WM_MEASUREITEM: {
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (mi->CtlID == kIdDrive1) drive_list::Measure(mi, hwnd_);
      if (mi->CtlID == kIdDir1) folder_list::Measure(mi, hwnd_);
      return TRUE;
    }
    case WM_DRAWITEM: {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (di->CtlID == kIdDrive1) drive_list::Draw(di, yellow_);
      if (di->CtlID == kIdDir1) folder_list::Draw(di, yellow_);
      return TRUE;
    }
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wp), *DpiSuggestedRect(lp));
      return 0;
    case WM_CLOSE:
      Unload();
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void Form1::OnCommand(int id, int code) {
  if (code == 0 && id >= BitRateMenuId(kFirstBitRateIndex) && id <= BitRateMenuId(kLastBitRateIndex)) {
    BitRateClick(id - kMenuBitRateBase);
    return;
  }
  if (code == 0 && OptionsMenu::Handles(id)) {
    options_.Click(id, hwnd_, components_.reader ? Reader().DriveDescription(chosenDrive_) : std::wstring());
    return;
  }
  switch (id) {
    case kIdDrive1:
      if (code == CBN_SELCHANGE) Drive1Change();
      break;
    case kIdDir1:
      if (code == LBN_DBLCLK) Dir1Open();
      break;
    case kIdList2:
      if (code == LBN_DBLCLK) List2DblClick();
      break;
    case kIdCommand1:
      if (code == BN_CLICKED) Command1Click();
      break;
    case kIdCommand2:
      if (code == BN_CLICKED) Command2Click();
      break;
    case kIdCommand3:
      if (code == BN_CLICKED) Command3Click();
      break;
    case kIdCommand4:
      if (code == BN_CLICKED) Command4Click();
      break;
    case kIdCommand5:
      if (code == BN_CLICKED) Command5Click();
      break;
    case kIdCommand6:
      if (code == BN_CLICKED) Command6Click();
      break;
    case kIdCommand7:
      if (code == BN_CLICKED) Command7Click();
      break;
  }
}

// ---- start-up and unload --------------------------------------------------

bool Form1::FormLoad() {
  state_.BitRate = 128;
  if (!InitDevices()) return false;
  state_.UseCddb = kVbFalse;
  SetWindowTextW(hwnd_, MainCaption(WQ_VERSION_MAJOR, WQ_VERSION_MINOR).c_str());
  return true;
}

bool Form1::InitDevices() {
  if (Reader().InitAspi() != 0) {
    ShowUserMessage(nullptr, kAspiMessage);
    return false;
  }
  HWND drive1 = Control(kIdDrive1);
  drive_list::Fill(drive1);
  std::wstring start = L"c:\\";
  if (!drive_list::SelectDriveOf(drive1, start)) {
    SendMessageW(drive1, CB_SETCURSEL, 0, 0);
    start = drive_list::SelectedRoot(drive1);
  }
  std::wstring err;
  if (!start.empty() && !folder_list::SetPath(Control(kIdDir1), start, &err)) ShowUserMessage(nullptr, err);
  lastDriveRoot_ = start;
  SetWindowTextW(Control(kIdText1), kDrivePrompt);
  SendMessageW(Control(kIdList2), LB_RESETCONTENT, 0, 0);
  ProgressWindowPrepare(*this);
  int16_t n = Reader().DriveCount();
  if (!ReportReaderError(L"The CD drives cannot be listed.")) {
    for (int16_t k = 1; k <= n; ++k) {
      std::wstring d = Reader().DriveDescription(k);
      SendMessageW(Control(kIdList2), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(d.c_str()));
    }
  }
  // Errors (no drive, no disc in drive 1) are told when the user chooses a
  // drive; an empty drive must not greet every start with a message.
  Reader().SelectDrive(1);
  chosenDrive_ = 1;
  return true;
}

void Form1::Unload() {
  UnloadMakeDirDialog();
  ProgressWindowUnload();
  UnloadAboutBox();
  ReadOffsetDialogUnload();
}

void Form1::UnloadMakeDirDialog() { Form4Unload(); }

void Form1::UnloadAboutBox() { AboutBoxUnload(); }

bool Form1::ReportReaderError(const std::wstring& what) {
  std::wstring e = Reader().LastError();
  if (e.empty()) return false;
  HWND owner = hwnd_ && IsWindowVisible(hwnd_) ? hwnd_ : nullptr;
  ShowUserMessage(owner, what + L"\n\n" + e);
  return true;
}

// ---- handlers ---------------------------------------------------------------

void Form1::Drive1Change() {
  HWND drive1 = Control(kIdDrive1);
  std::wstring root = drive_list::SelectedRoot(drive1);
  if (root.empty() || root == lastDriveRoot_) return;
  std::wstring err;
  if (!drive_list::IsReady(root)) {
    err = L"The drive " + root.substr(0, 2) + L" is not ready.";
  } else if (folder_list::SetPath(Control(kIdDir1), root, &err)) {
    lastDriveRoot_ = root;
    return;
  }
  drive_list::SelectDriveOf(drive1, lastDriveRoot_);
  ShowUserMessage(hwnd_, err);
}

void Form1::Dir1Open() {
  HWND dir1 = Control(kIdDir1);
  std::wstring path = folder_list::SelectedEntryPath(dir1);
  if (path.empty() || path == folder_list::Path(dir1)) return;
  std::wstring err;
  if (!folder_list::SetPath(dir1, path, &err)) ShowUserMessage(hwnd_, err);
}

bool Form1::RefreshDir1() {
  std::wstring err;
  if (folder_list::Refresh(Control(kIdDir1), &err)) return true;
  ShowUserMessage(hwnd_, err);
  return false;
}

void Form1::List2DblClick() { LoadTrackList(); }

void Form1::LoadTrackList() {
  if (!components_.reader) return;
  int sel = int(SendMessageW(Control(kIdList2), LB_GETCURSEL, 0, 0));
  if (sel < 0) return;  // no drive chosen: drive 0 would only raise an error
  int16_t d = int16_t(sel + 1);
  Reader().SelectDrive(d);
  chosenDrive_ = d;
  std::wstring selectError = Reader().LastError();
  std::wstring desc = Reader().DriveDescription(d);
  SetWindowTextW(Control(kIdText1), desc.c_str());
  HWND list1 = Control(kIdList1);
  // Emptied even when the drive fails: the old tracks belong to another disc.
  SendMessageW(list1, LB_RESETCONTENT, 0, 0);
  if (!selectError.empty()) {
    ShowUserMessage(hwnd_, L"The disc in " + desc + L" cannot be read.\n\n" + selectError);
    return;
  }
  int16_t n = Reader().TrackCount();
  if (ReportReaderError(L"The disc in " + desc + L" cannot be read.")) return;
  if (n < 1) {
    // A data-only disc: an empty list alone would look like a failure.
    ShowUserMessage(hwnd_, L"The disc in " + desc + L" has no audio tracks.");
    return;
  }
  SendMessageW(list1, WM_SETREDRAW, FALSE, 0);
  for (int16_t t = 1; t >= 1 && t <= n; ++t) {
    int32_t ms = Reader().TrackLength(t);
    if (ReportReaderError(L"The length of track " + TwoDigits(t) + L" cannot be read.")) break;
    std::wstring e = TrackListEntry(t, ms);
    SendMessageW(list1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
  }
  SendMessageW(list1, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list1, nullptr, TRUE);
}

void Form1::Command5Click() {
  if (!components_.reader) return;
  HWND list1 = Control(kIdList1);
  // The current entry is the one with the caret; none before the first click.
  int current =
      SendMessageW(list1, LB_GETSELCOUNT, 0, 0) > 0 ? int(SendMessageW(list1, LB_GETCARETINDEX, 0, 0)) : -1;
  Reader().PlayTrack(int16_t(current + 1), 0, kVbTrue);
  ReportReaderError(L"The track cannot be played.");
}

void Form1::Command4Click() {
  if (!components_.reader) return;
  Reader().StopPlay();
  ReportReaderError(L"Playing cannot be stopped.");
}

void Form1::Command1Click() { RunSession(*this, hwnd_); }

void Form1::Command2Click() { ShowAboutBox(hwnd_); }

void Form1::Command3Click() { ShowForm4(*this); }

void Form1::Command7Click() { Command7Flow(*this); }

void Form1::Command6Click() { SendMessageW(hwnd_, WM_CLOSE, 0, 0); }

void Form1::BitRateClick(int index) {
  for (int i = kFirstBitRateIndex; i <= kLastBitRateIndex; ++i)
    CheckMenuItem(bitRateMenu_, BitRateMenuId(i), MF_BYCOMMAND | MF_UNCHECKED);
  BitRateChoice c = ChooseBitRate(state_.BitRate, index);
  state_.BitRate = c.bitRate;
  CheckMenuItem(bitRateMenu_, BitRateMenuId(c.checkedIndex), MF_BYCOMMAND | MF_CHECKED);
}

// ---- SessionHost and component events -----------------------------------------

int Form1::TrackListCount() { return int(SendMessageW(Control(kIdList1), LB_GETCOUNT, 0, 0)); }

bool Form1::TrackListSelected(int index) { return SendMessageW(Control(kIdList1), LB_GETSEL, index, 0) > 0; }

int Form1::TrackListSelectedCount() {
  LRESULT n = SendMessageW(Control(kIdList1), LB_GETSELCOUNT, 0, 0);
  return n > 0 ? int(n) : 0;
}

std::wstring Form1::OutputFolder() { return folder_list::Path(Control(kIdDir1)); }

std::wstring Form1::Prefix() { return WindowText(Control(kIdText2)); }

void Form1::ReadProgress(int32_t perMille) { SessionReadProgress(*this, perMille); }
void Form1::ReadDone() { SessionReadDone(*this); }
void Form1::ReadError(int32_t code, const std::wstring& message) { SessionReadError(*this, code, message); }
void Form1::EncodeProgress(int32_t amountDone) { SessionEncodeProgress(*this, amountDone); }
void Form1::EncodeDone() { SessionEncodeDone(*this); }
void Form1::SlotEvents::EncodeProgress(int32_t amountDone) { SessionEncodeProgress(form, slot, amountDone); }
void Form1::SlotEvents::EncodeDone() { SessionEncodeDone(form, slot); }

Mp3Encoder& Form1::SlotEncoder(int slot) {
  if (slot < 1 || slot > static_cast<int>(components_.moreEncoders.size())) return Encoder();
  return *components_.moreEncoders[static_cast<size_t>(slot - 1)];
}
void Form1::LookupDone() { SessionLookupDone(*this); }

RipOptions Form1::Options() {
  return options_.Current(components_.reader ? Reader().DriveDescription(chosenDrive_) : std::wstring());
}
