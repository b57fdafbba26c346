#include "gui/platform/win32/ImageLibrary.h"

namespace
{
// Written and read on the user-interface thread only.
HMODULE library = nullptr;
int holds = 0;
AlphaBlendFunction alphaBlendEntry = nullptr;
TransparentBltFunction transparentBltEntry = nullptr;

template <typename Function> Function entry(const char* name)
{
    // GetProcAddress answers a generic function pointer; the real type is the one named.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}
} // namespace

namespace ImageLibrary
{
void acquire()
{
    if (holds++ > 0)
    {
        return;
    }
    library = LoadLibraryA("msimg32.dll");
    if (library != nullptr)
    {
        alphaBlendEntry = entry<AlphaBlendFunction>("AlphaBlend");
        transparentBltEntry = entry<TransparentBltFunction>("TransparentBlt");
    }
}

void release()
{
    if (holds == 0 || --holds > 0)
    {
        return;
    }
    alphaBlendEntry = nullptr;
    transparentBltEntry = nullptr;
    if (library != nullptr)
    {
        FreeLibrary(library);
        library = nullptr;
    }
}

AlphaBlendFunction alphaBlend()
{
    return alphaBlendEntry;
}

TransparentBltFunction transparentBlt()
{
    return transparentBltEntry;
}
} // namespace ImageLibrary
