// The server's version label and the local state file "MOK_patch.state".
#pragma once

enum ServerVersionResult { ServerOffline, ServerReached };

// Publishes "Mengecek versi server..." (3), fetches "version.txt" and
// compares it with the state file. On ServerReached *serverVersion is a heap
// buffer for the caller to free.
ServerVersionResult CheckServerVersion(char** serverVersion, bool* versionsDiffer);

void WriteStateFile(const char* serverVersion);
