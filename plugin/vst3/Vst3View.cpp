#include "plugin/vst3/Vst3View.h"

#include "editor/SDEditor.h"
#include "gui/CFrame.h"
#include "plugin/vst3/Vst3Effect.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include "gui/platform/x11/X11Window.h"
#endif

#include <string_view>
#include <utility>

namespace
{
// The knobs follow straight mouse moves, as most hosts ask for.
constexpr int32_t kLinearKnobMode = 2;

#if defined(_WIN32)
constexpr std::string_view kPlatformType = vst3::kPlatformTypeHwnd;

// The timer's id is the view it runs.
void CALLBACK runView(HWND, UINT, UINT_PTR view, DWORD)
{
    reinterpret_cast<Vst3View*>(view)->onTimer();
}
#else
constexpr std::string_view kPlatformType = vst3::kPlatformTypeX11;
#endif
} // namespace

Vst3View::Vst3View(Vst3Effect& effect)
    : effect_(effect), editor_(std::make_unique<SDEditor>(&editorSide_, &effect.published())),
      generationSeen_(effect.settingsGeneration())
{
    effect_.addRef();
    editor_->setKnobMode(kLinearKnobMode);
}

Vst3View::~Vst3View()
{
    unregisterFromRunLoop();
    editor_->close();
    editor_.reset();
    effect_.viewClosed(this);
    effect_.release();
}

// ---------------------------------------------------------------------------- FUnknown

vst3::tresult Vst3View::queryInterface(const vst3::TUID iid, void** object)
{
    if (!object)
        return vst3::kInvalidArgument;
    *object = nullptr;
    if (vst3::sameUid(iid, vst3::iid::kFUnknown) || vst3::sameUid(iid, vst3::iid::kPlugView))
        *object = static_cast<vst3::IPlugView*>(this);
    else if (vst3::sameUid(iid, vst3::iid::kTimerHandler))
        *object = static_cast<vst3::ITimerHandler*>(this);
    else if (vst3::sameUid(iid, vst3::iid::kEventHandler))
        *object = static_cast<vst3::IEventHandler*>(this);
    else
        return vst3::kNoInterface;
    addRef();
    return vst3::kResultOk;
}

uint32_t Vst3View::addRef()
{
    return references_.fetch_add(1, std::memory_order_relaxed) + 1;
}

uint32_t Vst3View::release()
{
    const uint32_t left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0)
        delete this;
    return left;
}

// ---------------------------------------------------------------------------- IPlugView

vst3::tresult Vst3View::isPlatformTypeSupported(vst3::FIDString type)
{
    return type && kPlatformType == type ? vst3::kResultTrue : vst3::kResultFalse;
}

vst3::tresult Vst3View::attached(void* parent, vst3::FIDString type)
{
    if (!parent || isPlatformTypeSupported(type) != vst3::kResultTrue)
        return vst3::kInvalidArgument;
    if (editor_->frame() && editor_->frame()->isOpen())
        return vst3::kResultFalse;
    if (!editor_->open(parent) || !editor_->frame())
        return vst3::kResultFalse;
    effect_.viewOpened(this);
    generationSeen_ = effect_.settingsGeneration();
    registerWithRunLoop();
    return vst3::kResultOk;
}

vst3::tresult Vst3View::removed()
{
    unregisterFromRunLoop();
    effect_.viewClosed(this);
    editor_->close();
    return vst3::kResultOk;
}

vst3::tresult Vst3View::onWheel(float)
{
    return vst3::kResultFalse;
}

vst3::tresult Vst3View::onKeyDown(vst3::TChar, int16_t, int16_t)
{
    return vst3::kResultFalse;
}

vst3::tresult Vst3View::onKeyUp(vst3::TChar, int16_t, int16_t)
{
    return vst3::kResultFalse;
}

vst3::tresult Vst3View::getSize(vst3::ViewRect* size)
{
    EditorRect* rect = nullptr;
    if (!size || !editor_->getRect(&rect) || !rect)
        return vst3::kInvalidArgument;
    *size = {0, 0, rect->right - rect->left, rect->bottom - rect->top};
    return vst3::kResultOk;
}

bool Vst3View::sameSize(const vst3::ViewRect& rect) const
{
    vst3::ViewRect own{};
    return const_cast<Vst3View*>(this)->getSize(&own) == vst3::kResultOk &&
           rect.right - rect.left == own.right && rect.bottom - rect.top == own.bottom;
}

// The editor has one size.
vst3::tresult Vst3View::onSize(vst3::ViewRect* size)
{
    return size && sameSize(*size) ? vst3::kResultOk : vst3::kResultFalse;
}

vst3::tresult Vst3View::onFocus(vst3::TBool)
{
    return vst3::kResultOk;
}

vst3::tresult Vst3View::setFrame(vst3::IPlugFrame* frame)
{
    frame_ = frame;
    return vst3::kResultOk;
}

vst3::tresult Vst3View::canResize()
{
    return vst3::kResultFalse;
}

vst3::tresult Vst3View::checkSizeConstraint(vst3::ViewRect* rect)
{
    vst3::ViewRect own{};
    if (!rect || getSize(&own) != vst3::kResultOk)
        return vst3::kInvalidArgument;
    rect->right = rect->left + own.right;
    rect->bottom = rect->top + own.bottom;
    return vst3::kResultOk;
}

// ---------------------------------------------------------------------------- run loop

void Vst3View::registerWithRunLoop()
{
#if defined(_WIN32)
    auto* window = static_cast<HWND>(editor_->frame()->getWindow()->handle());
    if (SetTimer(window, reinterpret_cast<UINT_PTR>(this), UINT(kPollMs), &runView) != 0)
        timerWindow_ = window;
#else
    void* runLoop = nullptr;
    if (!frame_ || frame_->queryInterface(vst3::iid::kRunLoop.bytes, &runLoop) != vst3::kResultOk ||
        !runLoop)
        return;
    runLoop_ = static_cast<vst3::IRunLoop*>(runLoop);
    runLoop_->registerTimer(this, kPollMs);
    const auto* window = static_cast<const X11Window*>(editor_->frame()->getWindow());
    if (window && window->display())
        runLoop_->registerEventHandler(this, ConnectionNumber(window->display()));
#endif
}

void Vst3View::unregisterFromRunLoop()
{
#if defined(_WIN32)
    if (void* window = std::exchange(timerWindow_, nullptr))
        KillTimer(static_cast<HWND>(window), reinterpret_cast<UINT_PTR>(this));
#endif
    if (!runLoop_)
        return;
    vst3::IRunLoop* runLoop = runLoop_;
    runLoop_ = nullptr;
    runLoop->unregisterTimer(this);
    runLoop->unregisterEventHandler(this);
    runLoop->release();
}

void Vst3View::onTimer()
{
    idle();
}

void Vst3View::onFDIsSet(int)
{
    idle();
}

// Events, the 25 ms tick, and what changed in the effect meanwhile.
void Vst3View::idle()
{
    // The host may release the view from inside a call the editor makes.
    addRef();
    followEffect();
    effect_.mainThreadWork();
    if (editor_->frame() && editor_->frame()->isOpen())
        editor_->idle();
    release();
}

void Vst3View::followEffect()
{
    const uint32_t generation = effect_.settingsGeneration();
    if (generation == generationSeen_)
        return;
    generationSeen_ = generation;
    for (int index = 0; index < CParameterValues::kCount; ++index)
        if (CParameterValues::isSetting(index))
            showSetting(index);
}

void Vst3View::showSetting(int index)
{
    editor_->setParameter(index, float(effect_.values().normalized(index)));
}

// ---------------------------------------------------------------------------- the editor

float Vst3View::EditorSide::getParameter(int32_t index)
{
    return float(view_.effect_.values().normalized(index));
}

// As the other editions take their editor's changes; a reset and the manual are actions.
void Vst3View::EditorSide::setParameterAutomated(int32_t index, float value)
{
    if (!(value >= 0.0f && value <= 1.0f))
        return;
    if (index == kParamReset)
    {
        if (value >= 0.5f)
            view_.resetToDefaults();
        return;
    }
    if (index == kParamInfoDocument)
    {
        if (value != 0.0f)
            view_.editor_->openInformationDocument();
        return;
    }
    if (!CParameterValues::isSetting(index))
        return;
    view_.effect_.editorChange(index, value);
    view_.editor_->setParameter(index, float(view_.effect_.values().normalized(index)));
}

bool Vst3View::EditorSide::beginEdit(int32_t index)
{
    view_.effect_.editorGesture(index, true);
    return true;
}

bool Vst3View::EditorSide::endEdit(int32_t index)
{
    view_.effect_.editorGesture(index, false);
    return true;
}

// Every setting of the panel back to its default; the ceiling keeps its value, as in the
// other editions.
void Vst3View::resetToDefaults()
{
    const CParameterValues defaults;
    for (int index = 0; index < kNumParameters; ++index)
        if (CParameterValues::isSetting(index) && index != kParamReset)
            editorSide_.setParameterAutomated(index, float(defaults.normalized(index)));
}
