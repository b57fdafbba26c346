// The optional blending functions of the system's image library ("msimg32.dll"), loaded at
// run time so that the plug-in starts on systems without it. Frame windows hold the library
// while they exist; without it the devices draw with plain GDI instead.
#pragma once

#include <windows.h>

using AlphaBlendFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int,
                                         BLENDFUNCTION);
using TransparentBltFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int,
                                             UINT);

namespace ImageLibrary
{
// Loads the library on the first hold; every hold needs one release.
void acquire();
// Frees the library with the last release; the functions become null.
void release();
// Null while the library is not held or lacks the function.
AlphaBlendFunction alphaBlend();
TransparentBltFunction transparentBlt();
} // namespace ImageLibrary
