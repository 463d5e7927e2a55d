// platform/platform.h in memory. Every operation counts with PlatShouldFail
// and every handle is accounted for, as in the real back ends, so fault
// injection and the handle balance work unchanged.
#include "fake_platform.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>

#include <openssl/evp.h>

#include "engine/http_fetch.h"
#include "engine/launcher_state.h"
#include "platform/faults.h"
#include "platform/platform.h"

namespace {

struct Node {
    bool isDirectory;
    std::string content;
};

std::map<std::string, std::string> g_served;
std::map<std::string, Node> g_disk;
int g_status = 200;
FakeLengthMode g_lengthMode = FakeLengthTrue;
uint32_t g_readLimit = 0;
FakeNameHook g_pathHook = nullptr;
FakeNameHook g_urlHook = nullptr;
int g_doneCount = 0;
int g_processStarts = 0;

void SeePath(const char* operation, const char* path) {
    if (g_pathHook) g_pathHook(operation, path);
}

uint32_t Limited(uint32_t size) { return g_readLimit > 0 && size > g_readLimit ? g_readLimit : size; }

std::string ParentOf(const std::string& path) {
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

Node* Find(const std::string& path) {
    auto found = g_disk.find(path);
    return found == g_disk.end() ? nullptr : &found->second;
}

bool ParentIsFolder(const std::string& path) {
    Node* parent = Find(ParentOf(path));
    return parent && parent->isDirectory;
}

}  // namespace

struct PlatHttpSession {
    int unused;
};

struct PlatHttpRequest {
    std::string body;
    size_t offset;
};

struct PlatFile {
    std::string path;
    size_t offset;
};

struct PlatHashContext {
    EVP_MD_CTX* digest;
};

struct PlatHash {
    PlatHashContext* context;
};

void FakeReset() {
    g_served.clear();
    g_disk.clear();
    std::string base = BaseDir;
    if (!base.empty()) base.pop_back();
    g_disk[base] = Node{true, std::string()};
    g_status = 200;
    g_lengthMode = FakeLengthTrue;
    g_readLimit = 0;
    g_doneCount = 0;
    g_processStarts = 0;
}

void FakeServe(const std::string& name, const std::string& body) { g_served[name] = body; }
void FakeSetStatus(int status) { g_status = status; }
void FakeSetLengthMode(FakeLengthMode mode) { g_lengthMode = mode; }
void FakeSetReadLimit(uint32_t bytes) { g_readLimit = bytes; }

void FakeWriteFile(const std::string& path, const std::string& content) {
    g_disk[path] = Node{false, content};
}

bool FakeReadFile(const std::string& path, std::string* content) {
    Node* node = Find(path);
    if (!node || node->isDirectory) return false;
    *content = node->content;
    return true;
}

void FakeSetPathHook(FakeNameHook hook) { g_pathHook = hook; }
void FakeSetUrlHook(FakeNameHook hook) { g_urlHook = hook; }
int FakeDoneCount() { return g_doneCount; }
int FakeProcessStarts() { return g_processStarts; }

void FuzzFail(const char* what, const std::string& detail) {
    fprintf(stderr, "\nINVARIANT BROKEN: %s: \"", what);
    for (unsigned char c : detail) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\')
            fputc(c, stderr);
        else
            fprintf(stderr, "\\x%02X", c);
    }
    fprintf(stderr, "\"\n");
    abort();
}

// ---- HTTP ---------------------------------------------------------------------

PlatHttpSession* PlatHttpOpenSession() {
    if (PlatShouldFail(PlatOpHttpSession)) return nullptr;
    PlatHandleOpened(PlatHandleSession);
    return new PlatHttpSession{0};
}

PlatHttpRequest* PlatHttpOpenUrl(PlatHttpSession* session, const char* url) {
    if (PlatShouldFail(PlatOpHttpOpenUrl) || !session) return nullptr;
    if (g_urlHook) g_urlHook("open", url);
    size_t baseLength = strlen(PatchBaseUrl);
    if (strncmp(url, PatchBaseUrl, baseLength) != 0) return nullptr;  // no such host
    std::string name = url + baseLength;
    auto served = g_served.find(name);
    PlatHandleOpened(PlatHandleUrl);
    return new PlatHttpRequest{served == g_served.end() ? name : served->second, 0};
}

int PlatHttpStatus(PlatHttpRequest* request) { return request ? g_status : 0; }

int64_t PlatHttpContentLength(PlatHttpRequest* request) {
    if (!request || g_lengthMode == FakeLengthNone) return -1;
    int64_t length = static_cast<int64_t>(request->body.size());
    return g_lengthMode == FakeLengthTooLong ? length + 1 : length;
}

bool PlatHttpRead(PlatHttpRequest* request, void* buffer, uint32_t size, uint32_t* got) {
    *got = 0;
    if (PlatShouldFail(PlatOpHttpRead) || !request) return false;
    size_t count = request->body.size() - request->offset;
    if (count > Limited(size)) count = Limited(size);
    memcpy(buffer, request->body.data() + request->offset, count);
    request->offset += count;
    *got = static_cast<uint32_t>(count);
    return true;
}

void PlatHttpCloseUrl(PlatHttpRequest* request) {
    if (!request) return;
    delete request;
    PlatHandleClosed(PlatHandleUrl);
}

void PlatHttpCloseSession(PlatHttpSession* session) {
    if (!session) return;
    delete session;
    PlatHandleClosed(PlatHandleSession);
}

// ---- Memory -------------------------------------------------------------------

void* PlatAlloc(size_t size) {
    if (PlatShouldFail(PlatOpAlloc)) return nullptr;
    return malloc(size);
}

void* PlatRealloc(void* block, size_t size) {
    if (PlatShouldFail(PlatOpAlloc)) return nullptr;
    return realloc(block, size);
}

// ---- Files --------------------------------------------------------------------

bool PlatGetFileInfo(const char* path, PlatFileInfo* info) {
    if (PlatShouldFail(PlatOpFileInfo)) return false;
    SeePath("info", path);
    Node* node = Find(path);
    if (!node) return false;
    info->isDirectory = node->isDirectory;
    info->size = node->isDirectory ? 0 : static_cast<int64_t>(node->content.size());
    return true;
}

bool PlatCreateDirectory(const char* path) {
    if (PlatShouldFail(PlatOpCreateDirectory)) return false;
    SeePath("mkdir", path);
    if (Find(path) || !ParentIsFolder(path)) return false;
    g_disk[path] = Node{true, std::string()};
    return true;
}

PlatFile* PlatOpenForRead(const char* path) {
    if (PlatShouldFail(PlatOpOpenForRead)) return nullptr;
    SeePath("read", path);
    Node* node = Find(path);
    if (!node || node->isDirectory) return nullptr;
    PlatHandleOpened(PlatHandleFile);
    return new PlatFile{path, 0};
}

PlatFile* PlatCreateForWrite(const char* path) {
    if (PlatShouldFail(PlatOpCreateForWrite)) return nullptr;
    SeePath("create", path);
    Node* node = Find(path);
    if ((node && node->isDirectory) || !ParentIsFolder(path)) return nullptr;
    g_disk[path] = Node{false, std::string()};
    PlatHandleOpened(PlatHandleFile);
    return new PlatFile{path, 0};
}

bool PlatReadFile(PlatFile* file, void* buffer, uint32_t size, uint32_t* got) {
    *got = 0;
    if (PlatShouldFail(PlatOpReadFile) || !file) return false;
    Node* node = Find(file->path);
    if (!node) return false;
    size_t count = node->content.size() > file->offset ? node->content.size() - file->offset : 0;
    if (count > Limited(size)) count = Limited(size);
    memcpy(buffer, node->content.data() + file->offset, count);
    file->offset += count;
    *got = static_cast<uint32_t>(count);
    return true;
}

bool PlatWriteFile(PlatFile* file, const void* buffer, uint32_t size, uint32_t* written) {
    *written = 0;
    if (PlatShouldFail(PlatOpWriteFile) || !file) return false;
    if (PlatShouldFail(PlatOpShortWrite)) size /= 2;
    Node* node = Find(file->path);
    if (!node) return false;
    node->content.append(static_cast<const char*>(buffer), size);
    *written = size;
    return true;
}

void PlatCloseFile(PlatFile* file) {
    if (!file) return;
    delete file;
    PlatHandleClosed(PlatHandleFile);
}

bool PlatReplaceFile(const char* from, const char* to) {
    if (PlatShouldFail(PlatOpReplaceFile)) return false;
    SeePath("replace-from", from);
    SeePath("replace-to", to);
    Node* source = Find(from);
    Node* target = Find(to);
    if (!source || source->isDirectory || (target && target->isDirectory) || !ParentIsFolder(to)) return false;
    Node moved = *source;
    g_disk.erase(from);
    g_disk[to] = moved;
    SeePath("replaced", to);
    return true;
}

bool PlatDeleteFile(const char* path) {
    if (PlatShouldFail(PlatOpDeleteFile)) return false;
    SeePath("delete", path);
    Node* node = Find(path);
    if (!node || node->isDirectory) return false;
    g_disk.erase(path);
    return true;
}

// ---- SHA-1 --------------------------------------------------------------------

PlatHashContext* PlatHashOpenContext() {
    if (PlatShouldFail(PlatOpHashContext)) return nullptr;
    EVP_MD_CTX* digest = EVP_MD_CTX_new();
    if (!digest) return nullptr;
    PlatHandleOpened(PlatHandleHashContext);
    return new PlatHashContext{digest};
}

PlatHash* PlatHashCreate(PlatHashContext* context) {
    if (PlatShouldFail(PlatOpHashCreate) || !context) return nullptr;
    if (EVP_DigestInit_ex(context->digest, EVP_sha1(), nullptr) != 1) return nullptr;
    PlatHandleOpened(PlatHandleHash);
    return new PlatHash{context};
}

bool PlatHashFeed(PlatHash* hash, const void* data, uint32_t size) {
    if (PlatShouldFail(PlatOpHashFeed) || !hash) return false;
    return EVP_DigestUpdate(hash->context->digest, data, size) == 1;
}

bool PlatHashValue(PlatHash* hash, unsigned char digest[20]) {
    if (PlatShouldFail(PlatOpHashValue) || !hash) return false;
    unsigned char value[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(hash->context->digest, value, &length) != 1 || length != 20) return false;
    memcpy(digest, value, 20);
    return true;
}

void PlatHashDestroy(PlatHash* hash) {
    if (!hash) return;
    delete hash;
    PlatHandleClosed(PlatHandleHash);
}

void PlatHashCloseContext(PlatHashContext* context) {
    if (!context) return;
    EVP_MD_CTX_free(context->digest);
    delete context;
    PlatHandleClosed(PlatHandleHashContext);
}

// ---- Registry, processes, window ------------------------------------------------

// The runtime reads as installed, so a run never starts the installer.
bool PlatReadMachineDword(const char*, const char*, uint32_t* value) {
    if (PlatShouldFail(PlatOpRegistry)) return false;
    *value = 1;
    return true;
}

bool PlatRunAndWait(const char* file, const char*) {
    if (PlatShouldFail(PlatOpProcessStart)) return false;
    SeePath("run", file);
    ++g_processStarts;
    return true;
}

void PlatRequestStatusRepaint() {}

void PlatNotifyPatchDone() { ++g_doneCount; }
