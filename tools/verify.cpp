#include "tools/verify.h"

#include <stdlib.h>
#include <string.h>

#include "engine/file_check.h"
#include "engine/manifest.h"
#include "platform/platform.h"
#include "tools/file_digest.h"
#include "tools/folder_listing.h"
#include "tools/folder_path.h"

namespace {

// A mirror's folder may be deeper than any installation folder.
const size_t kVerifyPathSize = 4096;
const size_t kLargestManifest = 512u << 20;

// The whole file with a NUL after it, in a heap block to free; null on failure.
char* ReadWholeManifest(const std::string& path) {
    PlatFileInfo info;
    if (!PlatGetFileInfo(path.c_str(), &info) || info.isDirectory || info.size < 0 ||
        static_cast<uint64_t>(info.size) > kLargestManifest)
        return nullptr;
    size_t size = static_cast<size_t>(info.size);
    char* text = static_cast<char*>(malloc(size + 1));
    if (!text) return nullptr;
    PlatFile* file = PlatOpenForRead(path.c_str());
    size_t used = 0;
    if (file) {
        uint32_t got = 0;
        while (used < size && PlatReadFile(file, text + used, static_cast<uint32_t>(size - used), &got) && got > 0)
            used += got;
        PlatCloseFile(file);
    }
    if (!file || used != size) {
        free(text);
        return nullptr;
    }
    text[size] = 0;
    return text;
}

// What the patch run finds wrong with a stale file.
Difference DescribeStale(const ManifestEntry& entry, const char* localPath) {
    PlatFileInfo info;
    if (!PlatGetFileInfo(localPath, &info) || info.isDirectory)
        return {entry.relativePath, DifferenceMissing, entry.size, -1};
    DifferenceKind kind = info.size == entry.size ? DifferenceDigest : DifferenceSize;
    return {entry.relativePath, kind, entry.size, info.size};
}

bool HasOtherDigest(const char* localPath, const char* expectedDigest, PlatHashContext* context,
                    Progress* progress) {
    char hex[41];
    int64_t length = 0;
    return !DigestWholeFile(context, localPath, hex, &length, progress) || strcmp(hex, expectedDigest) != 0;
}

struct Check {
    const VerifyRequest* request;
    std::string baseDir;  // with a trailing separator, like BaseDir
    PlatHashContext* context;
    Progress* progress;
    VerifyReport* report;
};

void CheckEntry(const Check& check, const ManifestEntry& entry) {
    char localPath[kVerifyPathSize];
    if (!IsSafeRelativePath(entry.relativePath) ||
        !ComposeLocalPath(check.baseDir.c_str(), entry.relativePath, localPath, sizeof localPath)) {
        check.report->differences.push_back({entry.relativePath, DifferenceUnsafe, entry.size, -1});
        return;
    }
    if (CheckLocalFile(localPath, entry.size, entry.digest, true) == Stale) {
        check.report->differences.push_back(DescribeStale(entry, localPath));
    } else if (check.request->full && entry.size > kHashSizeLimit &&
               HasOtherDigest(localPath, entry.digest, check.context, check.progress)) {
        check.report->differences.push_back({entry.relativePath, DifferenceBigDigest, entry.size, entry.size});
    }
    AddProgressBytes(check.progress, entry.size > 0 ? entry.size : 0);
}

void CheckEntries(const Check& check, char* manifest) {
    int total = CountManifestLines(manifest);
    StartProgress(check.progress, check.request->showProgress, "verifying", total, 0);
    char* cursor = manifest;
    while (char* line = TakeManifestLine(&cursor)) {
        ManifestEntry entry;
        if (!SplitManifestLine(line, &entry)) continue;
        ++check.report->entries;
        CheckEntry(check, entry);
        AddProgressFile(check.progress);
    }
    EndProgress(check.progress);
}

}  // namespace

const char* DifferenceText(DifferenceKind kind) {
    switch (kind) {
        case DifferenceMissing: return "missing";
        case DifferenceSize: return "size differs";
        case DifferenceDigest: return "digest differs";
        case DifferenceUnsafe: return "refused by the patch run (unsafe or too long a path)";
        case DifferenceBigDigest: return "digest differs (over 50 MiB: the patch run trusts its size and keeps it)";
    }
    return "differs";
}

bool VerifyFolder(const VerifyRequest& request, VerifyReport* report) {
    *report = VerifyReport{0, {}, ""};
    char* manifest = ReadWholeManifest(request.manifestPath);
    if (!manifest) {
        report->error = "cannot read the manifest " + request.manifestPath;
        return false;
    }
    PlatHashContext* context = request.full ? PlatHashOpenContext() : nullptr;
    if (request.full && !context) {
        free(manifest);
        report->error = "the SHA-1 provider cannot be opened";
        return false;
    }
    Progress progress;
    Check check = {&request, InFolder(TrimFolder(request.folder), ""), context, &progress, report};
    CheckEntries(check, manifest);
    if (context) PlatHashCloseContext(context);
    free(manifest);
    return true;
}
