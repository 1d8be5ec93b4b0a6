#include "tests/e2e/harness/e2e_harness.h"

#include "tests/e2e/probe/menu_probe.h"
#include "common/proc_address.h"

namespace e2e {

std::wstring WinePath(const std::string& unixPath) {
  std::wstring w = L"Z:";
  for (char c : unixPath) w += c == '/' ? L'\\' : wchar_t(static_cast<unsigned char>(c));
  return w;
}

std::string Utf8(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), int(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.c_str(), int(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::vector<std::string> LogLines(const std::wstring& path) {
  const std::string all = ReadAll(path);
  std::vector<std::string> out;
  size_t at = 0;
  while (at < all.size()) {
    size_t end = all.find("\r\n", at);
    if (end == std::string::npos) {
      out.push_back(all.substr(at) + "<no CR LF>");
      break;
    }
    out.push_back(all.substr(at, end - at));
    at = end + 2;
  }
  return out;
}

namespace {

struct FindCtx {
  DWORD pid;
  const std::wstring* cls;
  const std::wstring* title;
  HWND found;
};

BOOL CALLBACK FindProc(HWND h, LPARAM lp) {
  auto* c = reinterpret_cast<FindCtx*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != c->pid || !IsWindowVisible(h)) return TRUE;
  wchar_t cls[256] = {};
  GetClassNameW(h, cls, 256);
  if (!c->cls->empty() && *c->cls != cls) return TRUE;
  if (c->title && Text(h) != *c->title) return TRUE;
  c->found = h;
  return FALSE;
}

}  // namespace

HWND Process::FindTopWindow(const std::wstring& cls, const std::wstring* title) const {
  FindCtx c{Id(), &cls, title, nullptr};
  EnumWindows(FindProc, reinterpret_cast<LPARAM>(&c));
  return c.found;
}

HWND Process::WaitTopWindow(const std::wstring& cls, DWORD timeoutMs) const {
  HWND h = nullptr;
  WaitFor([&] { return (h = FindTopWindow(cls)) != nullptr || !Running(); }, timeoutMs);
  return h;
}

// ---- controls ---------------------------------------------------------------

std::wstring Text(HWND h) {
  wchar_t buf[4096] = {};
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &got))
    return {};
  return std::wstring(buf, got);
}

std::vector<std::wstring> ListBoxItems(HWND list) {
  std::vector<std::wstring> out;
  int n = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    LRESULT len = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    if (len < 0 || len > 4000) {
      out.emplace_back();
      continue;
    }
    std::wstring s(size_t(len) + 1, L'\0');
    LRESULT got = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(s.data()));
    s.resize(got > 0 ? size_t(got) : 0);
    out.push_back(s);
  }
  return out;
}

int FindListItem(HWND list, const std::function<bool(const std::wstring&)>& match) {
  const std::vector<std::wstring> items = ListBoxItems(list);
  for (size_t i = items.size(); i-- > 0;)
    if (match(items[i])) return int(i);
  return -1;
}

std::vector<int> ListBoxSelection(HWND list) {
  std::vector<int> out;
  int n = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i)
    if (SendMessageW(list, LB_GETSEL, i, 0) > 0) out.push_back(i);
  return out;
}

namespace {

LPARAM ItemPoint(HWND list, int index) {
  int top = int(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
  int h = int(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  return MAKELPARAM(10, (index - top) * h + h / 2);
}

}  // namespace

bool ClickListItem(HWND list, int index) {
  if (index < 0 || index >= int(SendMessageW(list, LB_GETCOUNT, 0, 0))) return false;
  LPARAM pt = ItemPoint(list, index);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, pt);
  PostMessageW(list, WM_LBUTTONUP, 0, pt);
  return true;
}

bool DoubleClickListItem(HWND list, int index) {
  if (!ClickListItem(list, index)) return false;
  LPARAM pt = ItemPoint(list, index);
  PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, pt);
  PostMessageW(list, WM_LBUTTONUP, 0, pt);
  return true;
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void PostCommand(HWND window, int id) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

// ---- message boxes ----------------------------------------------------------

namespace {

std::wstring DialogText(HWND dlg) {
  // The message is the dialog's static control with id 0xFFFF.
  HWND st = GetDlgItem(dlg, 0xFFFF);
  if (st) return Text(st);
  std::wstring all;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t cls[64] = {};
    GetClassNameW(c, cls, 64);
    if (lstrcmpiW(cls, L"Static") == 0) all += Text(c);
  }
  return all;
}

}  // namespace

std::vector<MessageBoxSeen> DismissMessageBoxes(const Process& p, const std::wstring& caption) {
  std::vector<MessageBoxSeen> seen;
  const std::wstring cls = L"#32770";
  for (int guard = 0; guard < 20; ++guard) {
    HWND dlg = p.FindTopWindow(cls, &caption);
    if (!dlg) break;
    seen.push_back({DialogText(dlg)});
    HWND ok = GetDlgItem(dlg, IDOK);
    if (!ok) ok = GetDlgItem(dlg, IDCANCEL);
    if (ok) {
      Click(ok);
    } else {
      PostMessageW(dlg, WM_CLOSE, 0, 0);
    }
    WaitFor([&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); }, 5000);
  }
  return seen;
}

bool WaitMessageBox(const Process& p, const std::wstring& caption, std::wstring* text, DWORD timeoutMs) {
  const std::wstring cls = L"#32770";
  if (!WaitFor([&] { return p.FindTopWindow(cls, &caption) != nullptr; }, timeoutMs)) return false;
  std::vector<MessageBoxSeen> seen = DismissMessageBoxes(p, caption);
  if (seen.empty()) return false;
  if (text) *text = seen.front().text;
  return true;
}

// ---- menu probe -------------------------------------------------------------

namespace {
constexpr wchar_t kReplyClass[] = L"wq.e2e.MenuProbeReply";
}

MenuProbe::MenuProbe() {
  query_ = RegisterWindowMessageW(WQ_MENU_PROBE_QUERY_NAME);
  WNDCLASSW wc{};
  wc.lpfnWndProc = ReplyProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kReplyClass;
  RegisterClassW(&wc);
  reply_ = CreateWindowExW(0, kReplyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  if (reply_) SetWindowLongPtrW(reply_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MenuProbe::~MenuProbe() {
  if (hook_) UnhookWindowsHookEx(hook_);
  if (reply_) DestroyWindow(reply_);
  if (dll_) FreeLibrary(dll_);
}

bool MenuProbe::Attach(HWND target) {
  target_ = target;
  if (!reply_) {
    error_ = L"no reply window";
    return false;
  }
  if (!dll_) dll_ = LoadLibraryW((BinDir() + L"\\menu_probe.dll").c_str());
  if (!dll_) {
    error_ = L"menu_probe.dll not found beside the test";
    return false;
  }
  auto proc = ProcAddress<HOOKPROC>(dll_, WQ_MENU_PROBE_HOOK_EXPORT);
  if (!proc) {
    error_ = L"menu_probe.dll lacks its hook export";
    return false;
  }
  DWORD thread = GetWindowThreadProcessId(target, nullptr);
  if (hook_) UnhookWindowsHookEx(hook_);
  hook_ = SetWindowsHookExW(WH_GETMESSAGE, proc, dll_, thread);
  if (!hook_) {
    error_ = L"SetWindowsHookEx failed: " + std::to_wstring(GetLastError());
    return false;
  }
  return true;
}

LRESULT CALLBACK MenuProbe::ReplyProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COPYDATA) {
    auto* self = reinterpret_cast<MenuProbe*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    auto* cds = reinterpret_cast<COPYDATASTRUCT*>(lp);
    if (self && cds && cds->dwData == self->cookie_ && cds->lpData) {
      size_t chars = cds->cbData / sizeof(wchar_t);
      const wchar_t* p = static_cast<const wchar_t*>(cds->lpData);
      while (chars > 0 && p[chars - 1] == L'\0') --chars;
      self->answer_.assign(p, chars);
      self->answered_ = true;
    }
    return TRUE;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

bool MenuProbe::Items(int submenu, std::vector<MenuItem>& out, DWORD timeoutMs) {
  out.clear();
  if (!hook_) {
    error_ = L"not attached";
    return false;
  }
  ++cookie_;
  answered_ = false;
  answer_.clear();
  if (!PostMessageW(target_, query_, reinterpret_cast<WPARAM>(reply_),
                    MAKELPARAM(WORD(submenu + 1), cookie_))) {
    error_ = L"the target window is gone";
    return false;
  }
  if (!WaitFor([&] { return answered_; }, timeoutMs)) {
    error_ = L"no answer from the probe";
    return false;
  }
  size_t pos = 0;
  while (pos < answer_.size()) {
    size_t end = answer_.find(L'\n', pos);
    if (end == std::wstring::npos) end = answer_.size();
    std::wstring line = answer_.substr(pos, end - pos);
    pos = end + 1;
    size_t t1 = line.find(L'\t');
    size_t t2 = t1 == std::wstring::npos ? t1 : line.find(L'\t', t1 + 1);
    if (line.compare(0, 6, L"error\t") == 0 || t2 == std::wstring::npos) {
      error_ = line;
      return false;
    }
    MenuItem item;
    item.id = _wtoi(line.substr(0, t1).c_str());
    item.state = UINT(wcstoul(line.substr(t1 + 1, t2 - t1 - 1).c_str(), nullptr, 16));
    item.text = line.substr(t2 + 1);
    out.push_back(item);
  }
  return true;
}

}  // namespace e2e
