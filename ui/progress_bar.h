// Geometry of the progress bar in the status band.
#pragma once

const int kTrackLeft = 20;
const int kTrackTop = 500;
const int kTrackRight = 480;
const int kTrackBottom = 510;

// Right edge of the fill for `percent`: 20 + percent * 460 / 100, truncated.
// The board keeps whatever percent it was given, so the drawing stops at the
// track's end above 100 and draws nothing below 0 (the result is then 20).
int ProgressFillRight(int percent);
