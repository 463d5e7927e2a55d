// Files through kernel32, narrow paths.
#include "platform/faults.h"
#include "platform/platform.h"

#include <windows.h>

namespace {

HANDLE FileHandle(PlatFile* file) { return reinterpret_cast<HANDLE>(file); }

// CreateFileA fails with INVALID_HANDLE_VALUE, never with null, so null
// stays free to mean "no file" above this layer.
PlatFile* CountedFile(HANDLE handle) {
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    PlatHandleOpened(PlatHandleFile);
    return reinterpret_cast<PlatFile*>(handle);
}

}  // namespace

bool PlatGetFileInfo(const char* path, PlatFileInfo* info) {
    if (PlatShouldFail(PlatOpFileInfo)) return false;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
    info->isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info->size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) |
                                      data.nFileSizeLow);
    return true;
}

bool PlatCreateDirectory(const char* path) {
    if (PlatShouldFail(PlatOpCreateDirectory)) return false;
    return CreateDirectoryA(path, nullptr) != 0;
}

PlatFile* PlatOpenForRead(const char* path) {
    if (PlatShouldFail(PlatOpOpenForRead)) return nullptr;
    return CountedFile(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

PlatFile* PlatCreateForWrite(const char* path) {
    if (PlatShouldFail(PlatOpCreateForWrite)) return nullptr;
    return CountedFile(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool PlatReadFile(PlatFile* file, void* buffer, uint32_t size, uint32_t* got) {
    *got = 0;
    if (PlatShouldFail(PlatOpReadFile)) return false;
    DWORD read = 0;
    if (!ReadFile(FileHandle(file), buffer, size, &read, nullptr)) return false;
    *got = read;
    return true;
}

bool PlatWriteFile(PlatFile* file, const void* buffer, uint32_t size, uint32_t* written) {
    *written = 0;
    if (PlatShouldFail(PlatOpWriteFile)) return false;
    if (PlatShouldFail(PlatOpShortWrite)) size /= 2;
    DWORD wrote = 0;
    if (!WriteFile(FileHandle(file), buffer, size, &wrote, nullptr)) return false;
    *written = wrote;
    return true;
}

void PlatCloseFile(PlatFile* file) {
    if (file == nullptr) return;
    CloseHandle(FileHandle(file));
    PlatHandleClosed(PlatHandleFile);
}

bool PlatReplaceFile(const char* from, const char* to) {
    if (PlatShouldFail(PlatOpReplaceFile)) return false;
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

bool PlatDeleteFile(const char* path) {
    if (PlatShouldFail(PlatOpDeleteFile)) return false;
    return DeleteFileA(path) != 0;
}
