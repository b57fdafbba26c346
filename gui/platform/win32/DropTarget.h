// The editor window's OLE drop target. No view of the editor takes a drop, so it refuses
// every drag: the source is told nothing was copied or moved (a "move" answer would let
// the source delete data that went nowhere), and drags over the editor do not fall through
// to the host window underneath.
#pragma once

#include <ole2.h>
#include <windows.h>

class DropTarget : public IDropTarget
{
  public:
    // Made with one reference; Release deletes it with the last one.
    DropTarget() = default;
    virtual ~DropTarget() = default;
    DropTarget(const DropTarget&) = delete;
    DropTarget& operator=(const DropTarget&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID identity, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL where,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL where, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL where,
                                   DWORD* effect) override;

  private:
    LONG references_ = 1;
};
