#include "engine/launcher_state.h"

char BaseDir[kPathSize];
