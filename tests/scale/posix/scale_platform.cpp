#define _FILE_OFFSET_BITS 64

#include "scale/scale_platform.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Space a sparse file may occupy before it counts as written out.
const int64_t kSparseAllowance = 1 << 20;

// "Name:   1234 kB" from /proc/self/status, in bytes.
bool StatusValue(const char* status, const char* name, int64_t* bytes) {
    const char* at = strstr(status, name);
    long long kilobytes = 0;
    if (!at || sscanf(at + strlen(name), " %lld", &kilobytes) != 1) return false;
    *bytes = kilobytes * 1024;
    return true;
}

}  // namespace

bool ReadProcessMemory(int64_t* current, int64_t* peak) {
    FILE* file = fopen("/proc/self/status", "r");
    if (!file) return false;
    char status[8192];
    size_t got = fread(status, 1, sizeof status - 1, file);
    fclose(file);
    status[got] = 0;
    return StatusValue(status, "VmRSS:", current) && StatusValue(status, "VmHWM:", peak);
}

bool MakeSparseFile(const std::string& path, int64_t size, std::string* whyNot) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        *whyNot = "cannot create " + path + ": " + strerror(errno);
        return false;
    }
    bool ok = ftruncate(fd, size) == 0;
    if (!ok) *whyNot = std::string("ftruncate to a size above 4 GiB failed: ") + strerror(errno);
    struct stat status;
    if (ok && (fstat(fd, &status) != 0 || static_cast<int64_t>(status.st_blocks) * 512 > kSparseAllowance)) {
        ok = false;
        *whyNot = "this file system allocates the whole length of a file (no sparse files)";
    }
    close(fd);
    if (!ok) unlink(path.c_str());
    return ok;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    return names;
}

// AddressSanitizer keeps freed blocks resident (its quarantine) to catch
// late uses; the memory test would measure that instead of the engine.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=0"; }
