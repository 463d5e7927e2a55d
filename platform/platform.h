// The operating-system operations the patch engine needs. Two back ends
// implement them: platform/win32 (the product) and platform/posix (native
// builds and tests). Paths are narrow strings; the engine separates folders
// with '\\', which the POSIX back end maps to '/'.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef _WIN32
#define MOK_STDCALL __stdcall
#else
#define MOK_STDCALL
#endif

// ---- HTTP GET with the fixed request profile ----------------------------
// Agent "MOK-Patcher/3.0", the system's proxy settings, always from the
// server, never cached, certificates always verified, no https->http
// redirect.
struct PlatHttpSession;
struct PlatHttpRequest;

PlatHttpSession* PlatHttpOpenSession();  // null on failure
// Sends the request and waits for the final answer's header; null on a
// transport failure (no connection, bad name, TLS failure).
PlatHttpRequest* PlatHttpOpenUrl(PlatHttpSession* session, const char* url);
int PlatHttpStatus(PlatHttpRequest* request);             // 0 when unknown
int64_t PlatHttpContentLength(PlatHttpRequest* request);  // -1 when not declared
// Reads up to `size` body bytes. *got == 0 with true means the body ended.
bool PlatHttpRead(PlatHttpRequest* request, void* buffer, uint32_t size, uint32_t* got);
void PlatHttpCloseUrl(PlatHttpRequest* request);
void PlatHttpCloseSession(PlatHttpSession* session);

// ---- Memory (released with free) -----------------------------------------
void* PlatAlloc(size_t size);
void* PlatRealloc(void* block, size_t size);

// ---- Files ----------------------------------------------------------------
struct PlatFileInfo {
    bool isDirectory;
    int64_t size;
};
bool PlatGetFileInfo(const char* path, PlatFileInfo* info);  // false: missing or query failed
bool PlatCreateDirectory(const char* path);                  // false also when it exists

struct PlatFile;
PlatFile* PlatOpenForRead(const char* path);     // shared read, sequential; null on failure
PlatFile* PlatCreateForWrite(const char* path);  // create or truncate, no sharing
bool PlatReadFile(PlatFile* file, void* buffer, uint32_t size, uint32_t* got);
bool PlatWriteFile(PlatFile* file, const void* buffer, uint32_t size, uint32_t* written);
void PlatCloseFile(PlatFile* file);
bool PlatReplaceFile(const char* from, const char* to);  // one step, replaces `to`
bool PlatDeleteFile(const char* path);

// ---- SHA-1 ----------------------------------------------------------------
struct PlatHashContext;
struct PlatHash;

PlatHashContext* PlatHashOpenContext();
PlatHash* PlatHashCreate(PlatHashContext* context);
bool PlatHashFeed(PlatHash* hash, const void* data, uint32_t size);
bool PlatHashValue(PlatHash* hash, unsigned char digest[20]);
void PlatHashDestroy(PlatHash* hash);
void PlatHashCloseContext(PlatHashContext* context);

// ---- Registry -------------------------------------------------------------
// Reads a 32-bit value below HKEY_LOCAL_MACHINE in the 32-bit view. False when
// the key cannot be opened or the value cannot be read; the type is not checked.
bool PlatReadMachineDword(const char* subkey, const char* name, uint32_t* value);

// ---- Processes --------------------------------------------------------------
// Starts `file` with the verb "open" and `parameters`, and waits for it to end
// without a time-out. False when it could not be started.
bool PlatRunAndWait(const char* file, const char* parameters);

// ---- The launcher window ------------------------------------------------------
void PlatRequestStatusRepaint();  // the status band, without erasing
void PlatNotifyPatchDone();       // posts the done message to the main window
