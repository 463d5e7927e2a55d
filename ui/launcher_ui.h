// The launcher window: its layout, colours, process-wide handles and the
// functions the window procedure dispatches to.
#pragma once

#include <windows.h>

#include "res/resource.h"

// ---- Resources and controls -------------------------------------------------
const int IDC_MAIN = 1001;
const int IDC_CLOSE = 1002;

// ---- Layout (client coordinates) ----------------------------------------------
const int kWindowWidth = 500;
const int kWindowHeight = 531;
const RECT kStatusBandRect = {0, 475, 500, 531};
const RECT kStatusTextRect = {22, 479, 478, 498};
const int kMainButtonLeft = 350;
const int kMainButtonTop = 440;
const int kMainButtonWidth = 120;
const int kMainButtonHeight = 40;
const int kCloseButtonLeft = 456;
const int kCloseButtonTop = 10;
const int kCloseButtonWidth = 34;
const int kCloseButtonHeight = 28;

// ---- Colours ---------------------------------------------------------------
const COLORREF kBandColour = RGB(12, 14, 20);
const COLORREF kTrackColour = RGB(40, 44, 58);
const COLORREF kFillColour = RGB(242, 196, 103);
const COLORREF kStatusTextColour = RGB(220, 228, 250);
const COLORREF kMainArmedColour = RGB(242, 196, 103);
const COLORREF kMainUnarmedColour = RGB(90, 90, 100);
const COLORREF kMainPressedColour = RGB(210, 170, 80);
const COLORREF kCloseColour = RGB(200, 70, 70);
const COLORREF kClosePressedColour = RGB(160, 50, 50);
const COLORREF kButtonFrameColour = RGB(255, 255, 255);
const COLORREF kButtonTextColour = RGB(20, 20, 20);

// ---- Texts -----------------------------------------------------------------
#define MOK_CLASS_NAME "MOKPatcher"
#define MOK_WINDOW_TITLE "Self Repair"
#define MOK_GAME_EXE "MOK.exe"

// ---- Launcher state: set once by WinMain, read-only afterwards -----------------
extern HBITMAP g_background;  // lives as long as the process
extern HWND g_mainWindow;
extern HWND g_mainButton;

// ---- Window procedure and its helpers --------------------------------------------
LRESULT CALLBACK LauncherWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PaintLauncher(HWND hwnd);
void DrawFlatButton(const DRAWITEMSTRUCT* item, const char* label, COLORREF normal,
                    COLORREF pressed);
void LaunchGame();
