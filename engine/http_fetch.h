// Small texts fetched whole into memory, and the patch server's base URL.
#pragma once

#include <stddef.h>

const int kBaseUrlSize = 256;
const size_t kServerUrlSize = 1024;  // base URL + "version.txt" or "manifest.txt"

// "https://" MOK_PATCH_HOST "/mok-patch/", set at build time; tests and tools
// point it at a local server before a run.
extern char PatchBaseUrl[kBaseUrlSize];

// Only a complete 2xx body is content: returns a heap buffer (free) holding
// the body and one NUL, and sets *length to the body's size. Returns null on
// any failure; *length is then untouched (0 after an allocation failure).
char* FetchUrlToMemory(const char* url, size_t* length);

// True when the answer can be read as content: a 2xx status.
bool IsSuccessStatus(int status);
