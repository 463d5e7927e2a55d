#include "tools/progress.h"

#include <stdio.h>

#include <chrono>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

const int64_t kRedrawMs = 200;

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double Mebibytes(int64_t bytes) { return static_cast<double>(bytes) / 1048576.0; }

void Draw(Progress* progress) {
    if (progress->bytesTotal > 0)
        fprintf(stderr, "\r%s: %d/%d files, %.1f/%.1f MiB ", progress->verb, progress->filesDone,
                progress->filesTotal, Mebibytes(progress->bytesDone), Mebibytes(progress->bytesTotal));
    else
        fprintf(stderr, "\r%s: %d/%d files, %.1f MiB ", progress->verb, progress->filesDone, progress->filesTotal,
                Mebibytes(progress->bytesDone));
    fflush(stderr);
    progress->lastDrawMs = NowMs();
}

void DrawNowAndThen(Progress* progress) {
    if (progress->shown && NowMs() - progress->lastDrawMs >= kRedrawMs) Draw(progress);
}

}  // namespace

bool StandardErrorIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

void StartProgress(Progress* progress, bool shown, const char* verb, int filesTotal, int64_t bytesTotal) {
    *progress = {shown, verb, filesTotal, 0, bytesTotal, 0, 0};
    if (shown) Draw(progress);
}

void AddProgressBytes(Progress* progress, int64_t bytes) {
    progress->bytesDone += bytes;
    DrawNowAndThen(progress);
}

void AddProgressFile(Progress* progress) {
    ++progress->filesDone;
    DrawNowAndThen(progress);
}

void EndProgress(Progress* progress) {
    if (!progress->shown) return;
    Draw(progress);
    fputc('\n', stderr);
}
