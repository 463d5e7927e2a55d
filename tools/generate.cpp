#include "tools/generate.h"

#include <algorithm>

#include "engine/manifest.h"
#include "platform/platform.h"
#include "tools/file_digest.h"
#include "tools/folder_listing.h"
#include "tools/folder_path.h"
#include "tools/folder_walk.h"
#include "tools/game_file_names.h"
#include "tools/ignore_rules.h"
#include "tools/staged_file.h"

namespace {

const char kManifestName[] = "manifest.txt";
const char kVersionName[] = "version.txt";

// The outputs of an earlier run into the build folder itself are not game files.
void IgnoreOwnOutputs(IgnoreRules* rules) {
    for (const char* name : {kManifestName, kVersionName}) {
        AddIgnorePattern(rules, std::string("/") + name);
        AddIgnorePattern(rules, std::string("/") + name + kStagingSuffix);
    }
}

bool BuildIgnoreRules(const GenerateRequest& request, IgnoreRules* rules, std::string* error) {
    AddBuiltInIgnores(rules);
    if (IsSameFolder(request.buildFolder, request.outFolder)) IgnoreOwnOutputs(rules);
    for (const std::string& path : request.ignoreFiles) {
        if (LoadIgnoreFile(rules, path)) continue;
        *error = "cannot read the ignore file " + path;
        return false;
    }
    return true;
}

void CheckNames(const std::vector<GameFile>& files, size_t installFolderLength, std::vector<Refusal>* refusals) {
    std::vector<std::string> paths;
    for (const GameFile& file : files) {
        RefusalReason reason;
        if (IsInstallableName(file.relativePath.c_str(), installFolderLength, &reason))
            paths.push_back(file.relativePath);
        else
            refusals->push_back({file.relativePath, reason});
    }
    FindCaseClashes(paths, refusals);
}

void SortRefusals(std::vector<Refusal>* refusals) {
    std::stable_sort(refusals->begin(), refusals->end(),
                     [](const Refusal& a, const Refusal& b) { return a.relativePath < b.relativePath; });
}

// Hashes every file into manifest lines; a file that cannot be read whole,
// or changed size since it was listed, is refused.
void ComposeManifest(const std::vector<GameFile>& files, PlatHashContext* context, Progress* progress,
                     std::string* manifest, std::vector<Refusal>* refusals) {
    for (const GameFile& file : files) {
        char hex[41];
        int64_t length = 0;
        if (!DigestWholeFile(context, file.localPath.c_str(), hex, &length, progress))
            refusals->push_back({file.relativePath, RefusedUnreadable});
        else if (length != file.size)
            refusals->push_back({file.relativePath, RefusedChangedWhileRead});
        else
            *manifest += ManifestLineOf(file.relativePath, length, hex);
        AddProgressFile(progress);
    }
}

bool HashFiles(const GenerateRequest& request, const std::vector<GameFile>& files, std::string* manifest,
               GenerateReport* report) {
    PlatHashContext* context = PlatHashOpenContext();
    if (!context) {
        report->error = "the SHA-1 provider cannot be opened";
        return false;
    }
    Progress progress;
    StartProgress(&progress, request.showProgress, "hashing", static_cast<int>(files.size()), report->bytes);
    ComposeManifest(files, context, &progress, manifest, &report->refusals);
    EndProgress(&progress);
    PlatHashCloseContext(context);
    return true;
}

// Both outputs are staged before either replaces an earlier one.
bool WriteOutputs(const std::string& outFolder, const std::string& manifest, const std::string& label,
                  std::string* error) {
    StagedFile manifestFile;
    StagedFile versionFile;
    if (!StageFile(InFolder(outFolder, kManifestName), manifest, &manifestFile)) {
        *error = "cannot write " + manifestFile.temporary;
        return false;
    }
    if (!StageFile(InFolder(outFolder, kVersionName), label + "\n", &versionFile)) {
        DiscardStagedFile(manifestFile);
        *error = "cannot write " + versionFile.temporary;
        return false;
    }
    if (!CommitStagedFile(manifestFile)) {
        DiscardStagedFile(versionFile);
        DiscardStagedFile(manifestFile);
        *error = "cannot rename " + manifestFile.temporary + " to " + manifestFile.target;
        return false;
    }
    if (!CommitStagedFile(versionFile)) {
        DiscardStagedFile(versionFile);
        *error = "manifest.txt is new but version.txt could not be renamed from " + versionFile.temporary;
        return false;
    }
    return true;
}

GenerateOutcome ListServableFiles(const GenerateRequest& request, std::vector<GameFile>* files,
                                  GenerateReport* report) {
    IgnoreRules rules;
    if (!BuildIgnoreRules(request, &rules, &report->error)) return GenerateFailed;
    WalkBuildFolder(request.buildFolder, rules, files, &report->refusals);
    CheckNames(*files, request.installFolderLength, &report->refusals);
    if (!report->refusals.empty()) return Refused;
    if (files->empty()) {
        report->error = "the build folder holds no file to serve; players would read an empty manifest as a "
                        "failed download";
        return GenerateFailed;
    }
    report->installFolderRoom = InstallFolderRoom("");
    for (const GameFile& file : *files) {
        report->bytes += file.size;
        report->installFolderRoom = std::min(report->installFolderRoom, InstallFolderRoom(file.relativePath.c_str()));
    }
    report->files = static_cast<int>(files->size());
    return Generated;
}

}  // namespace

std::string ManifestLineOf(const std::string& relativePath, int64_t size, const char* hex) {
    return relativePath + "|" + std::to_string(size) + "|" + hex + "\n";
}

GenerateOutcome GenerateManifest(const GenerateRequest& given, GenerateReport* report) {
    *report = GenerateReport{{}, "", 0, 0, 0};
    GenerateRequest request = given;
    request.buildFolder = TrimFolder(given.buildFolder);
    request.outFolder = TrimFolder(given.outFolder);
    if (!IsUsableVersionLabel(request.label.c_str())) {
        report->error = "the version label must be 1 to 127 bytes without control bytes (CR, LF, tab...)";
        return Refused;
    }
    PlatFileInfo info;
    if (!PlatGetFileInfo(request.buildFolder.c_str(), &info) || !info.isDirectory) {
        report->error = "the build folder " + request.buildFolder + " does not exist";
        return GenerateFailed;
    }
    std::vector<GameFile> files;
    GenerateOutcome listed = ListServableFiles(request, &files, report);
    if (listed != Generated) {
        SortRefusals(&report->refusals);
        return listed;
    }
    std::string manifest;
    if (!HashFiles(request, files, &manifest, report)) return GenerateFailed;
    if (!report->refusals.empty()) return Refused;
    if (!WriteOutputs(request.outFolder, manifest, request.label, &report->error)) return GenerateFailed;
    return Generated;
}
