#include "engine/manifest.h"

#include <ctype.h>
#include <string.h>

#include "engine/download.h"
#include "engine/launcher_state.h"
#include "engine/text.h"
#include "engine/version_state.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsControlByte(unsigned char c) { return c < 0x20 || c == 0x7f; }

bool EndsWithIgnoringCase(const char* text, const char* suffix) {
    size_t textLength = strlen(text);
    size_t suffixLength = strlen(suffix);
    if (textLength < suffixLength) return false;
    const char* tail = text + textLength - suffixLength;
    for (size_t i = 0; i < suffixLength; ++i)
        if (tolower(static_cast<unsigned char>(tail[i])) != tolower(static_cast<unsigned char>(suffix[i]))) return false;
    return true;
}

bool FitsFileUrl(const char* relativePath) {
    char encoded[kEncodedPathSize];
    return PercentEncodePath(relativePath, encoded, sizeof encoded);
}

bool IsSizeSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool EqualsIgnoringCase(const char* text, size_t length, const char* name) {
    if (strlen(name) != length) return false;
    for (size_t i = 0; i < length; ++i)
        if (toupper(static_cast<unsigned char>(text[i])) != name[i]) return false;
    return true;
}

// COM and LPT devices take the digits 1-9 and, in code page 1252, the
// superscripts 1, 2 and 3.
bool IsDevicePortDigit(unsigned char c) { return (c >= '1' && c <= '9') || c == 0xB9 || c == 0xB2 || c == 0xB3; }

// Windows opens a device for these names whatever the extension, and
// ignores trailing spaces and dots.
bool IsDeviceName(const char* component, size_t length) {
    size_t stem = 0;
    while (stem < length && component[stem] != '.') ++stem;
    while (stem > 0 && component[stem - 1] == ' ') --stem;
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* device : kDevices)
        if (EqualsIgnoringCase(component, stem, device)) return true;
    if (stem != 4 || !IsDevicePortDigit(static_cast<unsigned char>(component[3]))) return false;
    return EqualsIgnoringCase(component, 3, "COM") || EqualsIgnoringCase(component, 3, "LPT");
}

// A component that is empty or only dots and spaces ("", ".", "..", "...")
// names the folder itself or a parent once Windows trims it.
bool IsUnsafeComponent(const char* component, size_t length) {
    size_t kept = length;
    while (kept > 0 && (component[kept - 1] == '.' || component[kept - 1] == ' ')) --kept;
    return kept == 0 || IsDeviceName(component, length);
}

}  // namespace

int64_t ReadManifestSize(const char* text) {
    while (IsSizeSpace(*text)) ++text;
    bool negative = *text == '-';
    if (*text == '+' || *text == '-') ++text;
    uint64_t magnitude = 0;
    const uint64_t limit = negative ? static_cast<uint64_t>(INT64_MAX) + 1 : static_cast<uint64_t>(INT64_MAX);
    for (; *text >= '0' && *text <= '9'; ++text) {
        unsigned digit = static_cast<unsigned>(*text - '0');
        if (magnitude > (limit - digit) / 10) {
            magnitude = limit;  // clamped; the remaining digits change nothing
            break;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (!negative) return static_cast<int64_t>(magnitude);
    return magnitude == limit ? INT64_MIN : -static_cast<int64_t>(magnitude);
}

int CountManifestLines(const char* text) {
    int lines = 0;
    for (; *text; ++text)
        if (*text == '\n') ++lines;
    return lines > 0 ? lines : 1;
}

bool SplitManifestLine(char* line, ManifestEntry* entry) {
    char* first = strchr(line, '|');
    if (!first) return false;
    char* second = strchr(first + 1, '|');
    if (!second) return false;
    *first = 0;
    *second = 0;
    entry->relativePath = line;
    entry->size = ReadManifestSize(first + 1);
    entry->digest = second + 1;
    return true;
}

bool IsSafeRelativePath(const char* relativePath) {
    if (relativePath[0] == 0 || IsSeparator(relativePath[0])) return false;
    const char* component = relativePath;
    for (const char* at = relativePath;; ++at) {
        unsigned char c = static_cast<unsigned char>(*at);
        if (c != 0 && c < 0x20) return false;
        if (c == ':') return false;
        if (c == 0 || IsSeparator(*at)) {
            if (IsUnsafeComponent(component, static_cast<size_t>(at - component))) return false;
            if (c == 0) return true;
            component = at + 1;
        }
    }
}

bool ComposeLocalPath(const char* baseDir, const char* relativePath, char* out, size_t size) {
    if (!JoinText(baseDir, relativePath, out, size)) return false;
    for (char* at = out; *at; ++at)
        if (*at == '/') *at = '\\';
    return true;
}

char* TakeManifestLine(char** cursor) {
    char* at = *cursor + strspn(*cursor, "\r\n");
    if (*at == 0) {
        *cursor = at;
        return nullptr;
    }
    char* line = at;
    at += strcspn(at, "\r\n");
    if (*at != 0) *at++ = 0;
    *cursor = at;
    return line;
}

size_t BaseDirRoom(const char* relativePath) {
    // ComposeLocalPath and the temporary name must both fit kPathSize - 1
    // characters; the temporary name is the longer.
    size_t used = strlen(relativePath) + strlen(kDownloadTempSuffix);
    size_t limit = static_cast<size_t>(kPathSize) - 1;
    return used < limit ? limit - used : 0;
}

EntryPathProblem CheckEntryPath(const char* relativePath, size_t baseDirLength) {
    if (strchr(relativePath, '|')) return EntryPathBar;
    if (strpbrk(relativePath, "\r\n")) return EntryPathLineBreak;
    for (const unsigned char* at = reinterpret_cast<const unsigned char*>(relativePath); *at; ++at)
        if (*at < 0x20) return EntryPathControlByte;
    if (!IsSafeRelativePath(relativePath)) return EntryPathUnsafe;
    if (EndsWithIgnoringCase(relativePath, kDownloadTempSuffix)) return EntryPathTempName;
    if (!FitsFileUrl(relativePath)) return EntryPathUrlTooLong;
    if (BaseDirRoom(relativePath) < baseDirLength) return EntryPathTooLong;
    return EntryPathFits;
}

bool IsUsableVersionLabel(const char* label) {
    size_t length = strlen(label);
    if (length == 0 || length > kLongestVersionLabel) return false;
    for (const char* at = label; *at; ++at)
        if (IsControlByte(static_cast<unsigned char>(*at))) return false;
    return true;
}
