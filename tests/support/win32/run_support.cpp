#include "support/run_support.h"

#include <windows.h>

#include "platform/win32/win32_hooks.h"
#include "support/test_support.h"

namespace {

HWND g_doneWindow = nullptr;

HWND DoneWindow() {
    if (!g_doneWindow)
        g_doneWindow = CreateWindowExA(0, "STATIC", "done counter", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    return g_doneWindow;
}

int DrainDone() {
    int count = 0;
    MSG message;
    while (PeekMessageA(&message, DoneWindow(), WM_PATCH_DONE, WM_PATCH_DONE, PM_REMOVE)) ++count;
    return count;
}

std::string FolderOfThisProgram() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

}  // namespace

void StartCountingDone() {
    PlatWin32SetMainWindow(DoneWindow());
    DrainDone();
}

int DoneCount() { return DrainDone(); }

void InstallFakeInstaller(const std::string& path) {
    std::string content;
    ReadWholeFile(FolderOfThisProgram() + "fake_installer.exe", &content);
    WriteWholeFile(path, content);
}
