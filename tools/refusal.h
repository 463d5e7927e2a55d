// Why a file in a game build cannot go into the manifest.
#pragma once

#include <string>
#include <vector>

enum RefusalReason {
    // The patch run could not read or install the entry.
    RefusedBar,
    RefusedLineBreak,
    RefusedControlByte,
    RefusedUnsafePath,
    RefusedTempSuffix,
    RefusedUrlTooLong,
    RefusedPathTooLong,
    // Windows would give the player's copy another name, or none.
    RefusedNotAscii,
    RefusedWindowsCharacter,
    RefusedTrailingDotOrSpace,
    RefusedCaseClash,
    RefusedServedName,
    // The build folder itself.
    RefusedLinkOutside,
    RefusedLinkToFolder,
    RefusedLinkBroken,
    RefusedLinkNotFollowed,
    RefusedNotRegularFile,
    RefusedUnlistable,
    RefusedLocalPathTooLong,
    RefusedUnreadable,
    RefusedChangedWhileRead,
};

struct Refusal {
    std::string relativePath;  // '/'-separated
    RefusalReason reason;
};

// One sentence: what is wrong and, where it helps, what to do.
const char* RefusalText(RefusalReason reason);

// `path` for a message: printable ASCII kept, '"' and '\\' and every other
// byte as \xHH, in double quotes.
std::string QuotedPath(const std::string& path);
