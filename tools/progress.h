// A one-line count of files and bytes done, redrawn on a terminal; nothing
// at all when standard error is not one.
#pragma once

#include <stdint.h>

struct Progress {
    bool shown;
    const char* verb;
    int filesTotal;
    int filesDone;
    int64_t bytesTotal;
    int64_t bytesDone;
    int64_t lastDrawMs;
};

bool StandardErrorIsTerminal();

void StartProgress(Progress* progress, bool shown, const char* verb, int filesTotal, int64_t bytesTotal);
void AddProgressBytes(Progress* progress, int64_t bytes);
void AddProgressFile(Progress* progress);
// Draws the final count and ends the line.
void EndProgress(Progress* progress);
