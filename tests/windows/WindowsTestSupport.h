// What the Windows tests share: counting the process's GDI objects and windows, plain
// host windows, message pumping and reading pixels back.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "gui/GuiTypes.h"
#include "gui/PixelImage.h"

// The live GDI objects of this process. Wine answers GetGuiResources with 0; there every
// handle slot is asked for its object type instead (a handle that is only a slot index
// names whatever lives in that slot).
DWORD gdiObjectCount();

// A visible top-level window whose client area is width by height, standing in for a
// host's editor window.
HWND makeHostWindow(int32_t width, int32_t height);

// Dispatches the thread's messages for about this long.
void pumpMessagesFor(DWORD milliseconds);

// The client area of a window as it shows on the screen.
PixelImage captureWindow(HWND window);

// How many different pixel values the image holds: a window nobody painted holds one.
size_t distinctColours(const PixelImage& image);

// The windows of this thread, their child windows included.
int threadWindowCount();

// The pixels of the image inside area that are not this pixel value.
int32_t countOtherThan(const PixelImage& image, const CRect& area, uint32_t pixel);
