// The base of a VST 2.4 effect: the AEffect record handed to the host, its entry
// functions, the basic dispatcher opcodes and the guarded calls back into the host.
#pragma once

#include "editor/EditorHost.h"
#include "engine/Units.h"
#include "plugin/vst2/VstInterface.h"

#include <atomic>
#include <vector>

class AEffEditor;

class AudioEffect : public EditorHost
{
  public:
    AudioEffect(audioMasterCallback host, VstInt32 numPrograms, VstInt32 numParams);
    ~AudioEffect() override;

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    AEffect* getAeffect() { return &effect_; }

    // Answers one host request of the basic group (opcodes 0 to 24).
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float) {}
    virtual void setBlockSize(VstInt32 blockSize) { blockSize_ = blockSize; }

    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void setParameter(VstInt32 index, float value) = 0;
    float getParameter(VstInt32 index) override = 0;
    virtual void getParameterName(VstInt32 index, char* text) = 0;
    // The unit and the value text hosts show; nothing is written by default.
    virtual void getParameterLabel(VstInt32, char*) {}
    virtual void getParameterDisplay(VstInt32, char*) {}

    virtual void setProgram(VstInt32 program)
    {
        curProgram_.store(program, std::memory_order_relaxed);
    }
    virtual VstInt32 getProgram() { return curProgram_.load(std::memory_order_relaxed); }
    virtual void setProgramName(const char* name) = 0;
    virtual void getProgramName(char* name) = 0;

    // Sets a parameter as the user's own change and reports it to the host.
    void setParameterAutomated(VstInt32 index, float value) override;
    bool beginEdit(VstInt32 index) override;
    bool endEdit(VstInt32 index) override;
    void masterIdle() override;
    // Any non-zero answer counts as yes.
    bool canHostDo(const char* text) override;
    // True when the host resized the editor's window.
    bool sizeWindow(VstInt32 width, VstInt32 height) override;
    // Keeps the instance while its code runs: a host may close it from inside a call the
    // effect makes, and it is freed once the outermost of those has returned.
    void retain() override;
    void release() override;

    // Makes the editor this effect's editor; the effect deletes it with itself.
    void setEditor(AEffEditor* editor);
    AEffEditor* getEditor() const { return editor_; }

    VstInt32 blockSize() const { return blockSize_; }

  protected:
    // Calls the host, or answers 0 when there is no host callback.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    audioMasterCallback host_;
    AEffEditor* editor_ = nullptr;
    float initialSampleRate_ = float(kDefaultSampleRate);
    VstInt32 blockSize_ = 1024;
    VstInt32 numPrograms_;
    VstInt32 numParams_;
    // Set on the host's dispatcher thread, read on its user-interface thread.
    std::atomic<VstInt32> curProgram_{0};
    AEffect effect_;

  private:
    // effEditGetRect: the editor's size in the interface's own record, which stays valid
    // after the call.
    bool reportEditorRect(ERect** rect);
    // The host's effClose: closes the editor, ends the gestures the host heard begin, lets
    // go of the host and gives back its reference. Nothing reaches the host afterwards.
    void closeForHost();

    // The host's reference, given back by effClose, and one for each running handler.
    std::atomic<int> references_{1};
    bool closedByHost_ = false;
    // The parameters whose gesture the host heard begin and not yet end.
    std::vector<VstInt32> openEdits_;
    ERect editorRect_{};

    static VstIntPtr VSTCALLBACK dispatchEntry(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                               VstIntPtr value, void* ptr, float opt);
    static void VSTCALLBACK processEntry(AEffect* effect, float** inputs, float** outputs,
                                         VstInt32 sampleFrames);
    static void VSTCALLBACK processReplacingEntry(AEffect* effect, float** inputs, float** outputs,
                                                  VstInt32 sampleFrames);
    static void VSTCALLBACK processDoubleReplacingEntry(AEffect* effect, double** inputs,
                                                        double** outputs, VstInt32 sampleFrames);
    static void VSTCALLBACK setParameterEntry(AEffect* effect, VstInt32 index, float value);
    static float VSTCALLBACK getParameterEntry(AEffect* effect, VstInt32 index);
};
