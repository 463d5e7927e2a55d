// MAIN: hand the game executable to the shell once the patch run has ended.
#include "ui/launcher_ui.h"  // windows.h, which shellapi.h needs first

#include <shellapi.h>
#include <stdio.h>

#include "engine/launcher_state.h"
#include "engine/status_board.h"

static void ComposeGamePath(char path[kPathSize]) {
    snprintf(path, kPathSize, "%s%s", BaseDir, MOK_GAME_EXE);
    for (char* c = path; *c != '\0'; ++c) {
        if (*c == '/') *c = '\\';
    }
}

static bool IsExistingFile(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void LaunchGame() {
    if (!IsBoardReady()) return;  // clicks during the run are ignored
    char path[kPathSize];
    ComposeGamePath(path);
    if (!IsExistingFile(path)) {
        MessageBoxA(g_mainWindow, "MOK.exe belum lengkap. Tunggu patch selesai / jalankan ulang.",
                    MOK_WINDOW_TITLE, MB_ICONWARNING | MB_OK);
        return;
    }
    ShellExecuteA(nullptr, "open", path, nullptr, BaseDir, SW_SHOWNORMAL);
    PostQuitMessage(0);
}
