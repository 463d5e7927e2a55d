// The patch run on a real worker thread, reporting to a window as the
// launcher's does.
#include <gtest/gtest.h>
#include <process.h>
#include <windows.h>

#include "engine/patch_run.h"
#include "engine/status_board.h"
#include "platform/win32/win32_hooks.h"
#include "support/engine_fixture.h"

namespace {

int g_doneMessages = 0;
bool g_readyAtDone = false;

LRESULT CALLBACK RecordingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PATCH_DONE) {
        ++g_doneMessages;
        g_readyAtDone = IsBoardReady() && wParam == 0 && lParam == 0;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class PatchThreadTest : public EngineTest {};

TEST_F(PatchThreadTest, DoneMessageArrivesOnceAfterReady) {
    ServeVersion("1");
    ServeGame({{"MOK.exe", PatternBytes(5000)}});

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordingWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PatchThreadTestWindow";
    RegisterClassA(&windowClass);
    // Message-only: the tests run without a display.
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "hidden", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    PlatWin32SetMainWindow(window);

    HANDLE worker = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, PatchRun, nullptr, 0, nullptr));
    ASSERT_NE(worker, nullptr);
    // Pump messages until the worker has ended, then drain what it posted.
    for (;;) {
        DWORD woke = MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        if (woke == WAIT_OBJECT_0) break;
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    CloseHandle(worker);

    EXPECT_EQ(g_doneMessages, 1);
    EXPECT_TRUE(g_readyAtDone);
    EXPECT_EQ(ReadLocal("MOK.exe"), PatternBytes(5000));

    PlatWin32SetMainWindow(nullptr);
    DestroyWindow(window);
    ResetStatusBoard();
}

}  // namespace
