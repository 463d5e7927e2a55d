// The portable half of test_support.h: endpoints from the environment,
// scratch folders and files, and a reference SHA-1.
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
const char kSeparator = '\\';
#else
const char kSeparator = '/';
#endif

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Without the fixture's environment no server test can mean anything, and a
// guessed document root could write into the wrong place: stop the run.
std::string RequiredEnv(const char* name) {
    const char* value = getenv(name);
    if (value == nullptr || *value == '\0') {
        fprintf(stderr,
                "\n%s is not set. Run the tests through ctest (fixture mok_servers), or start the "
                "servers by hand as tests/servers/README.md shows and export its variables.\n",
                name);
        fflush(stderr);
        exit(2);
    }
    return value;
}

std::string WithTrailingSeparator(std::string path) {
    if (path.empty() || !IsSeparator(path.back())) path += kSeparator;
    return path;
}

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
    return path;
}

std::string ParentOf(const std::string& path) {
    std::string trimmed = WithoutTrailingSeparator(path);
    size_t cut = trimmed.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : trimmed.substr(0, cut);
}

#ifdef _WIN32

bool IsDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeOneDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string SystemTempFolder() {
    char buffer[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof buffer, buffer);
    if (length == 0 || length > MAX_PATH) return "C:\\windows\\temp\\";
    return WithTrailingSeparator(std::string(buffer, length));
}

unsigned long ProcessId() { return GetCurrentProcessId(); }

void RemoveEntry(const std::string& path, bool isDirectory) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // read-only files refuse deletion
    if (isDirectory) {
        RemoveDirectoryA(path.c_str());
    } else {
        DeleteFileA(path.c_str());
    }
}

void RemoveChildren(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        std::string child = folder + "\\" + name;
        bool isDirectory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // A reparse point is removed itself, never followed.
        if (isDirectory && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            RemoveChildren(child);
        }
        RemoveEntry(child, isDirectory);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

void RemovePath(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    bool isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isDirectory && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) RemoveChildren(path);
    RemoveEntry(path, isDirectory);
}

#else

bool IsDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeOneDirectory(const std::string& path) {
    return mkdir(path.c_str(), 0755) == 0 || IsDirectory(path);
}

std::string SystemTempFolder() {
    const char* tmp = getenv("TMPDIR");
    return WithTrailingSeparator(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp");
}

unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }

void RemoveChildren(const std::string& folder);

// lstat, so a symbolic link is removed itself, never followed.
void RemovePath(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return;
    if (S_ISDIR(info.st_mode)) {
        RemoveChildren(path);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

void RemoveChildren(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    std::vector<std::string> names;
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    for (const std::string& name : names) RemovePath(folder + "/" + name);
}

#endif

bool MakeDirectories(const std::string& path) {
    std::string folder = WithoutTrailingSeparator(path);
    if (folder.empty() || IsDirectory(folder)) return true;
    std::string parent = ParentOf(folder);
    if (!parent.empty() && parent != folder && !MakeDirectories(parent)) return false;
    return MakeOneDirectory(folder);
}

// ---- SHA-1 (FIPS 180-4), kept apart from the platform layer -----------------

uint32_t RotateLeft(uint32_t value, int bits) { return (value << bits) | (value >> (32 - bits)); }

void Sha1Block(uint32_t state[5], const unsigned char block[64]) {
    uint32_t w[80];
    for (int i = 0; i < 16; ++i) {
        w[i] = (uint32_t(block[4 * i]) << 24) | (uint32_t(block[4 * i + 1]) << 16) |
               (uint32_t(block[4 * i + 2]) << 8) | uint32_t(block[4 * i + 3]);
    }
    for (int i = 16; i < 80; ++i) w[i] = RotateLeft(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);

    uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    for (int i = 0; i < 80; ++i) {
        uint32_t f, k;
        if (i < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999;
        } else if (i < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1;
        } else if (i < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDC;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6;
        }
        uint32_t next = RotateLeft(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = RotateLeft(b, 30);
        b = a;
        a = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
}

}  // namespace

std::string NginxUrl() { return RequiredEnv("MOK_TEST_NGINX_URL"); }
std::string FaultUrl() { return RequiredEnv("MOK_TEST_FAULT_URL"); }
std::string UntrustedUrl() { return RequiredEnv("MOK_TEST_UNTRUSTED_URL"); }
std::string ClosedPortUrl() { return RequiredEnv("MOK_TEST_CLOSED_PORT_URL"); }

std::string DocRoot() {
    std::string root = RequiredEnv("MOK_TEST_DOCROOT");
#ifdef _WIN32
    // Wine maps drive Z: to the Unix root.
    for (char& c : root) {
        if (c == '/') c = '\\';
    }
    if (root[0] == '\\') root = "Z:" + root;
#endif
    return WithTrailingSeparator(root);
}

std::string PathJoin(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return WithTrailingSeparator(folder) + name;
}

std::string MakeTempFolder() {
    static unsigned counter = 0;
    std::string base = SystemTempFolder();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string path = base + "mok-test-" + std::to_string(ProcessId()) + "-" +
                           std::to_string(counter++);
#ifdef _WIN32
        bool created = CreateDirectoryA(path.c_str(), nullptr) != 0;
#else
        bool created = mkdir(path.c_str(), 0700) == 0;
#endif
        if (created) return path + kSeparator;
    }
    ADD_FAILURE() << "cannot create a scratch folder in " << base;
    return std::string();
}

void RemoveTree(const std::string& path) {
    if (!path.empty()) RemovePath(WithoutTrailingSeparator(path));
}

void WriteWholeFile(const std::string& path, const std::string& content) {
    std::string parent = ParentOf(path);
    if (!parent.empty() && !MakeDirectories(parent)) {
        ADD_FAILURE() << "cannot create the folder " << parent;
        return;
    }
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) {
        ADD_FAILURE() << "cannot create " << path;
        return;
    }
    size_t written = fwrite(content.data(), 1, content.size(), file);
    bool closed = fclose(file) == 0;
    if (written != content.size() || !closed) ADD_FAILURE() << "cannot write " << path;
}

bool ReadWholeFile(const std::string& path, std::string* content) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::string data;
    char buffer[64 * 1024];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) data.append(buffer, got);
    bool ok = !ferror(file);
    fclose(file);
    if (ok) content->swap(data);
    return ok;
}

bool FileExists(const std::string& path) {
#ifdef _WIN32
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat info;
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
#endif
}

std::string Sha1Hex(const std::string& data) {
    uint32_t state[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    size_t whole = data.size() / 64 * 64;
    for (size_t offset = 0; offset < whole; offset += 64) {
        Sha1Block(state, reinterpret_cast<const unsigned char*>(data.data()) + offset);
    }

    // Padding: 0x80, zeros, then the length in bits as a big-endian 64-bit number.
    unsigned char tail[128] = {0};
    size_t rest = data.size() - whole;
    memcpy(tail, data.data() + whole, rest);
    tail[rest] = 0x80;
    size_t tailSize = rest + 1 + 8 <= 64 ? 64 : 128;
    uint64_t bits = uint64_t(data.size()) * 8;
    for (int i = 0; i < 8; ++i) tail[tailSize - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
    for (size_t offset = 0; offset < tailSize; offset += 64) Sha1Block(state, tail + offset);

    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (uint32_t word : state) {
        for (int shift = 28; shift >= 0; shift -= 4) hex += kHex[(word >> shift) & 0xF];
    }
    return hex;
}
