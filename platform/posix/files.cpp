// Files through plain POSIX descriptors.
#define _FILE_OFFSET_BITS 64

#include "platform/faults.h"
#include "platform/platform.h"
#include "platform/posix/posix_path.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

struct PlatFile {
    int fd;
};

bool PosixMapPath(const char* path, char out[PATH_MAX]) {
    if (!path) return false;
    size_t i = 0;
    for (; path[i]; ++i) {
        if (i + 1 >= PATH_MAX) return false;
        out[i] = path[i] == '\\' ? '/' : path[i];
    }
    out[i] = 0;
    return true;
}

namespace {

int OpenRetrying(const char* path, int flags, mode_t mode) {
    int fd;
    do {
        fd = open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Takes ownership of `fd`: it is closed when no handle can be made.
PlatFile* WrapDescriptor(int fd) {
    PlatFile* file = static_cast<PlatFile*>(malloc(sizeof(PlatFile)));
    if (!file) {
        close(fd);
        return nullptr;
    }
    file->fd = fd;
    PlatHandleOpened(PlatHandleFile);
    return file;
}

}  // namespace

bool PlatGetFileInfo(const char* path, PlatFileInfo* info) {
    if (PlatShouldFail(PlatOpFileInfo)) return false;
    char native[PATH_MAX];
    if (!info || !PosixMapPath(path, native)) return false;
    struct stat status;
    if (stat(native, &status) != 0) return false;
    info->isDirectory = S_ISDIR(status.st_mode);
    // Windows reports no size for a folder; keep both back ends alike.
    info->size = info->isDirectory ? 0 : static_cast<int64_t>(status.st_size);
    return true;
}

bool PlatCreateDirectory(const char* path) {
    if (PlatShouldFail(PlatOpCreateDirectory)) return false;
    char native[PATH_MAX];
    if (!PosixMapPath(path, native)) return false;
    return mkdir(native, 0777) == 0;
}

PlatFile* PlatOpenForRead(const char* path) {
    if (PlatShouldFail(PlatOpOpenForRead)) return nullptr;
    char native[PATH_MAX];
    if (!PosixMapPath(path, native)) return nullptr;
    int fd = OpenRetrying(native, O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    // open() accepts a folder where CreateFile does not; refuse it here too.
    struct stat status;
    if (fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
        close(fd);
        return nullptr;
    }
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return WrapDescriptor(fd);
}

PlatFile* PlatCreateForWrite(const char* path) {
    if (PlatShouldFail(PlatOpCreateForWrite)) return nullptr;
    char native[PATH_MAX];
    if (!PosixMapPath(path, native)) return nullptr;
    int fd = OpenRetrying(native, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    return WrapDescriptor(fd);
}

// Fills the buffer unless the file ends first, as ReadFile does for a disk file.
bool PlatReadFile(PlatFile* file, void* buffer, uint32_t size, uint32_t* got) {
    if (PlatShouldFail(PlatOpReadFile)) return false;
    *got = 0;
    if (!file || (!buffer && size > 0)) return false;
    char* bytes = static_cast<char*>(buffer);
    uint32_t done = 0;
    while (done < size) {
        ssize_t n = read(file->fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *got = done;
            return false;
        }
        if (n == 0) break;
        done += static_cast<uint32_t>(n);
    }
    *got = done;
    return true;
}

bool PlatWriteFile(PlatFile* file, const void* buffer, uint32_t size, uint32_t* written) {
    if (PlatShouldFail(PlatOpWriteFile)) return false;
    *written = 0;
    uint32_t wanted = PlatShouldFail(PlatOpShortWrite) ? size / 2 : size;
    if (!file || (!buffer && size > 0)) return false;
    const char* bytes = static_cast<const char*>(buffer);
    uint32_t done = 0;
    while (done < wanted) {
        ssize_t n = write(file->fd, bytes + done, wanted - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {  // 0 for a non-empty write would loop forever
            *written = done;
            return false;
        }
        done += static_cast<uint32_t>(n);
    }
    *written = done;
    return true;
}

void PlatCloseFile(PlatFile* file) {
    if (!file) return;
    close(file->fd);  // not retried on EINTR: Linux has released the descriptor already
    free(file);
    PlatHandleClosed(PlatHandleFile);
}

bool PlatReplaceFile(const char* from, const char* to) {
    if (PlatShouldFail(PlatOpReplaceFile)) return false;
    char nativeFrom[PATH_MAX];
    char nativeTo[PATH_MAX];
    if (!PosixMapPath(from, nativeFrom) || !PosixMapPath(to, nativeTo)) return false;
    return rename(nativeFrom, nativeTo) == 0;
}

bool PlatDeleteFile(const char* path) {
    if (PlatShouldFail(PlatOpDeleteFile)) return false;
    char native[PATH_MAX];
    if (!PosixMapPath(path, native)) return false;
    return unlink(native) == 0;
}
