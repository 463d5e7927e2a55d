#include "tools/command_line.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "engine/manifest.h"
#include "tools/folder_path.h"
#include "tools/generate.h"
#include "tools/progress.h"
#include "tools/verify.h"

namespace {

const char kUsage[] =
    "usage:\n"
    "  mok-manifest [options] BUILD_FOLDER VERSION_LABEL\n"
    "      writes manifest.txt and version.txt for the game files in BUILD_FOLDER\n"
    "      --out FOLDER         where the two files go (default: the current folder)\n"
    "      --ignore FILE        patterns of files to leave out, one a line (may be repeated)\n"
    "      --install-folder N   the longest installation folder, trailing backslash included,\n"
    "                           that every path must fit (default 3, as in C:\\)\n"
    "  mok-manifest verify [--full] FOLDER [MANIFEST]\n"
    "      checks FOLDER against MANIFEST (default FOLDER/manifest.txt) as the patch run would\n"
    "      --full               also hash files over 50 MiB, which the patch run trusts by size\n"
    "exit status: 0 done, 1 files refused or differences found, 2 usage or input/output error\n";

int Misused(const char* message) {
    fprintf(stderr, "mok-manifest: %s\n%s", message, kUsage);
    return ToolMisused;
}

struct Arguments {
    std::vector<std::string> operands;
    std::vector<std::string> ignoreFiles;
    std::string outFolder = ".";
    size_t installFolderLength = kShortestBaseDir;
    bool full = false;
};

bool ReadLength(const char* text, size_t* length) {
    char* end = nullptr;
    unsigned long value = strtoul(text, &end, 10);
    if (end == text || *end != 0 || text[0] == '-' || value < kShortestBaseDir) return false;
    *length = value;
    return true;
}

// False, with the message, on an unknown option or a missing value.
bool ParseArguments(int argc, char** argv, int first, Arguments* arguments, std::string* message) {
    bool options = true;
    for (int i = first; i < argc; ++i) {
        std::string argument = argv[i];
        bool takesValue = argument == "--out" || argument == "--ignore" || argument == "--install-folder";
        if (options && takesValue && i + 1 >= argc) {
            *message = argument + " needs a value";
            return false;
        }
        if (!options || argument.empty() || argument[0] != '-' || argument == "-") {
            arguments->operands.push_back(argument);
        } else if (argument == "--") {
            options = false;
        } else if (argument == "--out") {
            arguments->outFolder = argv[++i];
        } else if (argument == "--ignore") {
            arguments->ignoreFiles.push_back(argv[++i]);
        } else if (argument == "--install-folder") {
            if (!ReadLength(argv[++i], &arguments->installFolderLength)) {
                *message = "--install-folder needs a number of characters, at least 3";
                return false;
            }
        } else if (argument == "--full") {
            arguments->full = true;
        } else {
            *message = "unknown option " + argument;
            return false;
        }
    }
    return true;
}

void PrintRefusals(const GenerateReport& report) {
    for (const Refusal& refusal : report.refusals)
        fprintf(stderr, "refused %s: %s\n", QuotedPath(refusal.relativePath).c_str(), RefusalText(refusal.reason));
    if (!report.error.empty()) fprintf(stderr, "refused: %s\n", report.error.c_str());
    if (!report.refusals.empty()) fprintf(stderr, "mok-manifest: %zu file(s) refused\n", report.refusals.size());
    fprintf(stderr, "mok-manifest: nothing was written\n");
}

int Generate(const Arguments& arguments) {
    if (arguments.full) return Misused("--full belongs to verify");
    if (arguments.operands.size() != 2) return Misused("expected a build folder and a version label");
    GenerateRequest request = {arguments.operands[0], arguments.operands[1], arguments.outFolder,
                               arguments.ignoreFiles, arguments.installFolderLength, StandardErrorIsTerminal()};
    GenerateReport report;
    switch (GenerateManifest(request, &report)) {
        case Generated:
            printf("manifest.txt: %d files, %.1f MiB; version.txt: %s\n", report.files,
                   static_cast<double>(report.bytes) / 1048576.0, request.label.c_str());
            printf("every path fits an installation folder of up to %zu characters\n", report.installFolderRoom);
            return ToolDone;
        case Refused:
            PrintRefusals(report);
            return ToolFoundProblems;
        case GenerateFailed:
            fprintf(stderr, "mok-manifest: %s; nothing was written\n", report.error.c_str());
            return ToolMisused;
    }
    return ToolMisused;
}

void PrintDifference(const Difference& difference) {
    std::string path = QuotedPath(difference.relativePath);
    const char* text = DifferenceText(difference.kind);
    if (difference.kind == DifferenceMissing)
        printf("%s: %s (%lld bytes expected)\n", text, path.c_str(), static_cast<long long>(difference.expectedSize));
    else if (difference.kind == DifferenceSize)
        printf("%s: %s (%lld bytes expected, %lld found)\n", text, path.c_str(),
               static_cast<long long>(difference.expectedSize), static_cast<long long>(difference.foundSize));
    else
        printf("%s: %s\n", text, path.c_str());
}

int Verify(const Arguments& arguments) {
    if (!arguments.ignoreFiles.empty() || arguments.outFolder != ".")
        return Misused("verify takes only --full");
    size_t count = arguments.operands.size();
    if (count < 1 || count > 2) return Misused("verify expects a folder and optionally a manifest");
    std::string folder = arguments.operands[0];
    std::string manifest = count == 2 ? arguments.operands[1] : InFolder(TrimFolder(folder), "manifest.txt");
    VerifyRequest request = {folder, manifest, arguments.full, StandardErrorIsTerminal()};
    VerifyReport report;
    if (!VerifyFolder(request, &report)) {
        fprintf(stderr, "mok-manifest: %s\n", report.error.c_str());
        return ToolMisused;
    }
    for (const Difference& difference : report.differences) PrintDifference(difference);
    printf("%d entries checked, %zu difference(s)\n", report.entries, report.differences.size());
    return report.differences.empty() ? ToolDone : ToolFoundProblems;
}

}  // namespace

int RunManifestTool(int argc, char** argv) {
    bool verify = argc > 1 && strcmp(argv[1], "verify") == 0;
    Arguments arguments;
    std::string message;
    if (argc > 1 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        fputs(kUsage, stdout);
        return ToolDone;
    }
    if (!ParseArguments(argc, argv, verify ? 2 : 1, &arguments, &message)) return Misused(message.c_str());
    return verify ? Verify(arguments) : Generate(arguments);
}
