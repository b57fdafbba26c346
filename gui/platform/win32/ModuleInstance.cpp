#include "gui/platform/win32/ModuleInstance.h"

HINSTANCE thisModule()
{
    // The module that holds this very function, without keeping it loaded.
    static const HINSTANCE module = []
    {
        HMODULE found = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&thisModule), &found);
        return found;
    }();
    return module;
}
