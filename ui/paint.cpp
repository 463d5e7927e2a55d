// WM_PAINT and the owner-drawn buttons. Every brush and device context made
// here is released before the function that made it returns.
#include "engine/status_board.h"
#include "ui/launcher_ui.h"
#include "ui/progress_bar.h"

static void FillSolid(HDC dc, const RECT* rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    if (brush == nullptr) return;
    FillRect(dc, rect, brush);
    DeleteObject(brush);
}

static void FrameSolid(HDC dc, const RECT* rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    if (brush == nullptr) return;
    FrameRect(dc, rect, brush);
    DeleteObject(brush);
}

static void CopyBackground(HDC dc) {
    HDC memory = CreateCompatibleDC(dc);
    if (memory == nullptr) return;
    HGDIOBJ previous = SelectObject(memory, g_background);
    BitBlt(dc, 0, 0, kWindowWidth, kWindowHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

static void PaintStatusBand(HDC dc) {
    char text[kStatusTextSize];
    int percent = 0;
    ReadStatusBoard(text, &percent);

    FillSolid(dc, &kStatusBandRect, kBandColour);
    const RECT track = {kTrackLeft, kTrackTop, kTrackRight, kTrackBottom};
    FillSolid(dc, &track, kTrackColour);
    const RECT fill = {kTrackLeft, kTrackTop, ProgressFillRight(percent), kTrackBottom};
    FillSolid(dc, &fill, kFillColour);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kStatusTextColour);
    RECT textRect = kStatusTextRect;
    DrawTextA(dc, text, -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
}

void PaintLauncher(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    if (dc == nullptr) return;
    CopyBackground(dc);
    PaintStatusBand(dc);
    EndPaint(hwnd, &paint);
}

void DrawFlatButton(const DRAWITEMSTRUCT* item, const char* label, COLORREF normal,
                    COLORREF pressed) {
    HDC dc = item->hDC;
    RECT rect = item->rcItem;
    FillSolid(dc, &rect, (item->itemState & ODS_SELECTED) ? pressed : normal);
    FrameSolid(dc, &rect, kButtonFrameColour);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kButtonTextColour);
    DrawTextA(dc, label, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
