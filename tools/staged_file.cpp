#include "tools/staged_file.h"

#include <stdint.h>

#include <algorithm>

#include "platform/platform.h"

namespace {

const size_t kWriteBlock = 1048576;

bool WriteAll(PlatFile* file, const std::string& content) {
    for (size_t done = 0; done < content.size();) {
        uint32_t size = static_cast<uint32_t>(std::min(kWriteBlock, content.size() - done));
        uint32_t written = 0;
        if (!PlatWriteFile(file, content.data() + done, size, &written) || written != size) return false;
        done += size;
    }
    return true;
}

}  // namespace

bool StageFile(const std::string& target, const std::string& content, StagedFile* staged) {
    staged->target = target;
    staged->temporary = target + kStagingSuffix;
    PlatFile* file = PlatCreateForWrite(staged->temporary.c_str());
    if (!file) return false;
    bool ok = WriteAll(file, content);
    PlatCloseFile(file);
    if (!ok) PlatDeleteFile(staged->temporary.c_str());
    return ok;
}

bool CommitStagedFile(const StagedFile& staged) {
    return PlatReplaceFile(staged.temporary.c_str(), staged.target.c_str());
}

void DiscardStagedFile(const StagedFile& staged) { PlatDeleteFile(staged.temporary.c_str()); }
