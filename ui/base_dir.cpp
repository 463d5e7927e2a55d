#include "ui/base_dir.h"

#include <string.h>

bool DeriveBaseDir(const char* modulePath, char* out, size_t outSize) {
    if (outSize == 0) return false;
    out[0] = '\0';
    const char* lastSlash = strrchr(modulePath, '\\');
    const char* folder = lastSlash != nullptr ? modulePath : ".\\";
    size_t length = lastSlash != nullptr ? (size_t)(lastSlash - modulePath) + 1 : 2;
    if (length >= outSize) return false;
    memcpy(out, folder, length);
    out[length] = '\0';
    return true;
}
