// The one channel from the patch run to the window: status line, percent and
// the ready flag. The worker writes, the UI thread reads; a short lock around
// each copy keeps a reader from ever seeing a half-copied text.
#pragma once

const int kStatusTextSize = 300;  // at most 299 characters are kept

struct StatusBoard {
    char text[kStatusTextSize];
    int percent;
    int ready;
};

void PublishStatus(const char* text, int percent);
void PublishStatusText(const char* text);  // the percent keeps its value
void SetBoardReady();

// UI thread: a consistent copy of text and percent.
void ReadStatusBoard(char text[kStatusTextSize], int* percent);
bool IsBoardReady();

// Tests: sees every update after it is stored, and can start over.
typedef void (*StatusObserver)(const char* text, int percent, bool textOnly);
void SetStatusObserver(StatusObserver observer);
void ResetStatusBoard();
