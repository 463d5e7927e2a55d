// Fault injection and handle accounting shared by both platform back ends.
// Tests make any single operation fail and check that every handle opened
// was closed, in order.
#pragma once

enum PlatOp {
    PlatOpHttpSession,
    PlatOpHttpOpenUrl,
    PlatOpHttpRead,
    PlatOpAlloc,
    PlatOpFileInfo,
    PlatOpCreateDirectory,
    PlatOpOpenForRead,
    PlatOpCreateForWrite,
    PlatOpReadFile,
    PlatOpWriteFile,
    PlatOpShortWrite,  // the write succeeds but writes fewer bytes than asked
    PlatOpReplaceFile,
    PlatOpDeleteFile,
    PlatOpHashContext,
    PlatOpHashCreate,
    PlatOpHashFeed,
    PlatOpHashValue,
    PlatOpRegistry,
    PlatOpProcessStart,
    PlatOpCount
};

// Handle kinds, as letters in the handle log.
enum PlatHandleKind : char {
    PlatHandleSession = 'S',
    PlatHandleUrl = 'U',
    PlatHandleFile = 'F',
    PlatHandleHashContext = 'C',
    PlatHandleHash = 'H',
    PlatHandleRegistryKey = 'K',
    PlatHandleProcess = 'P',
};

// Tests.
void PlatFailCall(PlatOp op, int nth);  // the nth call of `op` from now fails (1 = the next)
void PlatResetFaults();                  // clears faults, call counts and the handle log
int PlatCallCount(PlatOp op);            // calls of `op` since the last reset
int PlatOpenHandleCount();               // handles open right now, of every kind
const char* PlatHandleLog();             // e.g. "S+U+F+F-U-S-" since the last reset

// Back ends.
bool PlatShouldFail(PlatOp op);  // counts the call; true when it must fail
void PlatHandleOpened(PlatHandleKind kind);
void PlatHandleClosed(PlatHandleKind kind);
