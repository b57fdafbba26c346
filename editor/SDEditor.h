// The plug-in's editor: builds the panel from the control table when the host opens it,
// turns the user's changes into automated parameter changes, and follows every change of
// the effect's parameters. A 25 ms tick refreshes the meters and the active viewer.
#pragma once

#include "editor/AEffGUIEditor.h"
#include "engine/ControlTable.h"
#include "engine/MeterValues.h"
#include "gui/CControlListener.h"
#include "gui/GuiTypes.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

class CAnimKnob;
class CBitmap;
class CControl;
class CeilingReductionDisplay;
class CFRGRAP;
class CInformationDocument;
class CParamDisplay;
class CTextLabel;
class CView;
class CWAVGRAP;
class LED_VUMETER;
class PublishedState;
class VUMETER;
struct ControlRow;

class SDEditor : public AEffGUIEditor, public CControlListener
{
  public:
    // The meters and viewers read what the effect publishes; without it (a host that keeps
    // the effect from its editor) the panel shows controls only and says why.
    SDEditor(EditorHost* effect, PublishedState* published);
    ~SDEditor() override;

    bool open(void* parentWindow) override;
    void close() override;
    // Redraws the dirty views and refreshes the meters and the viewer.
    void idle() override;

    // Records the parameter's new value for the panel; any thread. The panel takes it on
    // its own thread at the next tick or idle (at once for the user's own changes).
    void setParameter(int32_t index, float value) override;
    void onValueChanged(CDrawContext* context, CControl* control) override;
    // The 25 ms timer's work: meters, the spectrum curves or the waveform.
    void tick();
    void timerTick() override { tick(); }

    // Asks for the user manual while the editor is open; any thread, without waiting. The
    // editor's own thread opens it at its next tick or idle, at most once a second.
    void openInformationDocument();
    CInformationDocument& informationDocument() { return *information_; }

    // The VST 2.4 parameters and, numbered after them, the true-peak ceiling.
    static constexpr int kPanelParameters = kParamCeiling + 1;

    uint32_t timerId() const { return timerId_; }
    CFRGRAP* spectrumGraph() const { return spectrumGraph_; }
    CWAVGRAP* waveGraph() const { return waveGraph_; }
    CControl* control(int index) const;
    CParamDisplay* valueDisplay(int index) const;
    // The ceiling's gain reduction; null while closed, without the ceiling or without meters.
    CeilingReductionDisplay* ceilingReduction() const { return ceilingReduction_; }

  private:
    struct PendingValue
    {
        std::atomic<float> value{0.0f};
        std::atomic<bool> pending{false};
    };

    void buildRow(CFrame& frame, const ControlRow& row);
    CControl* buildControl(const ControlRow& row, const CRect& size, CBitmap* first,
                           CBitmap* second);
    CView* buildViewer(const ControlRow& row, const CRect& size, CBitmap* first, CBitmap* second);
    CAnimKnob* buildFilmStripKnob(int32_t x, int32_t y, int32_t tag, CBitmap* strip);
    CView* buildMissingViewerNote(const ControlRow& row, const CRect& size);
    void buildCeiling(CFrame& frame);
    void addValueDisplay(CFrame& frame, const ControlRow& row, int32_t width);
    void addNameLabel(CFrame& frame, const ControlRow& row);
    void addInformationButton(CFrame& frame);
    void applyPendingChanges();
    void openRequestedDocument();
    // Lets go of a frame closed during its own input handling, once that has returned.
    void releaseClosedFrame();
    void showParameter(int index, float value);
    void updateMeters();
    void drawIfMoved(CControl* meter);
    void updateViewer();

    PublishedState* published_;
    // Whether this editor is counted among the open ones of what the effect publishes.
    bool countedOpen_ = false;
    CFRGRAP* spectrumGraph_ = nullptr;
    CWAVGRAP* waveGraph_ = nullptr;
    VUMETER* outputMeter_ = nullptr;
    LED_VUMETER* levelMeters_[kNumBands] = {};
    LED_VUMETER* reductionMeters_[kNumBands] = {};
    CeilingReductionDisplay* ceilingReduction_ = nullptr;
    std::unique_ptr<CInformationDocument> information_;
    CControl* controls_[kPanelParameters] = {};
    CParamDisplay* valueDisplays_[kPanelParameters] = {};
    CTextLabel* nameLabels_[kPanelParameters] = {};
    CBitmap* background_ = nullptr;
    CFrame* closingFrame_ = nullptr;
    uint32_t timerId_ = 0;

    PendingValue pending_[kPanelParameters];
    // Set while the information holder exists, read by the effect on any thread.
    std::atomic<bool> informationShown_{false};
    std::atomic<bool> documentRequested_{false};
    static constexpr std::chrono::seconds kDocumentOpenInterval{1};
    std::chrono::steady_clock::time_point lastDocumentOpen_;
    bool documentOpened_ = false;
};
