// Long random sequences of menu and command messages sent to a subclassed
// test editor: it must survive them, and its File menu must never hold the
// items twice.

#include <gtest/gtest.h>

#include <random>

#include "tests/win/menulink_integration/harness.h"

namespace {

TEST(Robustness, RandomMenuAndCommandMessages) {
    ASSERT_NE(Internals(), nullptr);
    Controller controller(true);
    ASSERT_TRUE(controller.Started());
    std::string module = UniqueModule("TZ");
    ASSERT_GE(RegisterModule(module), 0);
    Editor editor(module, "--layout close");
    ASSERT_TRUE(editor.Started());
    HWND hwnd = editor.Window();

    std::mt19937 rng(12345);
    EditorReport r = editor.Report();
    ASSERT_TRUE(r.subclassed);
    const WPARAM fileMenu = static_cast<WPARAM>(r.fileMenu);
    unsigned acquire = 0, settings = 0;
    const UINT messages[] = {WM_INITMENUPOPUP, WM_MENUSELECT, WM_COMMAND, WM_INITMENU, WM_SYSCOMMAND, WM_NULL};
    for (int i = 0; i < 3000; ++i) {
        UINT msg = messages[rng() % 6];
        WPARAM wParam = rng();
        LPARAM lParam = static_cast<LPARAM>(rng() % 4 == 0 ? rng() : 0);
        switch (msg) {
        case WM_INITMENUPOPUP:
            if (rng() % 2) wParam = fileMenu;
            break;
        case WM_MENUSELECT:
            if (rng() % 3 == 0) wParam = MAKEWPARAM(0, 0xFFFF), lParam = 0;
            else if (rng() % 2) wParam = MAKEWPARAM(acquire + rng() % 3, rng() % 2 ? MF_POPUP : 0), lParam = fileMenu;
            break;
        case WM_COMMAND: {
            // Everything but the two items themselves, whose runs need the
            // OCR application.
            WORD id = static_cast<WORD>(rng() % 4 ? 1495 + rng() % 20 : rng());
            if (id == acquire || id == settings || id == 199 || id == 103) id = 102;
            wParam = MAKEWPARAM(id, rng() % 2);
            break;
        }
        case WM_SYSCOMMAND:
            wParam = SC_KEYMENU + 0x10 * (rng() % 2) + 0x1000;  // never SC_CLOSE
            lParam = 0;
            break;
        default:
            break;
        }
        DWORD_PTR result;
        ASSERT_TRUE(SendMessageTimeoutA(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) << i;
        if (i % 50 == 0 || msg == WM_INITMENUPOPUP) {
            r = editor.Report();
            ASSERT_TRUE(r.ok) << "editor stopped answering at message " << i;
            ASSERT_LE(r.Count("Acquire Text..."), 1) << r.Texts();
            ASSERT_LE(r.Count("Acquire Text Settings..."), 1) << r.Texts();
            if (const MenuItem *a = r.Find("Acquire Text...")) acquire = a->id;
            if (const MenuItem *s = r.Find("Acquire Text Settings...")) settings = s->id;
            int separators = 0;
            for (const MenuItem &item : r.items) separators += item.separator;
            // The host's one separator, and ours while the items are in.
            ASSERT_LE(separators, 2) << r.Texts();
            ASSERT_GE(separators, 1) << r.Texts();
        }
    }
    EXPECT_TRUE(editor.Report().subclassed);
    EXPECT_FALSE(editor.Exited(0));
    ReleaseRegistrations();
}

}  // namespace
