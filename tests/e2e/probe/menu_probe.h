// Menu probe: a hook DLL that answers questions about a window's menu from
// inside the window's own process (another process cannot read a menu under
// Wine). The driver installs MenuProbeHook as a WH_GETMESSAGE hook on the
// target's UI thread and posts the query message to the target window:
//
//   PostMessage(target, RegisterWindowMessage(kMenuProbeQueryName),
//               (WPARAM)replyWindow, MAKELPARAM(submenu + 1, cookie))
//
// submenu + 1 == 0 asks for the menu bar itself, n > 0 for the items of the
// bar's (n-1)-th popup. The hook swallows the message and sends the answer
// to replyWindow as WM_COPYDATA with dwData = cookie and a UTF-16 text of
// one line per item: "<id>\t<state hex>\t<text>\n" (id -1 for a popup,
// state as GetMenuState returns it). An unknown menu answers with the
// single line "error\t<what>\n".
#pragma once

#define WQ_MENU_PROBE_QUERY_NAME L"wq.MenuProbe.Query"
#define WQ_MENU_PROBE_HOOK_EXPORT "MenuProbeHook"
