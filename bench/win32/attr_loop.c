/* attr_loop BASEDIR MANIFEST: the floor for an up-to-date check under Wine.
 * Reads a manifest ("path|size|digest" lines) and queries BASEDIR + path with
 * GetFileAttributesExA for every line; prints how many exist with the
 * listed size. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../read_all.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: attr_loop BASEDIR MANIFEST\n");
        return 2;
    }
    char* manifest = read_all(argv[2]);
    if (!manifest) return 1;
    char path[MAX_PATH];
    size_t baseLength = strlen(argv[1]);
    if (baseLength >= sizeof path) return 2;
    memcpy(path, argv[1], baseLength);
    long entries = 0, current = 0;
    for (char* line = strtok(manifest, "\r\n"); line; line = strtok(NULL, "\r\n")) {
        char* bar = strchr(line, '|');
        if (!bar || (size_t)(bar - line) + baseLength >= sizeof path) continue;
        size_t length = (size_t)(bar - line);
        for (size_t i = 0; i < length; ++i) path[baseLength + i] = line[i] == '/' ? '\\' : line[i];
        path[baseLength + length] = 0;
        ++entries;
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(path, GetFileExInfoStandard, &data) &&
            (((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow) == _atoi64(bar + 1))
            ++current;
    }
    printf("%ld of %ld current\n", current, entries);
    free(manifest);
    return current == entries ? 0 : 1;
}
