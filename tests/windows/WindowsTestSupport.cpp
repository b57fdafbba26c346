#include "tests/windows/WindowsTestSupport.h"

#include <algorithm>
#include <vector>

namespace
{
constexpr char kHostClass[] = "VRN07TestHostWindow";

LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

BOOL CALLBACK countWindow(HWND window, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, countWindow, count);
    return TRUE;
}
} // namespace

DWORD gdiObjectCount()
{
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0)
    {
        return reported;
    }
    DWORD live = 0;
    for (uintptr_t slot = 1; slot <= 0xFFFF; ++slot)
    {
        live += GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0 ? 1 : 0;
    }
    return live;
}

HWND makeHostWindow(int32_t width, int32_t height)
{
    static const bool registered = []
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = hostProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kHostClass;
        return RegisterClassA(&windowClass) != 0;
    }();
    if (!registered)
    {
        return nullptr;
    }
    RECT outer{0, 0, width, height};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowExA(0, kHostClass, "test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30,
                                  30, outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    UpdateWindow(window);
    return window;
}

void pumpMessagesFor(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(2);
    } while (GetTickCount() - start < milliseconds);
}

PixelImage captureWindow(HWND window)
{
    PixelImage image;
    RECT client{};
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0)
    {
        return image;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC windowDc = GetDC(window);
    void* bits = nullptr;
    HBITMAP surface = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(windowDc);
    HGDIOBJ previous = SelectObject(memory, surface);
    BitBlt(memory, 0, 0, client.right, client.bottom, windowDc, 0, 0, SRCCOPY);
    GdiFlush();
    image.width = client.right;
    image.height = client.bottom;
    const auto* words = static_cast<const uint32_t*>(bits);
    image.pixels.assign(words, words + size_t(image.width) * size_t(image.height));
    for (uint32_t& pixel : image.pixels)
    {
        pixel &= 0x00FFFFFF;
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(surface);
    ReleaseDC(window, windowDc);
    return image;
}

size_t distinctColours(const PixelImage& image)
{
    std::vector<uint32_t> colours = image.pixels;
    std::sort(colours.begin(), colours.end());
    return size_t(std::unique(colours.begin(), colours.end()) - colours.begin());
}

int threadWindowCount()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

int32_t countOtherThan(const PixelImage& image, const CRect& area, uint32_t pixel)
{
    const CRect inside = area.intersected({0, 0, image.width, image.height});
    int32_t count = 0;
    for (int32_t y = inside.top; y < inside.bottom; ++y)
    {
        for (int32_t x = inside.left; x < inside.right; ++x)
        {
            count += image.at(x, y) != pixel ? 1 : 0;
        }
    }
    return count;
}
