// The server's version label and the local state file "MOK_patch.state".
#pragma once

#include <stddef.h>

// The state file keeps this many bytes of the label; a longer label never
// compares equal to the stored one.
const size_t kLongestVersionLabel = 127;

enum ServerVersionResult { ServerOffline, ServerReached };

// Publishes "Mengecek versi server..." (3), fetches "version.txt" and
// compares it with the state file. On ServerReached *serverVersion is a heap
// buffer for the caller to free.
ServerVersionResult CheckServerVersion(char** serverVersion, bool* versionsDiffer);

void WriteStateFile(const char* serverVersion);
