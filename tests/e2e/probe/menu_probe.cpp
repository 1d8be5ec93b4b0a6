#include "tests/e2e/probe/menu_probe.h"

#include <windows.h>

#include <string>

namespace {

std::wstring DescribeMenu(HMENU menu) {
  std::wstring out;
  int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    wchar_t text[512] = {};
    GetMenuStringW(menu, UINT(i), text, 512, MF_BYPOSITION);
    UINT id = GetMenuItemID(menu, i);
    UINT state = GetMenuState(menu, UINT(i), MF_BYPOSITION);
    wchar_t head[64];
    wsprintfW(head, L"%d\t%x\t", id == UINT(-1) ? -1 : int(id), state);
    out += head;
    out += text;
    out += L"\n";
  }
  return out;
}

std::wstring Answer(HWND target, int submenuPlusOne) {
  HMENU bar = GetMenu(target);
  if (!bar) return L"error\tno menu bar\n";
  if (submenuPlusOne == 0) return DescribeMenu(bar);
  HMENU sub = GetSubMenu(bar, submenuPlusOne - 1);
  if (!sub) return L"error\tno such submenu\n";
  return DescribeMenu(sub);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuProbeHook(int code, WPARAM wp, LPARAM lp) {
  static const UINT query = RegisterWindowMessageW(WQ_MENU_PROBE_QUERY_NAME);
  if (code == HC_ACTION && wp == PM_REMOVE) {
    MSG* m = reinterpret_cast<MSG*>(lp);
    if (m && query && m->message == query) {
      HWND reply = reinterpret_cast<HWND>(m->wParam);
      std::wstring text = Answer(m->hwnd, LOWORD(m->lParam));
      COPYDATASTRUCT cds{};
      cds.dwData = HIWORD(m->lParam);
      cds.cbData = DWORD((text.size() + 1) * sizeof(wchar_t));
      cds.lpData = text.data();
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(reply, WM_COPYDATA, reinterpret_cast<WPARAM>(m->hwnd),
                          reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, 5000, &ignored);
      m->message = WM_NULL;  // the target never sees the query
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
