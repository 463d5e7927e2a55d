/* Reads a whole file into a NUL-terminated heap block (free it); NULL on
 * failure. Shared by the reference loops, which read their manifest from disk. */
#ifndef MOK_BENCH_READ_ALL_H
#define MOK_BENCH_READ_ALL_H

#include <stdio.h>
#include <stdlib.h>

static char* read_all(const char* path) {
    FILE* in = fopen(path, "rb");
    if (!in) return NULL;
    size_t capacity = 1 << 20, used = 0;
    char* text = malloc(capacity);
    while (text) {
        used += fread(text + used, 1, capacity - 1 - used, in);
        if (used < capacity - 1) break;
        char* grown = realloc(text, capacity * 2);
        if (!grown) {
            free(text);
            text = NULL;
            break;
        }
        text = grown;
        capacity *= 2;
    }
    fclose(in);
    if (text) text[used] = 0;
    return text;
}

#endif
