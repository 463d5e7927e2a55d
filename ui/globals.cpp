#include "ui/launcher_ui.h"

HBITMAP g_background = nullptr;
HWND g_mainWindow = nullptr;
HWND g_mainButton = nullptr;
