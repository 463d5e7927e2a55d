/* stat_loop BASEDIR MANIFEST: the floor for an up-to-date check. Reads a
 * manifest ("path|size|digest" lines) from disk and stat()s BASEDIR + path
 * for every line; prints how many exist with the listed size. */
#define _FILE_OFFSET_BITS 64
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "read_all.h"
#include <sys/stat.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: stat_loop BASEDIR MANIFEST\n");
        return 2;
    }
    char* manifest = read_all(argv[2]);
    if (!manifest) return 1;
    char path[4096];
    size_t baseLength = strlen(argv[1]);
    if (baseLength >= sizeof path) return 2;
    memcpy(path, argv[1], baseLength);
    long entries = 0, current = 0;
    for (char* line = strtok(manifest, "\r\n"); line; line = strtok(NULL, "\r\n")) {
        char* bar = strchr(line, '|');
        if (!bar || (size_t)(bar - line) + baseLength >= sizeof path) continue;
        memcpy(path + baseLength, line, (size_t)(bar - line));
        path[baseLength + (size_t)(bar - line)] = 0;
        ++entries;
        struct stat status;
        if (stat(path, &status) == 0 && status.st_size == atoll(bar + 1)) ++current;
    }
    printf("%ld of %ld current\n", current, entries);
    free(manifest);
    return current == entries ? 0 : 1;
}
