// The LV2 user interface library's entry point: the descriptor the host finds by
// lv2ui_descriptor, and its calls handed on to the user interface.
#include "plugin/lv2/Lv2Ui.h"
#include "plugin/lv2/Lv2Uris.h"

#include <cstring>
#include <memory>
#include <new>

namespace
{
Lv2Ui* uiOf(LV2UI_Handle handle)
{
    return static_cast<Lv2Ui*>(handle);
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char*, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    try
    {
        auto ui = std::make_unique<Lv2Ui>(write, controller, features);
        *widget = ui->open();
        return *widget ? ui.release() : nullptr;
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

void destroy(void* ui)
{
    delete static_cast<Lv2Ui*>(ui);
}

// A host may call this from inside the interface's own call to it (a touch or a port write
// during a knob's drag): the interface closes at once and goes when that call has returned.
void cleanup(LV2UI_Handle handle)
{
    Lv2Ui* ui = uiOf(handle);
    if (!ui)
        return;
    ui->close();
    ui->hostCalls().afterCalls(destroy, ui);
}

// Hosts built on suil clear the handle when their window's plug goes, and may still pass it
// on with a port event before they let the interface go.
void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer)
{
    Lv2Ui* ui = uiOf(handle);
    if (!ui)
        return;
    const CallDepth::Scope call(ui->hostCalls());
    ui->portEvent(port, size, format, buffer);
}

// Non-zero (the window is gone) for a cleared handle.
int idle(LV2UI_Handle handle)
{
    Lv2Ui* ui = uiOf(handle);
    if (!ui)
        return 1;
    const CallDepth::Scope call(ui->hostCalls());
    return ui->idle();
}

const void* extensionData(const char* uri)
{
    static const LV2UI_Idle_Interface idleInterface = {idle};
    return std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &idleInterface : nullptr;
}

const LV2UI_Descriptor descriptor = {lv2::kUiUri, instantiate, cleanup, portEvent, extensionData};
} // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? &descriptor : nullptr;
}
