// Resource ids shared by app.rc and the code that loads them.
#pragma once

#define IDB_BACKGROUND 101
#define IDI_APP 102
