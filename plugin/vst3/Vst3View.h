// The VST3 edition's view: the same fixed-size editor as every edition, in the host's X11
// window (Linux) or HWND (Windows). On Linux the host's run loop drives it: a timer for the
// 25 ms tick and a handler for the editor's X connection; on Windows, which has no run loop,
// a timer of the editor's window does the timer's work. The editor's changes go to the
// effect, which hands them to the audio thread and to the host's handler.
#pragma once

#include "editor/EditorHost.h"
#include "plugin/vst3/Vst3Interface.h"

#include <atomic>
#include <cstdint>
#include <memory>

class SDEditor;
class Vst3Effect;

class Vst3View final : public vst3::IPlugView,
                       public vst3::ITimerHandler,
                       public vst3::IEventHandler
{
  public:
    // How often the run loop lets the editor poll: often enough for its 25 ms tick.
    static constexpr uint64_t kPollMs = 10;

    explicit Vst3View(Vst3Effect& effect);
    Vst3View(const Vst3View&) = delete;
    Vst3View& operator=(const Vst3View&) = delete;

    // ------------------------------------------------------------ FUnknown
    vst3::tresult VST3_CALL queryInterface(const vst3::TUID iid, void** object) override;
    uint32_t VST3_CALL addRef() override;
    uint32_t VST3_CALL release() override;

    // ------------------------------------------------------------ IPlugView
    vst3::tresult VST3_CALL isPlatformTypeSupported(vst3::FIDString type) override;
    vst3::tresult VST3_CALL attached(void* parent, vst3::FIDString type) override;
    vst3::tresult VST3_CALL removed() override;
    vst3::tresult VST3_CALL onWheel(float distance) override;
    vst3::tresult VST3_CALL onKeyDown(vst3::TChar key, int16_t keyCode, int16_t modifiers) override;
    vst3::tresult VST3_CALL onKeyUp(vst3::TChar key, int16_t keyCode, int16_t modifiers) override;
    vst3::tresult VST3_CALL getSize(vst3::ViewRect* size) override;
    vst3::tresult VST3_CALL onSize(vst3::ViewRect* size) override;
    vst3::tresult VST3_CALL onFocus(vst3::TBool state) override;
    vst3::tresult VST3_CALL setFrame(vst3::IPlugFrame* frame) override;
    vst3::tresult VST3_CALL canResize() override;
    vst3::tresult VST3_CALL checkSizeConstraint(vst3::ViewRect* rect) override;

    // ------------------------------------------------------------ the host's run loop
    void VST3_CALL onTimer() override;
    void VST3_CALL onFDIsSet(int fd) override;

    // A setting the host changed: shown at once. Any thread.
    void showSetting(int index);
    SDEditor& editor() { return *editor_; }

  private:
    // What the editor asks of its host, answered by the view and the effect. Apart from the
    // view because both name a release().
    class EditorSide final : public EditorHost
    {
      public:
        explicit EditorSide(Vst3View& view) : view_(view) {}
        float getParameter(int32_t index) override;
        void setParameterAutomated(int32_t index, float value) override;
        bool beginEdit(int32_t index) override;
        bool endEdit(int32_t index) override;
        bool carriesCeiling() const override { return true; }
        void retain() override { view_.addRef(); }
        void release() override { view_.release(); }

      private:
        Vst3View& view_;
    };

    ~Vst3View();
    void idle();
    void followEffect();
    void resetToDefaults();
    bool sameSize(const vst3::ViewRect& rect) const;
    void registerWithRunLoop();
    void unregisterFromRunLoop();

    std::atomic<uint32_t> references_{1};
    Vst3Effect& effect_;
    EditorSide editorSide_{*this};
    std::unique_ptr<SDEditor> editor_;
    vst3::IPlugFrame* frame_ = nullptr;
    vst3::IRunLoop* runLoop_ = nullptr;
    // Windows hosts have no run loop: a timer of the editor's own window runs the view.
    void* timerWindow_ = nullptr;
    uint32_t generationSeen_;
};
