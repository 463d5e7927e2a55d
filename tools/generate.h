// Writing manifest.txt and version.txt for a game build folder.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "tools/refusal.h"

struct GenerateRequest {
    std::string buildFolder;
    std::string label;
    std::string outFolder;
    std::vector<std::string> ignoreFiles;  // the studio's patterns, beside the built-in ones
    size_t installFolderLength;            // the longest installation folder every path must fit
    bool showProgress;
};

enum GenerateOutcome {
    Generated,
    Refused,         // files or the label cannot be served; nothing written
    GenerateFailed,  // the request or the output could not be handled; nothing written
};

struct GenerateReport {
    std::vector<Refusal> refusals;  // in path order
    std::string error;              // for GenerateFailed, and for a refused label
    int files;
    int64_t bytes;
    size_t installFolderRoom;  // the longest installation folder all paths fit
};

GenerateOutcome GenerateManifest(const GenerateRequest& request, GenerateReport* report);

// One manifest line: "path|size|sha1\n".
std::string ManifestLineOf(const std::string& relativePath, int64_t size, const char* hex);
