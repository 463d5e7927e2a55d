#include "tools/refusal.h"

#include <stdio.h>

const char* RefusalText(RefusalReason reason) {
    switch (reason) {
        case RefusedBar: return "contains '|', which ends the path in a manifest line";
        case RefusedLineBreak: return "contains a CR or LF, which splits the manifest line";
        case RefusedControlByte: return "contains a control byte";
        case RefusedUnsafePath:
            return "the patch run refuses it as unsafe (an empty, \".\" or \"..\" component, ':', or a Windows "
                   "device name such as CON, NUL, COM1 or LPT1)";
        case RefusedTempSuffix: return "ends in \".mokpart\", the name of the patch run's temporary downloads";
        case RefusedUrlTooLong: return "percent-encoded it does not fit the patch run's URL (2,047 characters)";
        case RefusedPathTooLong:
            return "too long: the relative path, plus \".mokpart\" while downloading, must leave room for the "
                   "installation folder within Windows' 259 characters (folders within 247); shorten the "
                   "relative path";
        case RefusedNotAscii:
            return "contains a non-ASCII byte: the patcher names files in the player's ANSI code page, so the "
                   "installed name would differ";
        case RefusedWindowsCharacter: return "contains a character Windows forbids in names: < > \" \\ ? *";
        case RefusedTrailingDotOrSpace:
            return "a component ends in '.' or ' ', which Windows drops, so the installed name would differ";
        case RefusedCaseClash:
            return "differs only in letter case from another file, or from a folder, which Windows cannot tell apart";
        case RefusedServedName: return "takes the place of the served manifest.txt or version.txt";
        case RefusedLinkOutside: return "a symbolic link leading out of the build folder (not followed)";
        case RefusedLinkToFolder: return "a symbolic link to a folder (not followed); copy the folder instead";
        case RefusedLinkBroken: return "a symbolic link whose target does not exist";
        case RefusedLinkNotFollowed: return "a link or junction (not followed); copy its target instead";
        case RefusedNotRegularFile: return "not a regular file (a device, pipe or socket)";
        case RefusedUnlistable: return "a folder that cannot be listed";
        case RefusedLocalPathTooLong:
            return "its path here is too long to open; move the build to a shorter folder, such as C:\\b\\";
        case RefusedUnreadable: return "cannot be read to its end";
        case RefusedChangedWhileRead: return "its size changed while it was read; generate again once the build is still";
    }
    return "refused";
}

std::string QuotedPath(const std::string& path) {
    std::string quoted = "\"";
    for (unsigned char c : path) {
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
            quoted += static_cast<char>(c);
        } else {
            char escape[8];
            snprintf(escape, sizeof escape, "\\x%02X", c);
            quoted += escape;
        }
    }
    return quoted + "\"";
}
