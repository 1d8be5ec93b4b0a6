// Reads a window's File menu from a process of the window's own width (a
// hook DLL of one width is never loaded into a process of the other, and
// another process's menu cannot be read under Wine), for drivers of the
// other width.
//
//   menu_probe_cli HWND WAIT_MS [+TEXT | -TEXT | =TEXT]...
//
// Opens the File menu from the keyboard, reads it until it is open with
// every +TEXT among its items and no -TEXT, closes it and prints the items
// last seen, one a line. =TEXT instead walks up to that item from the
// keyboard and chooses it with Enter. Exit 0 when that held within
// WAIT_MS, 1 when not, 2 on a bad argument or a probe that could not be
// attached.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/harness/e2e_harness.h"

namespace {

std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s += c < 128 ? char(c) : '?';
  return s;
}

bool Has(const std::vector<e2e::MenuItem>& items, const std::wstring& text) {
  for (const auto& i : items)
    if (i.text == text) return true;
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  HWND target = reinterpret_cast<HWND>(static_cast<UINT_PTR>(wcstoull(argv[1], nullptr, 0)));
  DWORD waitMs = wcstoul(argv[2], nullptr, 10);
  if (!IsWindow(target)) {
    std::printf("error: no such window\n");
    return 2;
  }
  std::vector<std::wstring> present, absent;
  std::wstring choose;
  for (int i = 3; i < argc; ++i) {
    if (argv[i][0] == L'=') {
      choose = argv[i] + 1;
      present.push_back(choose);
    } else if (argv[i][0] == L'+')
      present.push_back(argv[i] + 1);
    else if (argv[i][0] == L'-')
      absent.push_back(argv[i] + 1);
    else
      return 2;
  }
  e2e::MenuProbe probe;
  if (!probe.Attach(target)) {
    std::printf("error: %s\n", Narrow(probe.error()).c_str());
    return 2;
  }
  std::vector<e2e::MenuItem> bar, items;
  // Open means the bar's first popup is highlighted: a closed menu never
  // holds the items, so their absence there would prove nothing.
  auto open = [&] { return probe.Items(-1, bar, 1000) && !bar.empty() && (bar[0].state & MF_HILITE); };
  auto holds = [&] {
    if (!probe.Items(0, items, 1000)) return false;
    for (const auto& t : present)
      if (!Has(items, t)) return false;
    for (const auto& t : absent)
      if (Has(items, t)) return false;
    return true;
  };
  bool ok = false;
  DWORD start = GetTickCount();
  while (!ok && GetTickCount() - start < waitMs) {
    if (!open()) {
      PostMessageW(target, WM_SYSCOMMAND, SC_KEYMENU, 'f');
      e2e::WaitFor(open, 2000);
      continue;
    }
    ok = holds();
    if (!ok) e2e::WaitFor([] { return false; }, 200);
  }
  for (const auto& i : items) std::printf("%d\t%s\n", i.id, Narrow(i.text).c_str());
  if (ok && !choose.empty()) {
    auto highlighted = [&] {
      std::vector<e2e::MenuItem> now;
      if (!probe.Items(0, now, 1000)) return false;
      for (const auto& i : now)
        if (i.text == choose) return (i.state & MF_HILITE) != 0;
      return false;
    };
    bool reached = false;
    for (size_t k = 0; k < items.size() + 2 && !reached; ++k) {
      PostMessageW(target, WM_KEYDOWN, VK_UP, 0);
      PostMessageW(target, WM_KEYUP, VK_UP, 0xC0000001);
      reached = e2e::WaitFor(highlighted, 700);
    }
    if (!reached) {
      std::printf("error: the keyboard did not reach the item\n");
      ok = false;
    } else {
      PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0);
      PostMessageW(target, WM_KEYUP, VK_RETURN, 0xC0000001);
      std::printf("chosen\n");
      std::fflush(stdout);
      return 0;
    }
  }
  for (int k = 0; k < 2 && open(); ++k) {
    PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    e2e::WaitFor([&] { return !open(); }, 1000);
  }
  std::fflush(stdout);
  return ok ? 0 : 1;
}
