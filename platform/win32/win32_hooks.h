// The Win32 back end's link to the launcher window.
#pragma once

#include <windows.h>

#define WM_PATCH_DONE (WM_APP + 1)  // the patch run has finished; wParam 0, lParam 0

// The window that receives repaint requests and WM_PATCH_DONE; none before it is set.
void PlatWin32SetMainWindow(HWND window);
HWND PlatWin32MainWindow();
