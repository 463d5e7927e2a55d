// The launcher window's procedure: one short handler per message.
#include "engine/status_board.h"
#include "platform/win32/win32_hooks.h"
#include "ui/launcher_ui.h"

static LRESULT OnPaint(HWND hwnd) {
    PaintLauncher(hwnd);
    return 0;
}

// The label is fixed per control; MAIN's window text is never drawn.
static LRESULT OnDrawItem(const DRAWITEMSTRUCT* item) {
    if (item->CtlID == (UINT)IDC_MAIN) {
        COLORREF normal = IsBoardReady() ? kMainArmedColour : kMainUnarmedColour;
        DrawFlatButton(item, "M A I N", normal, kMainPressedColour);
    } else if (item->CtlID == (UINT)IDC_CLOSE) {
        DrawFlatButton(item, "X", kCloseColour, kClosePressedColour);
    }
    return TRUE;
}

static LRESULT OnCommand(WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDC_MAIN:
        LaunchGame();
        break;
    case IDC_CLOSE:
        PostQuitMessage(0);
        break;
    default:
        break;
    }
    return 0;
}

static LRESULT OnDestroy() {
    PostQuitMessage(0);
    return 0;
}

// The window has no caption: a press on any free spot starts a system move.
static LRESULT OnLButtonDown(HWND hwnd) {
    ReleaseCapture();
    SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    return 0;
}

static LRESULT OnPatchDone() {
    SetWindowTextA(g_mainButton, "M A I N");
    InvalidateRect(g_mainButton, nullptr, TRUE);
    return 0;
}

LRESULT CALLBACK LauncherWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        return OnPaint(hwnd);
    case WM_DRAWITEM:
        return OnDrawItem((const DRAWITEMSTRUCT*)lParam);
    case WM_COMMAND:
        return OnCommand(wParam);
    case WM_DESTROY:
        return OnDestroy();
    case WM_LBUTTONDOWN:
        return OnLButtonDown(hwnd);
    case WM_PATCH_DONE:
        return OnPatchDone();
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}
