// Entry point: installation folder, artwork, the window and its two buttons,
// the patch run on a worker thread, and the message loop.
#include <process.h>

#include "engine/launcher_state.h"
#include "engine/patch_run.h"
#include "engine/status_board.h"
#include "platform/win32/win32_hooks.h"
#include "ui/base_dir.h"
#include "ui/launcher_ui.h"

// Large enough for any Win32 path, so a deep folder is recognised as too deep
// instead of being cut to a wrong one.
static char g_modulePath[32768];

static bool SetBaseDirFromModule() {
    DWORD size = (DWORD)sizeof(g_modulePath);
    DWORD length = GetModuleFileNameA(nullptr, g_modulePath, size);
    if (length >= size) return false;  // cut, and on old systems unterminated
    g_modulePath[length] = '\0';
    return DeriveBaseDir(g_modulePath, BaseDir, sizeof(BaseDir));
}

static void RegisterLauncherClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = LauncherWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(kBandColour);  // lives as long as the class
    windowClass.lpszClassName = MOK_CLASS_NAME;
    RegisterClassA(&windowClass);
}

static HWND CreateMainWindow(HINSTANCE instance) {
    int left = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
    return CreateWindowExA(WS_EX_DLGMODALFRAME, MOK_CLASS_NAME, MOK_WINDOW_TITLE, WS_POPUP, left,
                           top, kWindowWidth, kWindowHeight, nullptr, nullptr, instance, nullptr);
}

static HWND CreateFlatButton(HWND parent, HINSTANCE instance, const char* text, int left, int top,
                             int width, int height, int id) {
    return CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, left, top,
                           width, height, parent, (HMENU)(INT_PTR)id, instance, nullptr);
}

static void RunMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    bool baseDirOk = SetBaseDirFromModule();
    g_background = (HBITMAP)LoadImageA(instance, MAKEINTRESOURCEA(IDB_BACKGROUND), IMAGE_BITMAP,
                                       0, 0, LR_CREATEDIBSECTION);
    RegisterLauncherClass(instance);
    g_mainWindow = CreateMainWindow(instance);
    PlatWin32SetMainWindow(g_mainWindow);
    g_mainButton = CreateFlatButton(g_mainWindow, instance, "cek...", kMainButtonLeft,
                                    kMainButtonTop, kMainButtonWidth, kMainButtonHeight, IDC_MAIN);
    CreateFlatButton(g_mainWindow, instance, "X", kCloseButtonLeft, kCloseButtonTop,
                     kCloseButtonWidth, kCloseButtonHeight, IDC_CLOSE);
    // Without a whole BaseDir the run would patch some other folder: it never
    // starts, MAIN stays unarmed and only X is left.
    if (!baseDirOk) {
        PublishStatus("Folder game terlalu panjang. Pindahkan ke folder yang lebih pendek.", 0);
    }
    ShowWindow(g_mainWindow, SW_SHOW);
    UpdateWindow(g_mainWindow);
    if (baseDirOk) _beginthreadex(nullptr, 0, PatchRun, nullptr, 0, nullptr);
    RunMessageLoop();
    return 0;
}
