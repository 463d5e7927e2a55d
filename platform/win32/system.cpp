// Memory, the machine registry, starting programs and the launcher window.
#include "platform/faults.h"
#include "platform/platform.h"
#include "platform/win32/win32_hooks.h"

#include <windows.h>
#include <shellapi.h>
#include <stdlib.h>

#include <atomic>

namespace {

const REGSAM kRegistryAccess = KEY_READ | KEY_WOW64_32KEY;
static_assert(kRegistryAccess == 0x20219, "registry access changed");
static_assert(sizeof(SHELLEXECUTEINFOA) == 60 || sizeof(void*) != 4, "SHELLEXECUTEINFOA layout");

// Set by the UI thread, read by the patch thread.
std::atomic<HWND> g_mainWindow{nullptr};

// The status band at the bottom of the launcher window.
const RECT kStatusBand = {0, 470, 500, 531};

}  // namespace

// ---- Memory ------------------------------------------------------------------

void* PlatAlloc(size_t size) {
    if (PlatShouldFail(PlatOpAlloc)) return nullptr;
    return malloc(size);
}

void* PlatRealloc(void* block, size_t size) {
    if (PlatShouldFail(PlatOpAlloc)) return nullptr;
    return realloc(block, size);
}

// ---- Registry ----------------------------------------------------------------

bool PlatReadMachineDword(const char* subkey, const char* name, uint32_t* value) {
    if (PlatShouldFail(PlatOpRegistry)) return false;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, kRegistryAccess, &key) != ERROR_SUCCESS)
        return false;
    PlatHandleOpened(PlatHandleRegistryKey);
    DWORD read = 0;
    DWORD size = sizeof read;
    bool ok = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&read),
                               &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    PlatHandleClosed(PlatHandleRegistryKey);
    if (ok) *value = read;
    return ok;
}

// ---- Processes ---------------------------------------------------------------

bool PlatRunAndWait(const char* file, const char* parameters) {
    if (PlatShouldFail(PlatOpProcessStart)) return false;
    SHELLEXECUTEINFOA run = {};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS;
    run.hwnd = nullptr;
    run.lpVerb = "open";
    run.lpFile = file;
    run.lpParameters = parameters;
    run.lpDirectory = nullptr;
    run.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&run)) return false;
    // A start through DDE or an already running program may give no handle.
    if (run.hProcess != nullptr) {
        PlatHandleOpened(PlatHandleProcess);
        WaitForSingleObject(run.hProcess, INFINITE);
        CloseHandle(run.hProcess);
        PlatHandleClosed(PlatHandleProcess);
    }
    return true;
}

// ---- The launcher window -----------------------------------------------------

void PlatWin32SetMainWindow(HWND window) { g_mainWindow.store(window); }

HWND PlatWin32MainWindow() { return g_mainWindow.load(); }

void PlatRequestStatusRepaint() {
    HWND window = g_mainWindow.load();
    if (window == nullptr) return;  // a null window would invalidate every window
    InvalidateRect(window, &kStatusBand, FALSE);
}

void PlatNotifyPatchDone() {
    HWND window = g_mainWindow.load();
    if (window == nullptr) return;
    PostMessageA(window, WM_PATCH_DONE, 0, 0);
}
