// The 32-bit Windows runtime's malloc aligns to 8 bytes, while the compiler takes memory from
// new to be aligned to __STDCPP_DEFAULT_NEW_ALIGNMENT__ (16) and reads the members of heap
// objects, such as the true-peak stage's tables, with aligned SSE instructions. The module's
// own new gives the alignment the compiler assumes. (The array, sized and non-throwing forms
// of the C++ runtime come here.)
#include <cstddef>
#include <malloc.h>
#include <new>

void* operator new(std::size_t size)
{
    void* memory = _aligned_malloc(size == 0 ? 1 : size, __STDCPP_DEFAULT_NEW_ALIGNMENT__);
    if (!memory)
        throw std::bad_alloc();
    return memory;
}

void operator delete(void* memory) noexcept
{
    _aligned_free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    _aligned_free(memory);
}
