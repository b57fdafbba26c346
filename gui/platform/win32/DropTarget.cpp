#include "gui/platform/win32/DropTarget.h"

namespace
{
HRESULT refuse(DWORD* effect)
{
    if (effect != nullptr)
    {
        *effect = DROPEFFECT_NONE;
    }
    return S_OK;
}
} // namespace

HRESULT STDMETHODCALLTYPE DropTarget::QueryInterface(REFIID identity, void** object)
{
    if (object == nullptr)
    {
        return E_POINTER;
    }
    if (IsEqualIID(identity, IID_IUnknown) || IsEqualIID(identity, IID_IDropTarget))
    {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DropTarget::AddRef()
{
    return ULONG(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE DropTarget::Release()
{
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0)
    {
        delete this;
    }
    return ULONG(left);
}

HRESULT STDMETHODCALLTYPE DropTarget::DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect)
{
    return refuse(effect);
}

HRESULT STDMETHODCALLTYPE DropTarget::DragOver(DWORD, POINTL, DWORD* effect)
{
    return refuse(effect);
}

HRESULT STDMETHODCALLTYPE DropTarget::DragLeave()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::Drop(IDataObject*, DWORD, POINTL, DWORD* effect)
{
    return refuse(effect);
}
