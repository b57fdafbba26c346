#include "editor/SDEditor.h"

#include "core/PublishedState.h"
#include "editor/CFRGRAP.h"
#include "editor/CWAVGRAP.h"
#include "editor/CeilingReductionDisplay.h"
#include "editor/InformationDocument.h"
#include "editor/LED_VUMETER.h"
#include "editor/VUMETER.h"
#include "gui/CAnimKnob.h"
#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/CKickButton.h"
#include "gui/CKnob.h"
#include "gui/COnOffButton.h"
#include "gui/COptionMenu.h"
#include "gui/CParamDisplay.h"
#include "gui/CSlider.h"
#include "gui/CTextLabel.h"
#include "gui/platform/DocumentOpener.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace
{
constexpr int32_t kBackgroundBitmap = 11030;
constexpr int32_t kInformationBitmap = 11043;
constexpr CColor kPanelColour{64, 88, 112, 128};
constexpr CColor kTextColour{208, 208, 208, 0};
// The background's captions and the rim of its value displays, for what the editor draws in
// their style where the background has nothing.
constexpr CColor kCaptionColour{178, 194, 210, 0};
constexpr CColor kWellColour{17, 23, 30, 0};
constexpr int32_t kValueFont = 6; // Arial 9 pixels
constexpr int32_t kLabelFont = 4; // Arial 11 pixels
constexpr int32_t kMenuFont = 3;
constexpr int32_t kValueDisplayHeight = 12;
constexpr int32_t kLabelHeight = 13;
constexpr int32_t kLabelCharacterWidth = 10;
constexpr int32_t kKnobHandleInset = 7;
constexpr char kCeilingCaption[] = "CEILING";

// Spectrum viewer range: levels in dB, grid step, tilt in dB per octave.
constexpr float kSpectrumBottomDb = -65.0f;
constexpr float kSpectrumTopDb = -17.0f;
constexpr float kSpectrumGridDb = 12.0f;
constexpr float kSpectrumLowHz = 20.0f;
constexpr float kSpectrumSlope = 4.0f;

// Shown in the viewer area when the editor cannot read the effect's published values.
constexpr char kNoMetersText[] = "No meters: this host keeps the audio from the editor";

// Each open takes the next identifier, across every editor of the process.
std::atomic<uint32_t> nextTimerId{0};

CRect normalised(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return CRect{std::min(left, right), std::min(top, bottom), std::max(left, right),
                 std::max(top, bottom)};
}

CRect rectOf(const PanelRect& rect)
{
    return normalised(rect.left, rect.top, rect.right, rect.bottom);
}

// A parameter's real value, or the ceiling's in dBTP (its off value below its steps).
double realValue(int index, float normalized)
{
    return index == kParamCeiling ? kCeilingRecord.decibelsOfNormalized(normalized)
                                  : normalizedToReal(normalized, index);
}

// A display framed like the background's value displays, over an area it leaves empty.
void styleFramedDisplay(CParamDisplay& display)
{
    display.setAlignment(kCenterText);
    display.setFont(kValueFont);
    display.setTextColor(kTextColour);
    display.setBackColor(kPanelColour);
    display.setBorderColor(kWellColour);
}

// Releases the editor's reference to a bitmap when it leaves the scope.
struct BitmapHold
{
    explicit BitmapHold(int32_t id) : bitmap(id >= 1 ? new CBitmap(id) : nullptr) {}
    ~BitmapHold()
    {
        if (bitmap)
            bitmap->release();
    }
    BitmapHold(const BitmapHold&) = delete;
    BitmapHold& operator=(const BitmapHold&) = delete;
    CBitmap* bitmap;
};
} // namespace

SDEditor::SDEditor(EditorHost* effect, PublishedState* published)
    : AEffGUIEditor(effect), published_(published),
      information_(std::make_unique<CInformationDocument>(platform::currentModulePath()))
{
    background_ = new CBitmap(kBackgroundBitmap);
    rect_.top = 0;
    rect_.left = 0;
    rect_.bottom = static_cast<int16_t>(background_->getHeight());
    rect_.right = static_cast<int16_t>(background_->getWidth());
}

// The effect closes the editor before it goes (the effect is only partly there by now).
SDEditor::~SDEditor()
{
    if (closingFrame_)
        closingFrame_->release();
    background_->release();
}

CControl* SDEditor::control(int index) const
{
    return index >= 0 && index < kPanelParameters && frame_ ? controls_[index] : nullptr;
}

CParamDisplay* SDEditor::valueDisplay(int index) const
{
    return index >= 0 && index < kPanelParameters && frame_ ? valueDisplays_[index] : nullptr;
}

// ---------------------------------------------------------------------------- open and close

bool SDEditor::open(void* parentWindow)
{
    releaseClosedFrame();
    if (frame_)
        return true;
    systemWindow_ = parentWindow;
    CFrame* frame = new CFrame(CRect{0, 0, background_->getWidth(), background_->getHeight()},
                               parentWindow, this);
    if (!frame->getWindow())
    {
        // This platform cannot show a window: there is no editor to open.
        frame->release();
        return false;
    }
    frame->setBackground(background_);
    frame->setPanelColor(kPanelColour);

    for (const ControlRow& row : kControlTable)
    {
        if (!row.name)
            break;
        if (row.id != -1)
            buildRow(*frame, row);
    }
    if (effect_->carriesCeiling())
        buildCeiling(*frame);
    addInformationButton(*frame);
    frame_ = frame;

    // Everything recorded before this point is shown by the values read during the build.
    for (PendingValue& value : pending_)
        value.pending.store(false, std::memory_order_relaxed);
    showParameter(kParamViewerTime, effect_->getParameter(kParamViewerTime));
    showParameter(kParamViewerLevel, effect_->getParameter(kParamViewerLevel));

    if (published_)
    {
        published_->restartSpectra();
        published_->takeSampleRateChange();
        published_->takeCurvesReset();
    }
    if (spectrumGraph_)
        spectrumGraph_->resetCurves();

    timerId_ = nextTimerId.fetch_add(1, std::memory_order_relaxed);
    informationShown_.store(true, std::memory_order_release);
    if (published_)
        published_->editorOpened();
    countedOpen_ = true;
    return true;
}

void SDEditor::close()
{
    // From here on the audio path no longer feeds the viewers and meters.
    if (published_ && countedOpen_)
        published_->editorClosed();
    countedOpen_ = false;
    informationShown_.store(false, std::memory_order_release);
    timerId_ = 0;
    CFrame* frame = frame_;
    frame_ = nullptr;
    spectrumGraph_ = nullptr;
    waveGraph_ = nullptr;
    outputMeter_ = nullptr;
    std::fill(std::begin(levelMeters_), std::end(levelMeters_), nullptr);
    std::fill(std::begin(reductionMeters_), std::end(reductionMeters_), nullptr);
    ceilingReduction_ = nullptr;
    releaseClosedFrame();
    if (!frame)
        return;
    if (!frame->isBusy())
    {
        frame->release();
        return;
    }
    // A host closed the editor from inside a call the frame's input handling made (an idle
    // during a drag, an automation report): end the gesture, and let the frame go once the
    // handler has returned.
    frame->retire();
    closingFrame_ = frame;
}

void SDEditor::releaseClosedFrame()
{
    if (closingFrame_ && !closingFrame_->isBusy())
    {
        closingFrame_->release();
        closingFrame_ = nullptr;
    }
}

// ---------------------------------------------------------------------------- building

void SDEditor::buildRow(CFrame& frame, const ControlRow& row)
{
    const BitmapHold first(row.bitmap);
    const BitmapHold second(row.secondBitmap);
    const int32_t width = first.bitmap ? first.bitmap->getWidth() : 1;
    const int32_t height = first.bitmap ? first.bitmap->getHeight() : 0;
    const CRect size = normalised(row.x, row.y, row.x + width, row.y + height);

    if (row.kind >= kKindKnob && row.kind <= kKindOptionMenu)
    {
        CControl* control = buildControl(row, size, first.bitmap, second.bitmap);
        if (!control || row.id < 0 || row.id >= kNumParameters)
        {
            if (control)
                control->release();
            return;
        }
        controls_[row.id] = control;
        control->setValue(effect_->getParameter(row.id));
        frame.addChild(control);
        if (row.showValue)
            addValueDisplay(frame, row, width);
        if (row.showName && row.name[0] != '\0')
            addNameLabel(frame, row);
        return;
    }
    CView* viewer = published_ ? buildViewer(row, size, first.bitmap, second.bitmap)
                               : buildMissingViewerNote(row, size);
    if (viewer)
        frame.addChild(viewer);
}

CControl* SDEditor::buildControl(const ControlRow& row, const CRect& size, CBitmap* first,
                                 CBitmap* second)
{
    const int32_t width = size.width();
    const int32_t height = size.height();
    switch (row.kind)
    {
    case kKindKnob:
    {
        auto* knob = new CKnob(size, this, row.id, first, second);
        knob->setInset(kKnobHandleInset);
        return knob;
    }
    case kKindAnimKnob:
    {
        CAnimKnob* knob = buildFilmStripKnob(row.x, row.y, row.id, first);
        if (knob)
            knob->setDefaultValue(float(realToNormalized(row.defaultValue, row.id)));
        return knob;
    }
    case kKindVerticalSlider:
    {
        const int32_t handleHeight = second ? second->getHeight() : 0;
        auto* slider = new CVerticalSlider(size, this, row.id, row.y,
                                           row.y + height - handleHeight - 1, second, first);
        slider->setOffsetHandle(CPoint{1, 0});
        return slider;
    }
    case kKindOnOffButton:
        return new COnOffButton(normalised(row.x, row.y, row.x + width, row.y + height / 2), this,
                                row.id, first);
    case kKindKickButton:
        return new CKickButton(normalised(row.x, row.y, row.x + width, row.y + height / 2), this,
                               row.id, height / 2, first);
    case kKindOptionMenu:
    {
        auto* menu = new COptionMenu(size, this, row.id, first);
        menu->setFont(kMenuFont);
        menu->setTextColor(kTextColour);
        menu->setTextFace(kBoldFace);
        menu->setAlignment(kCenterText);
        const std::string items = row.menuItems ? row.menuItems : "";
        for (size_t start = 0; start <= items.size();)
        {
            const size_t comma = std::min(items.find(',', start), items.size());
            menu->addEntry(items.substr(start, comma - start).c_str());
            start = comma + 1;
        }
        return menu;
    }
    default:
        return nullptr;
    }
}

// A knob showing one square frame of a film strip; null for a strip of no whole frame.
CAnimKnob* SDEditor::buildFilmStripKnob(int32_t x, int32_t y, int32_t tag, CBitmap* strip)
{
    const int32_t width = strip ? strip->getWidth() : 0;
    const int32_t height = strip ? strip->getHeight() : 0;
    if (width <= 0 || height < width)
        return nullptr;
    const int32_t frames = height / width;
    const int32_t frameHeight = height / frames;
    return new CAnimKnob(normalised(x, y, x + width, y + frameHeight), this, tag, frames,
                         frameHeight, strip);
}

CView* SDEditor::buildViewer(const ControlRow& row, const CRect& size, CBitmap* first,
                             CBitmap* second)
{
    switch (row.kind)
    {
    case kKindSpectrumGraph:
    {
        auto* graph = new CFRGRAP(size, first, published_, &published_->inputAnalyzer(), this);
        graph->setLevelRange(kSpectrumBottomDb, kSpectrumTopDb, kSpectrumGridDb);
        graph->setFrequencyRange(kSpectrumLowHz, float(published_->sampleRate()) * 0.5f,
                                 kSpectrumSlope);
        spectrumGraph_ = graph;
        return graph;
    }
    case kKindWaveGraph:
        waveGraph_ = new CWAVGRAP(size, first, published_, this);
        return waveGraph_;
    case kKindOutputMeter:
        if (!first)
            return nullptr;
        outputMeter_ = new VUMETER(first, row.x, row.y, published_);
        return outputMeter_;
    case kKindLevelMeterLow:
    case kKindLevelMeterMid:
    case kKindLevelMeterHigh:
    {
        const int band = row.kind - kKindLevelMeterLow;
        levelMeters_[band] = new LED_VUMETER(row.x, row.y, LED_VUMETER::kLevel, second, first,
                                             &published_->meters().bandLevel[band]);
        return levelMeters_[band];
    }
    case kKindReductionMeterLow:
    case kKindReductionMeterMid:
    case kKindReductionMeterHigh:
    {
        const int band = row.kind - kKindReductionMeterLow;
        reductionMeters_[band] = new LED_VUMETER(row.x, row.y, LED_VUMETER::kReduction, second,
                                                 first, &published_->meters().bandMinGain[band]);
        return reductionMeters_[band];
    }
    default:
        return nullptr;
    }
}

// Without the effect's published values, the viewer area says why it stays empty, and the
// meters are left out so that none of them reads as silence.
CView* SDEditor::buildMissingViewerNote(const ControlRow& row, const CRect& size)
{
    if (row.kind != kKindSpectrumGraph)
        return nullptr;
    auto* note = new CTextLabel(size, kNoMetersText);
    note->setAlignment(kCenterText);
    note->setFont(kLabelFont);
    note->setTextFace(kBoldFace);
    note->setTextColor(kTextColour);
    note->setBackColor(kPanelColour);
    note->setBorderColor(kPanelColour);
    return note;
}

// The true-peak ceiling's knob turns through its steps, off at the bottom, a step per wheel
// notch. Its caption and value sit beside it, and the stage's gain reduction when the meters
// can be read.
void SDEditor::buildCeiling(CFrame& frame)
{
    const CeilingPlace& place = kCeilingPlace;
    const BitmapHold strip(place.knobBitmap);
    CAnimKnob* knob = buildFilmStripKnob(place.knobX, place.knobY, kParamCeiling, strip.bitmap);
    if (!knob)
        return;
    knob->setDefaultValue(float(kCeilingRecord.normalizedOf(kCeilingRecord.offDb)));
    knob->setWheelStep(1.0f / float(kCeilingRecord.stepCount()));
    knob->setValue(effect_->getParameter(kParamCeiling));
    frame.addChild(knob);
    controls_[kParamCeiling] = knob;

    auto* caption = new CTextLabel(rectOf(place.caption), kCeilingCaption);
    caption->setAlignment(kCenterText);
    caption->setFont(kValueFont);
    caption->setTextFace(kBoldFace);
    caption->setTextColor(kCaptionColour);
    caption->setTransparent(true);
    frame.addChild(caption);

    auto* value = new CParamDisplay(rectOf(place.value));
    styleFramedDisplay(*value);
    value->setFormatter(formatCeiling);
    value->setValue(float(realValue(kParamCeiling, knob->getValue())));
    frame.addChild(value);
    valueDisplays_[kParamCeiling] = value;

    if (!published_)
        return;
    ceilingReduction_ =
        new CeilingReductionDisplay(rectOf(place.reduction), &published_->meters().ceilingMinGain);
    styleFramedDisplay(*ceilingReduction_);
    frame.addChild(ceilingReduction_);
}

// The knob's real value under it, the knob's width plus 2 pixels on each side.
void SDEditor::addValueDisplay(CFrame& frame, const ControlRow& row, int32_t width)
{
    const int32_t left = row.x + row.valueDx - 2;
    const int32_t top = row.y + row.valueDy;
    auto* display = new CParamDisplay(
        normalised(left, top, row.x + row.valueDx + width + 2, top + kValueDisplayHeight), nullptr,
        1);
    display->setAlignment(kCenterText);
    display->setFont(kValueFont);
    display->setTextColor(kTextColour);
    display->setBackColor(kPanelColour);
    display->setBorderColor(kPanelColour);
    display->setValue(float(normalizedToReal(effect_->getParameter(row.id), row.id)));
    display->setFormatter(row.formatter);
    frame.addChild(display);
    valueDisplays_[row.id] = display;
}

void SDEditor::addNameLabel(CFrame& frame, const ControlRow& row)
{
    const int32_t left = row.x + row.nameDx;
    const int32_t top = row.y + row.nameDy;
    const auto width = int32_t(std::strlen(row.name)) * kLabelCharacterWidth;
    auto* label = new CTextLabel(normalised(left, top, left + width, top + kLabelHeight), row.name);
    label->setAlignment(kCenterText);
    label->setFont(kLabelFont);
    label->setTextFace(kBoldFace);
    label->setTextColor(kTextColour);
    label->setBackColor(kPanelColour);
    label->setBorderColor(kPanelColour);
    frame.addChild(label);
    nameLabels_[row.id] = label;
}

// In the lower right corner; its press sends parameter 2, which opens the manual.
void SDEditor::addInformationButton(CFrame& frame)
{
    const BitmapHold bitmap(kInformationBitmap);
    if (!bitmap.bitmap)
        return;
    const CRect frameSize = frame.getSize();
    const int32_t width = bitmap.bitmap->getWidth();
    const int32_t height = bitmap.bitmap->getHeight();
    const int32_t left = frameSize.width() - 30 - width - 2;
    const int32_t top = frameSize.height() - height / 2 - 3;
    frame.addChild(new CKickButton(normalised(left, top, left + width, frameSize.height() - 3),
                                   this, kParamInfoDocument, height / 2, bitmap.bitmap));
}

// ---------------------------------------------------------------------------- parameters

void SDEditor::setParameter(int32_t index, float value)
{
    if (index < 0 || index >= kPanelParameters)
        return;
    // The capture belongs to the effect, so its time window may follow at once.
    if (index == kParamViewerTime && published_)
        published_->setViewerTime(float(normalizedToReal(value, index)));
    pending_[index].value.store(value, std::memory_order_relaxed);
    pending_[index].pending.store(true, std::memory_order_release);
}

void SDEditor::onValueChanged(CDrawContext*, CControl* control)
{
    const auto tag = static_cast<uint32_t>(control->getTag());
    if (tag >= uint32_t(kPanelParameters))
        return;
    effect_->setParameterAutomated(int32_t(tag), control->getValue());
    control->setDirty();
    // The user's own change, and whatever it set off (a reset), shows at once.
    applyPendingChanges();
}

void SDEditor::applyPendingChanges()
{
    if (!frame_)
        return;
    for (int index = 0; index < kPanelParameters; ++index)
    {
        PendingValue& entry = pending_[index];
        if (entry.pending.exchange(false, std::memory_order_acquire))
            showParameter(index, entry.value.load(std::memory_order_relaxed));
    }
    // The capture follows the rate by itself; the spectrum's scale is the graph's.
    if (published_ && published_->takeSampleRateChange() && spectrumGraph_)
        spectrumGraph_->sampleRateChanged(published_->sampleRate());
    if (published_ && published_->takeCurvesReset() && spectrumGraph_)
        spectrumGraph_->resetCurves();
    openRequestedDocument();
}

// Moves the control, its value display and the waveform viewer to a normalised value.
void SDEditor::showParameter(int index, float value)
{
    if (controls_[index])
        controls_[index]->setValue(value);
    if (valueDisplays_[index])
        valueDisplays_[index]->setValue(float(realValue(index, value)));
    if (!waveGraph_)
        return;
    if (index == kParamViewerTime)
        waveGraph_->setTime(float(normalizedToReal(value, index)));
    else if (index == kParamViewerLevel)
        waveGraph_->setLevel(float(normalizedToReal(value, index)));
}

void SDEditor::openInformationDocument()
{
    if (informationShown_.load(std::memory_order_acquire))
        documentRequested_.store(true, std::memory_order_release);
}

void SDEditor::openRequestedDocument()
{
    if (!documentRequested_.exchange(false, std::memory_order_acquire))
        return;
    const auto now = std::chrono::steady_clock::now();
    if (documentOpened_ && now - lastDocumentOpen_ < kDocumentOpenInterval)
        return;
    documentOpened_ = true;
    lastDocumentOpen_ = now;
    information_->open();
}

// ---------------------------------------------------------------------------- tick

void SDEditor::idle()
{
    releaseClosedFrame();
    applyPendingChanges();
    AEffGUIEditor::idle();
    if (waveGraph_ && outputMeter_)
        tick();
    releaseClosedFrame();
}

void SDEditor::tick()
{
    if (!frame_)
        return;
    applyPendingChanges();
    updateMeters();
    updateViewer();
}

// A meter is drawn while it moves; one at rest would be drawn as it is (its bar steps only
// while it trails its target), which costs a copy to the window and shows nothing new.
void SDEditor::updateMeters()
{
    for (int band = 0; band < kNumBands; ++band)
    {
        for (LED_VUMETER* meter : {levelMeters_[band], reductionMeters_[band]})
        {
            if (!meter)
                continue;
            meter->update();
            drawIfMoved(meter);
        }
    }
    if (outputMeter_)
    {
        outputMeter_->update();
        drawIfMoved(outputMeter_);
    }
    if (ceilingReduction_)
    {
        ceilingReduction_->update();
        drawIfMoved(ceilingReduction_);
    }
}

void SDEditor::drawIfMoved(CControl* meter)
{
    if (meter->isDirty())
        frame_->drawView(meter);
}

void SDEditor::updateViewer()
{
    if (!published_)
        return;
    if (published_->spectrumMode())
    {
        if (!spectrumGraph_)
            return;
        const bool source =
            spectrumGraph_->updateCurve(published_->inputAnalyzer(), SpectrumCurve::source);
        const bool output =
            spectrumGraph_->updateCurve(published_->outputAnalyzer(), SpectrumCurve::output);
        if (source || output)
            frame_->drawView(spectrumGraph_);
    }
    else if (waveGraph_)
    {
        frame_->drawView(waveGraph_);
    }
}
