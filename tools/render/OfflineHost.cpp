#include "tools/render/OfflineHost.h"

#include "core/PublishedState.h"
#include "editor/LinkedInstance.h"
#include "editor/SDEditor.h"
#include "engine/ControlTable.h"
#include "engine/SafeClip.h"
#include "gui/CFrame.h"
#include "gui/COffscreenContext.h"
#include "gui/platform/raster/PngWriter.h"
#include "tools/render/RenderError.h"

#include <algorithm>
#include <filesystem>

extern "C" AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host);

OfflineHost::OfflineHost()
{
    adopt(harness_.create(VSTPluginMain), "the built-in plug-in");
    linkedObject_ = instance_->effect()->object;
}

OfflineHost::OfflineHost(const std::string& pluginPath)
    // An absolute path, so that a bare file name means the file here and not a search
    // through the system's library folders.
    : library_(std::make_unique<PluginLibrary>(std::filesystem::absolute(pluginPath).string()))
{
    if (!library_->loaded())
        throw RenderError("cannot load plug-in " + pluginPath + ": " + library_->error());
    const PluginEntry entry = library_->entry();
    if (!entry)
        throw RenderError("cannot load plug-in " + pluginPath + ": it has no VSTPluginMain");
    adopt(harness_.create(entry), pluginPath);
}

OfflineHost::~OfflineHost()
{
    if (editorOpen_)
        instance_->dispatch(effEditClose);
    // Close the instance before its library goes away.
    instance_.reset();
}

void OfflineHost::adopt(AEffect* effect, const std::string& name)
{
    if (!effect)
        throw RenderError("cannot load plug-in " + name + ": it created no instance");
    instance_ = std::make_unique<PluginInstance>(effect);
    if (effect->magic != kEffectMagic || !effect->processReplacing ||
        !(effect->flags & effFlagsCanReplacing) || effect->numInputs != 2 ||
        effect->numOutputs != 2)
        throw RenderError("cannot load plug-in " + name + ": it is not a stereo VST 2.4 effect");
}

void OfflineHost::start(float sampleRate, int blockFrames)
{
    instance_->dispatch(effOpen);
    instance_->dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    instance_->dispatch(effSetBlockSize, 0, blockFrames);
    instance_->dispatch(effMainsChanged, 0, 1);
}

void OfflineHost::selectProgram(int program)
{
    instance_->dispatch(effSetProgram, 0, program);
}

void OfflineHost::setParameter(int index, double realValue)
{
    instance_->setParameter(index, static_cast<float>(realToNormalized(realValue, index)));
}

void OfflineHost::process(float* inLeft, float* inRight, float* outLeft, float* outRight,
                          int frames)
{
    // The band meters are written only while an editor is open; without one this host counts
    // as an open editor for the length of each block. It reads the meters after every block,
    // before an open editor's next tick resets them.
    const bool raiseFlag = hasBandMeters() && !editorOpen_;
    if (raiseFlag)
        linkedInstance(linkedObject_).published->editorOpened();
    float* inputs[] = {inLeft, inRight};
    float* outputs[] = {outLeft, outRight};
    instance_->process(inputs, outputs, frames);
    if (raiseFlag)
        linkedInstance(linkedObject_).published->editorClosed();
    if (hasBandMeters())
        takeBandMeters();
}

void OfflineHost::takeBandMeters()
{
    // Without an editor this host is the meters' only reader and takes each block's values;
    // an open editor's tick takes them itself.
    MeterValues& meters = linkedInstance(linkedObject_).published->meters();
    for (int band = 0; band < kNumBands; ++band)
    {
        std::atomic<double>& meter = meters.bandMinGain[band];
        lastBandGains_[band] = editorOpen_ ? meter.load(std::memory_order_relaxed)
                                           : meter.exchange(1.0, std::memory_order_relaxed);
        deepestBandGains_[band] = std::min(deepestBandGains_[band], lastBandGains_[band]);
    }
}

void OfflineHost::openEditor()
{
    if (!linkedObject_ || instance_->dispatch(effEditOpen, 0, 0, nullptr) == 0)
        throw RenderError("the editor cannot be opened without a window here");
    editorOpen_ = true;
}

void OfflineHost::idleEditor()
{
    if (editorOpen_)
        instance_->dispatch(effEditIdle);
}

bool OfflineHost::writeSnapshot(const std::string& path) const
{
    CFrame* frame = editorOpen_ ? linkedInstance(linkedObject_).editor->frame() : nullptr;
    if (!frame)
        return false;
    const CRect size = frame->getSize();
    COffscreenContext context(frame, size.width(), size.height(), frame->getPanelColor());
    frame->draw(&context);
    return writePng(context, path.c_str());
}

void OfflineHost::stop()
{
    instance_->dispatch(effMainsChanged, 0, 0);
}

int OfflineHost::delayFrames() const
{
    // The effect reads the switch as on when its value is not 0; on means processing.
    const double processing = normalizedToReal(instance_->getParameter(kParamBypass), kParamBypass);
    return static_cast<float>(processing) != 0.0f ? CSafeClip::kDelayFrames : 0;
}
