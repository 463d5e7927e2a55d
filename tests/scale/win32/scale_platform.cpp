#include "scale/scale_platform.h"

#include <windows.h>
#include <psapi.h>

namespace {

// Space a sparse file may occupy before it counts as written out.
const LONGLONG kSparseAllowance = 1 << 20;

std::string ErrorText(const char* what) {
    return std::string(what) + " failed, error " + std::to_string(GetLastError());
}

// Grows the open file to `size` without writing; its allocation is checked
// by the caller.
bool SetLength(HANDLE file, int64_t size, std::string* whyNot) {
    LARGE_INTEGER end;
    end.QuadPart = size;
    if (!SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) {
        *whyNot = ErrorText("SetFilePointerEx beyond 4 GiB");
        return false;
    }
    if (!SetEndOfFile(file)) {
        *whyNot = ErrorText("SetEndOfFile beyond 4 GiB");
        return false;
    }
    return true;
}

bool IsAllocatedSparsely(HANDLE file, std::string* whyNot) {
    FILE_STANDARD_INFO info;
    if (!GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info)) {
        *whyNot = ErrorText("GetFileInformationByHandleEx(FileStandardInfo)");
        return false;
    }
    if (info.AllocationSize.QuadPart > kSparseAllowance) {
        *whyNot = "the file system allocates the whole length of the file (no sparse files): " +
                  std::to_string(info.AllocationSize.QuadPart) + " bytes allocated";
        return false;
    }
    return true;
}

}  // namespace

bool ReadProcessMemory(int64_t* current, int64_t* peak) {
    PROCESS_MEMORY_COUNTERS counters;
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return false;
    *current = static_cast<int64_t>(counters.WorkingSetSize);
    *peak = static_cast<int64_t>(counters.PeakWorkingSetSize);
    return *peak > 0;
}

bool MakeSparseFile(const std::string& path, int64_t size, std::string* whyNot) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *whyNot = ErrorText(("CreateFileA " + path).c_str());
        return false;
    }
    bool ok = SetLength(file, size, whyNot) && IsAllocatedSparsely(file, whyNot);
    CloseHandle(file);
    if (!ok) DeleteFileA(path.c_str());
    return ok;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}
