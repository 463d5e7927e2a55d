// Checking a folder, such as a mirror's, against a manifest: the decision
// the patch run makes for each entry when the versions differ.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

enum DifferenceKind {
    DifferenceMissing,    // no file (or a folder) at the path
    DifferenceSize,
    DifferenceDigest,
    DifferenceUnsafe,     // the patch run refuses the entry itself
    DifferenceBigDigest,  // only with `full`: the patch run trusts such files by size
};

struct Difference {
    std::string relativePath;
    DifferenceKind kind;
    int64_t expectedSize;
    int64_t foundSize;  // -1 when missing
};

struct VerifyRequest {
    std::string folder;
    std::string manifestPath;
    bool full;  // also hash the files the patch run trusts by size
    bool showProgress;
};

struct VerifyReport {
    int entries;
    std::vector<Difference> differences;  // in manifest order
    std::string error;                    // when the manifest cannot be read
};

// False when the manifest cannot be read; differences are not failures.
bool VerifyFolder(const VerifyRequest& request, VerifyReport* report);

const char* DifferenceText(DifferenceKind kind);
