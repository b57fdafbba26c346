// The loaded module (DLL or program) this code is part of: where the bitmap resources are
// and what names the window class.
#pragma once

#include <windows.h>

HINSTANCE thisModule();
