#include "engine/status_board.h"

#include <atomic>
#include <string.h>

#include "platform/platform.h"

namespace {

StatusBoard g_board = {"Memulai...", 0, 0};
// Held only for a copy of at most 300 bytes, so neither thread waits long.
std::atomic_flag g_boardLock = ATOMIC_FLAG_INIT;
StatusObserver g_observer = nullptr;

void LockBoard() {
    while (g_boardLock.test_and_set(std::memory_order_acquire)) {
    }
}

void UnlockBoard() { g_boardLock.clear(std::memory_order_release); }

void CopyText(char* to, const char* from) {
    size_t length = strnlen(from, kStatusTextSize - 1);
    memcpy(to, from, length);
    to[length] = 0;
}

void Update(const char* text, const int* percent) {
    char stored[kStatusTextSize];
    int storedPercent;
    LockBoard();
    CopyText(g_board.text, text);
    if (percent) g_board.percent = *percent;
    CopyText(stored, g_board.text);
    storedPercent = g_board.percent;
    UnlockBoard();
    PlatRequestStatusRepaint();
    if (g_observer) g_observer(stored, storedPercent, percent == nullptr);
}

}  // namespace

void PublishStatus(const char* text, int percent) { Update(text, &percent); }

void PublishStatusText(const char* text) { Update(text, nullptr); }

void SetBoardReady() {
    LockBoard();
    g_board.ready = 1;
    UnlockBoard();
}

void ReadStatusBoard(char text[kStatusTextSize], int* percent) {
    LockBoard();
    memcpy(text, g_board.text, kStatusTextSize);
    *percent = g_board.percent;
    UnlockBoard();
}

bool IsBoardReady() {
    LockBoard();
    bool ready = g_board.ready != 0;
    UnlockBoard();
    return ready;
}

void SetStatusObserver(StatusObserver observer) { g_observer = observer; }

void ResetStatusBoard() {
    LockBoard();
    CopyText(g_board.text, "Memulai...");
    g_board.percent = 0;
    g_board.ready = 0;
    UnlockBoard();
}
