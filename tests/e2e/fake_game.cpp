// Stands in for MOK.exe in the end-to-end runs: writes the folder it was
// started in to "launched.txt" beside itself, then exits.
#include <windows.h>
#include <stdio.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char record[MAX_PATH + 16];
    DWORD length = GetModuleFileNameA(nullptr, record, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 2;
    char* slash = strrchr(record, '\\');
    if (slash == nullptr) return 2;
    strcpy(slash + 1, "launched.txt");

    char folder[MAX_PATH];
    DWORD folderLength = GetCurrentDirectoryA(sizeof(folder), folder);
    if (folderLength == 0 || folderLength >= sizeof(folder)) return 3;

    FILE* out = fopen(record, "wb");
    if (out == nullptr) return 4;
    bool written = fprintf(out, "%s\n", folder) > 0;
    if (fclose(out) != 0) written = false;
    return written ? 0 : 4;
}
