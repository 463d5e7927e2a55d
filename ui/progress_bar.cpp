#include "ui/progress_bar.h"

int ProgressFillRight(int percent) {
    if (percent <= 0) return kTrackLeft;
    if (percent >= 100) return kTrackRight;
    return kTrackLeft + percent * (kTrackRight - kTrackLeft) / 100;
}
